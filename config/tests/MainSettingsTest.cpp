#include "config/MainSettings.h"

#include <gtest/gtest.h>

#include "base/TextFile.h"
#include "base/tests/TestSupport.h"

namespace zvonar {
namespace {

using Lines = std::vector<std::string>;

TEST(MainSettings, MissingFileGivesEveryDefault) {
  testing::TempDir dir;
  MainSettings s;
  s.mainHeight = 1;
  ASSERT_TRUE(LoadMainSettings(dir.File("settings.ini"), &s).ok());
  EXPECT_EQ("Normal", s.mainWindowState);
  EXPECT_EQ(510, s.mainHeight);
  EXPECT_EQ(kDefaultFieldWidths, s.fieldWidths);
  EXPECT_TRUE(s.filterNull);
  EXPECT_EQ("1#2#G#m#M", s.callsId);
  EXPECT_EQ("51#52", s.mmsId);
  EXPECT_TRUE(s.addFilterStatisticOnPrint);
  EXPECT_EQ(1, s.defaultDetalExtId);
  EXPECT_EQ(8, s.fontSize);
}

TEST(MainSettings, DbTypeThatWouldNameAnotherFileIsRefused) {
  for (const char* refused : {"MDX", "mdx", "Dat", "LNG", "ini", "sum", "FIL", "", "../x"}) {
    const MainSettings s = ReadMainSettings(IniFile(Lines{"[DB]", std::string("DB_Type=") + refused}));
    EXPECT_EQ("dbf", s.dbType) << refused;
    EXPECT_EQ(refused, s.dbTypeRefused);
    EXPECT_NE("", DbTypeRefusal(refused));
  }
  for (const char* kept : {"dbf", "DBF", "xyz", "mdx2"}) {
    const MainSettings s = ReadMainSettings(IniFile(Lines{"[DB]", std::string("DB_Type=") + kept}));
    EXPECT_EQ(kept, s.dbType);
    EXPECT_EQ("", s.dbTypeRefused);
  }
}

TEST(MainSettings, ZeroOrImpossibleWidthsTakeTheirDefaults) {
  const IniFile ini(Lines{"[DB]", "Owner_Field=0", "DateTime_Field=0", "Number_Field=20", "Abonent_Field=-3",
                          "Code_Field=300", "Roaming_Field=abc"});
  const MainSettings s = ReadMainSettings(ini);
  EXPECT_EQ(12, s.fieldWidths[0]);
  EXPECT_EQ(0, s.fieldWidths[1]);
  EXPECT_EQ(20, s.fieldWidths[2]);
  EXPECT_EQ(50, s.fieldWidths[3]);
  EXPECT_EQ(15, s.fieldWidths[4]);
  EXPECT_EQ(50, s.fieldWidths[11]);
}

TEST(MainSettings, PrintStatisticNeedsCountStatistic) {
  EXPECT_FALSE(ReadMainSettings(IniFile(Lines{"[Settings]", "CountFilterStatistic=0", "AddFilterStatisticOnPrint=1"}))
                   .addFilterStatisticOnPrint);
  EXPECT_TRUE(ReadMainSettings(IniFile(Lines{"[Settings]", "CountFilterStatistic=1", "AddFilterStatisticOnPrint=1"}))
                  .addFilterStatisticOnPrint);
}

TEST(MainSettings, LegendsNeedSaveTypeCodeDecryption) {
  const Lines on{"[Settings]", "SaveTypeCodeDecryption=1", "[Datas]", "Types=t1", "Codes=c1"};
  const Lines off{"[Settings]", "SaveTypeCodeDecryption=0", "[Datas]", "Types=t1", "Codes=c1"};
  EXPECT_EQ("t1", ReadMainSettings(IniFile(on)).types);
  EXPECT_EQ("", ReadMainSettings(IniFile(off)).codes);

  MainSettings s;
  s.types = "t2";  // codes empty: only Types is written
  IniFile ini;
  WriteMainSettings(s, &ini);
  EXPECT_EQ("t2", ini.ReadString("Datas", "Types", ""));
  EXPECT_FALSE(ini.HasKey("Datas", "Codes"));
  s.saveTypeCodeDecryption = false;
  IniFile none;
  WriteMainSettings(s, &none);
  EXPECT_FALSE(none.HasSection("Datas"));
}

TEST(MainSettings, RoundTripKeepsEveryValue) {
  MainSettings s;
  s.mainWindowState = "Maximized";
  s.mainHeight = 700;
  s.listViewCols[3] = 222;
  s.listViewStatCols[0] = 77;
  s.dbType = "dbx";
  s.fieldWidths[3] = 60;
  s.simpleDbf = true;
  s.filterOwner = s.filterMms = s.filterExclude = true;
  s.filterNull = false;
  s.operCodeId = "916";
  s.filterCodeText = "\xC7\xE2\xEE\xED\xEE\xEA";  // Звонок
  s.language = "Russian";
  s.confirmDelete = false;
  s.defaultDetalExtId = 2;
  s.modePhoneCode = 1;
  s.phoneCodeTown = "495";
  s.fontSize = 10;
  s.setCountsHeight = true;
  s.codes = "c";

  testing::TempDir dir;
  const std::string path = dir.File("settings.ini");
  ASSERT_TRUE(SaveMainSettings(path, s).ok());
  MainSettings back;
  ASSERT_TRUE(LoadMainSettings(path, &back).ok());
  IniFile a, b;
  WriteMainSettings(s, &a);
  WriteMainSettings(back, &b);
  EXPECT_EQ(a.lines(), b.lines());
}

TEST(MainSettings, NewFileStartsWithStampAndKeepsTheWriteOrder) {
  testing::TempDir dir;
  const std::string path = dir.File("settings.ini");
  ASSERT_TRUE(SaveMainSettings(path, MainSettings()).ok());
  std::vector<std::string> lines;
  ASSERT_TRUE(ReadTextLines(path, &lines).ok());
  ASSERT_GT(lines.size(), 60u);
  EXPECT_EQ(0u, lines[0].rfind("Zvonar v.2.3.3.65,  (", 0));
  EXPECT_EQ("[Window]", lines[1]);
  EXPECT_EQ("MainWindowState=Normal", lines[2]);
  // The column widths join [Window] after the DB keys were written, so they
  // follow DetalizHeight inside their section.
  EXPECT_EQ("DetalizHeight=160", lines[5]);
  EXPECT_EQ("ListViewCol_00=50", lines[6]);
  EXPECT_EQ("ListViewStatCol_3=44", lines[21]);
  EXPECT_EQ("[DB]", lines[22]);
  const auto at = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) - lines.begin();
  };
  EXPECT_LT(at("Type=0"), at("FilterCodeText="));
  EXPECT_LT(at("FilterTypeText="), at("Calls=0"));
  EXPECT_LT(at("Exclude=0"), at("OperCodeID="));
  EXPECT_LT(at("Language="), at("SetCountsHeight=0"));
  EXPECT_EQ("SetCountsHeight=0", lines.back());
}

