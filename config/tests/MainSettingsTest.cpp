#include <gtest/gtest.h>

#include <array>
#include <map>

#include "base/TextFile.h"
#include "base/tests/TestSupport.h"
#include "config/MainSettings.h"

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

// Every key the program writes, each in its own section with a value other
// than its default.
const std::vector<std::array<std::string, 3>>& EveryKeyNonDefault() {
  static const std::vector<std::array<std::string, 3>> keys = [] {
    std::vector<std::array<std::string, 3>> k = {
        {"Window", "MainWindowState", "Maximized"},
        {"Window", "MainHeight", "701"},
        {"Window", "MainWidth", "902"},
        {"Window", "DetalizHeight", "203"},
        {"DB", "DB_Type", "dbx"},
        {"DB", "SimpleDBF", "1"},
        {"Filter", "Owner", "1"},
        {"Filter", "Date", "1"},
        {"Filter", "OperCode", "1"},
        {"Filter", "Number", "1"},
        {"Filter", "Code", "1"},
        {"Filter", "Type", "1"},
        {"Filter", "Calls", "1"},
        {"Filter", "SMS", "1"},
        {"Filter", "MMS", "1"},
        {"Filter", "Null", "0"},
        {"Filter", "Exclude", "1"},
        {"Filter", "FilterCodeText", "c-text"},
        {"Filter", "FilterTypeText", "t-text"},
        {"Filter", "OperCodeID", "916"},
        {"Filter", "CallsID", "a#b"},
        {"Filter", "SMSID", "s#t"},
        {"Filter", "MMSID", "m#n"},
        {"Settings", "Language", "Russian"},
        {"Settings", "FillAbonNamesOnAddDetalization", "1"},
        {"Settings", "FillCodesTypesOnAddDetalization", "1"},
        {"Settings", "SaveAbonentNameInDetalizationFile", "0"},
        {"Settings", "ConfirmDelete", "0"},
        {"Settings", "HistoryChanges", "3"},
        {"Settings", "HistoryMegabytes", "64"},
        {"Settings", "ShowSplash", "0"},
        {"Settings", "SaveAddDetalizationDir", "0"},
        {"Settings", "SaveTypeCodeDecryption", "1"},
        {"Settings", "CountFilterStatistic", "1"},
        {"Settings", "AddFilterStatisticOnPrint", "0"},
        {"Settings", "ForceDateIndex", "1"},
        {"Settings", "DefaultDetalExtID", "2"},
        {"Settings", "AddDetalizationDir", "/bills"},
        {"Settings", "UsePrimaryServiceNumber", "1"},
        {"Settings", "PrimaryServiceNumber", "0611"},
        {"Settings", "modePhoneCode", "1"},
        {"Settings", "PhoneCodeTown", "495"},
        {"Settings", "FontSize", "11"},
        {"Settings", "CountsHeight", "44"},
        {"Settings", "SetCountsHeight", "1"},
        {"Datas", "Codes", "codes"},
        {"Datas", "Types", "types"},
    };
    const char* widths[12] = {"13", "5", "14", "51", "16", "17", "8", "9", "10", "11", "12", "49"};
    for (std::size_t i = 0; i < 12; ++i) k.push_back({"DB", kFieldWidthKeys[i], widths[i]});
    for (std::size_t i = 0; i < 12; ++i)
      k.push_back({"Window", (i < 10 ? "ListViewCol_0" : "ListViewCol_") + std::to_string(i), std::to_string(200 + i)});
    for (std::size_t i = 0; i < 4; ++i)
      k.push_back({"Window", "ListViewStatCol_" + std::to_string(i), std::to_string(300 + i)});
    return k;
  }();
  return keys;
}

