#include "config/IniFile.h"

#include <gtest/gtest.h>

#include "base/tests/TestSupport.h"

namespace zvonar {
namespace {

using Lines = std::vector<std::string>;

TEST(IniFile, ReadsValuesWithoutRegardToCase) {
  // [Абоненты] with a Cyrillic key written in capitals and read in small letters.
  const IniFile ini(Lines{"stamp line", "[Window]", "MainHeight=600", "name=a=b", "",
                          "[\xC0\xE1\xEE\xED\xE5\xED\xF2\xFB]", "\xCA\xEB\xFE\xF7=value"});
  EXPECT_EQ("600", ini.ReadString("window", "MAINHEIGHT", "x"));
  EXPECT_EQ("a=b", ini.ReadString("Window", "name", "x"));  // after the first "="
  EXPECT_EQ("value", ini.ReadString("\xE0\xE1\xEE\xED\xE5\xED\xF2\xFB", "\xEA\xEB\xFE\xF7", "x"));
  EXPECT_EQ("def", ini.ReadString("Window", "Missing", "def"));
  EXPECT_EQ("def", ini.ReadString("Nowhere", "MainHeight", "def"));
  EXPECT_FALSE(ini.HasKey("Window", "stamp line"));
}

TEST(IniFile, CommentLinesHoldingEqualsAreNoEntries) {
  IniFile ini(Lines{"[A]", ";k=comment", "  ; Size=1", "k=real", "; Size = 2"});
  EXPECT_EQ("real", ini.ReadString("A", "k", "x"));
  EXPECT_EQ("x", ini.ReadString("A", ";k", "x"));
  EXPECT_FALSE(ini.HasKey("A", "Size"));
  EXPECT_EQ((Lines{"k"}), ini.ReadSectionKeys("A"));
  // Writing a key a comment mentions adds an entry and leaves the comment.
  ini.WriteString("A", "Size", "3");
  EXPECT_EQ("3", ini.ReadString("A", "size", ""));
  EXPECT_EQ(";k=comment", ini.lines()[1]);
  EXPECT_EQ("  ; Size=1", ini.lines()[2]);
  EXPECT_EQ("; Size = 2", ini.lines()[4]);
  EXPECT_FALSE(ini.DeleteKey("A", ";k"));
}

TEST(IniFile, FirstOfDuplicateKeysCounts) {
  IniFile ini(Lines{"[A]", "k=1", "K=2"});
  EXPECT_EQ("1", ini.ReadString("A", "k", ""));
  ini.WriteString("A", "K", "3");
  EXPECT_EQ((Lines{"[A]", "k=3", "K=2"}), ini.lines());
  EXPECT_TRUE(ini.DeleteKey("a", "k"));
  EXPECT_EQ((Lines{"[A]", "K=2"}), ini.lines());
}

TEST(IniFile, IntegersAndBooleansAreLenient) {
  const IniFile ini(Lines{"[S]", "a=12", "b=-7", "c=12abc", "d=", "e=0", "f=5", "g=99999999999", "h= 42 "});
  EXPECT_EQ(12, ini.ReadInteger("S", "a", 0));
  EXPECT_EQ(-7, ini.ReadInteger("S", "b", 0));
  EXPECT_EQ(3, ini.ReadInteger("S", "c", 3));
  EXPECT_EQ(3, ini.ReadInteger("S", "d", 3));
  EXPECT_EQ(3, ini.ReadInteger("S", "g", 3));
  EXPECT_EQ(42, ini.ReadInteger("S", "h", 3));
  EXPECT_EQ(3, ini.ReadInteger("S", "missing", 3));
  EXPECT_FALSE(ini.ReadBool("S", "e", true));
  EXPECT_TRUE(ini.ReadBool("S", "f", false));
  EXPECT_TRUE(ini.ReadBool("S", "c", true));  // not an integer: the default
}

TEST(IniFile, SectionKeysInFileOrder) {
  const IniFile ini(Lines{"[Abonents]", "79001=Ann", "; a comment", "79000=Bob", "garbage", "[Other]", "x=1"});
  EXPECT_EQ((Lines{"79001", "79000"}), ini.ReadSectionKeys("abonents"));
  EXPECT_TRUE(ini.ReadSectionKeys("None").empty());
  using Entries = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ((Entries{{"79001", "Ann"}, {"79000", "Bob"}}), ini.ReadSectionEntries("ABONENTS"));
  EXPECT_EQ((Entries{{"x", "1"}}), ini.ReadSectionEntries("Other"));
  EXPECT_TRUE(ini.ReadSectionEntries("None").empty());
}

TEST(IniFile, WritesKeepEverythingElseInPlace) {
  IniFile ini(Lines{"Zvonar v.2.3.3.65,  (39970.5)", "[Window]", "; keep me", "Unknown=7", "MainHeight=510", "",
                    "[DB]", "DB_Type=dbf"});
  ini.WriteInteger("Window", "MainHeight", 600);    // replaced on its own line
  ini.WriteBool("Window", "Fresh", true);           // after the section's last entry
  ini.WriteString("Datas", "Types", "t");           // new section at the end
  ini.WriteString("db", "db_type", "dbx");          // case-insensitive replace
  EXPECT_EQ((Lines{"Zvonar v.2.3.3.65,  (39970.5)", "[Window]", "; keep me", "Unknown=7", "MainHeight=600", "Fresh=1",
                   "", "[DB]", "DB_Type=dbx", "[Datas]", "Types=t"}),
            ini.lines());
  EXPECT_FALSE(ini.DeleteKey("Window", "Absent"));
  EXPECT_TRUE(ini.DeleteKey("Window", "Unknown"));
  EXPECT_FALSE(ini.HasKey("Window", "Unknown"));
}

TEST(IniFile, LoadAndSaveUseCrLfAndAcceptLf) {
  testing::TempDir dir;
  const std::string path = dir.File("settings.ini");
  IniFile ini;
  ASSERT_TRUE(IniFile::Load(path, &ini).ok());  // missing file: empty profile
  EXPECT_TRUE(ini.lines().empty());

  testing::WriteOrDie(path, "stamp\n[Settings]\nLanguage=Russian\n");
  ASSERT_TRUE(IniFile::Load(path, &ini).ok());
  EXPECT_EQ("Russian", ini.ReadString("Settings", "Language", ""));
  ini.WriteString("Settings", "FontSize", "10");
  ASSERT_TRUE(ini.Save(path).ok());
  EXPECT_EQ("stamp\r\n[Settings]\r\nLanguage=Russian\r\nFontSize=10\r\n", testing::ReadOrEmpty(path));
}

}  // namespace
}  // namespace zvonar