TEST(MainSettings, SavingLeavesForeignKeysAndTheStampAlone) {
  testing::TempDir dir;
  const std::string path = dir.File("settings.ini");
  testing::WriteOrDie(path, "my stamp\r\n[Window]\r\nMainHeight=600\r\nPlugin=on\r\n[Mine]\r\nx=1\r\n");
  MainSettings s;
  ASSERT_TRUE(LoadMainSettings(path, &s).ok());
  EXPECT_EQ(600, s.mainHeight);
  s.mainHeight = 640;
  ASSERT_TRUE(SaveMainSettings(path, s).ok());
  std::vector<std::string> lines;
  ASSERT_TRUE(ReadTextLines(path, &lines).ok());
  EXPECT_EQ("my stamp", lines[0]);
  EXPECT_EQ("MainHeight=640", lines[2]);
  EXPECT_EQ("Plugin=on", lines[3]);
  IniFile ini(lines);
  EXPECT_EQ("1", ini.ReadString("Mine", "x", ""));
}

TEST(MainSettings, ByteSettingsKeepTheirLowByte) {
  const MainSettings s = ReadMainSettings(IniFile(Lines{"[Settings]", "DefaultDetalExtID=258", "modePhoneCode=1"}));
  EXPECT_EQ(2, s.defaultDetalExtId);
  EXPECT_EQ(1, s.modePhoneCode);
}

TEST(MainSettings, HtmlStopTextIsReadButNeverWritten) {
  EXPECT_EQ(kDefaultHtmlStopText, ReadMainSettings(IniFile(Lines{})).htmlStopText);
  testing::TempDir dir;
  const std::string path = dir.File("settings.ini");
  MainSettings s;
  s.htmlStopText = "changed in memory";
  ASSERT_TRUE(SaveMainSettings(path, s).ok());
  EXPECT_EQ(std::string::npos, testing::ReadOrEmpty(path).find("HtmlStopText"));

  testing::WriteOrDie(path, "[Settings]\r\nHtmlStopText=Postal address:\r\n");
  ASSERT_TRUE(LoadMainSettings(path, &s).ok());
  EXPECT_EQ("Postal address:", s.htmlStopText);
  s.htmlStopText = "other";
  ASSERT_TRUE(SaveMainSettings(path, s).ok());
  EXPECT_NE(std::string::npos, testing::ReadOrEmpty(path).find("HtmlStopText=Postal address:"));
}

}  // namespace
}  // namespace zvonar