TEST(MainSettings, EveryKeyIsReadFromAndWrittenToItsOwnSection) {
  // The file as another copy of the program would leave it: sections in
  // another order than ours.
  Lines lines;
  for (const char* section : {"Settings", "Datas", "Filter", "DB", "Window"}) {
    lines.push_back(std::string("[") + section + "]");
    for (const auto& [sec, key, value] : EveryKeyNonDefault())
      if (sec == section) lines.push_back(key + "=" + value);
  }
  testing::TempDir dir;
  const std::string path = dir.File("settings.ini");
  ASSERT_TRUE(WriteTextLines(path, lines).ok());
  MainSettings s;
  ASSERT_TRUE(LoadMainSettings(path, &s).ok());

  EXPECT_EQ("Maximized", s.mainWindowState);
  EXPECT_EQ(701, s.mainHeight);
  EXPECT_EQ(902, s.mainWidth);
  EXPECT_EQ(203, s.detalizHeight);
  EXPECT_EQ((std::vector<int32_t>{200, 201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211}), s.listViewCols);
  EXPECT_EQ((std::vector<int32_t>{300, 301, 302, 303}), s.listViewStatCols);
  EXPECT_EQ("dbx", s.dbType);
  EXPECT_EQ((std::array<int32_t, 12>{13, 5, 14, 51, 16, 17, 8, 9, 10, 11, 12, 49}), s.fieldWidths);
  EXPECT_TRUE(s.simpleDbf);
  for (bool on : {s.filterOwner, s.filterDate, s.filterOperCode, s.filterNumber, s.filterCode, s.filterType,
                  s.filterCalls, s.filterSms, s.filterMms, s.filterExclude})
    EXPECT_TRUE(on);
  EXPECT_FALSE(s.filterNull);
  EXPECT_EQ("c-text", s.filterCodeText);
  EXPECT_EQ("t-text", s.filterTypeText);
  EXPECT_EQ("916", s.operCodeId);
  EXPECT_EQ("a#b", s.callsId);
  EXPECT_EQ("s#t", s.smsId);
  EXPECT_EQ("m#n", s.mmsId);
  EXPECT_EQ("Russian", s.language);
  EXPECT_TRUE(s.fillAbonNamesOnAddDetalization);
  EXPECT_TRUE(s.fillCodesTypesOnAddDetalization);
  EXPECT_FALSE(s.saveAbonentNameInDetalizationFile);
  EXPECT_FALSE(s.confirmDelete);
  EXPECT_FALSE(s.showSplash);
  EXPECT_FALSE(s.saveAddDetalizationDir);
  EXPECT_TRUE(s.saveTypeCodeDecryption);
  EXPECT_TRUE(s.countFilterStatistic);
  EXPECT_FALSE(s.addFilterStatisticOnPrint);
  EXPECT_TRUE(s.forceDateIndex);
  EXPECT_EQ(2, s.defaultDetalExtId);
  EXPECT_EQ("/bills", s.addDetalizationDir);
  EXPECT_TRUE(s.usePrimaryServiceNumber);
  EXPECT_EQ("0611", s.primaryServiceNumber);
  EXPECT_EQ(1, s.modePhoneCode);
  EXPECT_EQ("495", s.phoneCodeTown);
  EXPECT_EQ(11, s.fontSize);
  EXPECT_EQ(44, s.countsHeight);
  EXPECT_TRUE(s.setCountsHeight);
  EXPECT_EQ("codes", s.codes);
  EXPECT_EQ("types", s.types);

  // Written to a new file, each key lands in its own section once.
  const std::string out = dir.File("out.ini");
  ASSERT_TRUE(SaveMainSettings(out, s).ok());
  Lines written;
  ASSERT_TRUE(ReadTextLines(out, &written).ok());
  std::map<std::string, std::string> got;
  std::string section;
  for (std::size_t i = 1; i < written.size(); ++i) {
    const std::string& line = written[i];
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    const std::size_t eq = line.find('=');
    ASSERT_NE(std::string::npos, eq) << line;
    EXPECT_TRUE(got.emplace(section + "/" + line.substr(0, eq), line.substr(eq + 1)).second) << line;
  }
  std::map<std::string, std::string> want;
  for (const auto& [sec, key, value] : EveryKeyNonDefault()) want[sec + "/" + key] = value;
  EXPECT_EQ(want, got);
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
