#include "config/LanguageFile.h"

#include <gtest/gtest.h>

#include "base/tests/TestSupport.h"

namespace zvonar {
namespace {

using testing::TempDir;
using testing::WriteOrDie;

// A file of `count` lines "line 0" .. "line count-1", CR LF ended.
std::string NumberedLines(std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += "line " + std::to_string(i) + "\r\n";
  return text;
}

TEST(LanguageFile, LoadKeepsLinesExactlyAsWritten) {
  TempDir dir;
  // Blanks around a caption, an empty line, a Cyrillic line ("Код") and the
  // final CR LF, which does not start another line.
  WriteOrDie(dir.File("x.lng"), "  Owner  \r\n\r\n\xCA\xEE\xE4\r\n Tab\t\r\n");
  LanguageFile file;
  ASSERT_TRUE(LanguageFile::Load(dir.File("x.lng"), &file).ok());
  ASSERT_EQ(4u, file.LineCount());
  EXPECT_EQ("  Owner  ", file.Line(0));
  EXPECT_EQ("", file.Line(1));
  EXPECT_EQ("\xCA\xEE\xE4", file.Line(2));
  EXPECT_EQ(" Tab\t", file.Line(3));
  EXPECT_EQ("", file.Line(4));  // past the end
}

TEST(LanguageFile, MissingFileIsNotFoundAndKeepsWhatWasLoaded) {
  TempDir dir;
  LanguageFile file({"kept"});
  const Status s = LanguageFile::Load(dir.File("russian.lng"), &file);
  EXPECT_EQ(StatusKind::NotFound, s.kind());
  ASSERT_EQ(1u, file.LineCount());
  EXPECT_EQ("kept", file.Line(0));
}

TEST(LanguageFile, GroupRuleCountsLinesOfTheFile) {
  struct Case { std::size_t fileLines; std::size_t need; bool applies; };
  const Case cases[] = {
      {16, 16, true},   // the main window's first group only
      {16, 26, false},
      {42, 26, true},
      {42, 42, true},   // the menus up to Settings
      {42, 64, false},  // but not About
      {42, 87, false},  // nor the "All" text
      {119, 119, true},
      {0, 16, false},
  };
  TempDir dir;
  for (const Case& t : cases) {
    WriteOrDie(dir.File("x.lng"), NumberedLines(t.fileLines));
    LanguageFile file;
    ASSERT_TRUE(LanguageFile::Load(dir.File("x.lng"), &file).ok());
    EXPECT_EQ(t.fileLines, file.LineCount());
    EXPECT_EQ(t.applies, file.HasGroup(t.need)) << t.fileLines << " lines, group needs " << t.need;
  }
}

TEST(LanguageFile, ShapesLinesForTheirTargets) {
  const LanguageFile file({"Name", " Mode ", ""});
  EXPECT_EQ("Name:", file.WithColon(0));
  EXPECT_EQ("Name...", file.WithDots(0));
  EXPECT_EQ(" Name ", file.Framed(0));
  EXPECT_EQ("  Mode  ", file.Framed(1));  // blanks of the line stay
  EXPECT_EQ(" Mode :", file.WithColon(1));
  EXPECT_EQ("...", file.WithDots(2));
}

TEST(LanguageFilePath, JoinsDirectoryBaseNameAndExtension) {
  EXPECT_EQ("/home/u/.local/share/zvonar/russian.lng", LanguageFilePath("/home/u/.local/share/zvonar/", "russian"));
  EXPECT_EQ("/opt/zvonar/.lng", LanguageFilePath("/opt/zvonar/", ""));
  // The setting is code page 1251 text; the file name on disk is UTF-8.
  EXPECT_EQ("/opt/zvonar/\xD1\x80\xD1\x83\xD1\x81.lng", LanguageFilePath("/opt/zvonar/", "\xF0\xF3\xF1"));
}

TEST(LanguageLocaleName, RussianByNameElseEnglish) {
  struct Case { std::string_view in; std::string_view want; };
  const Case cases[] = {
      {"russian", "ru"}, {"Russian", "ru"}, {"my-RUSSIAN", "ru"},
      {"english", "en"}, {"", "en"},        {"deutsch", "en"},  // an unknown language keeps English
  };
  for (const Case& t : cases) EXPECT_EQ(t.want, LanguageLocaleName(t.in)) << t.in;
}

TEST(PlainCaption, ResolvesAmpersands) {
  struct Case { std::string_view in; std::string_view want; };
  const Case cases[] = {
      {"To Count && Find Max Activity", "To Count & Find Max Activity"},
      {"&Settings", "Settings"},
      {"a&&&b", "a&b"},
      {"R&&D &&&&", "R&D &&"},
      {"trailing &", "trailing &"},
      {"Calls & SMS", "Calls & SMS"},  // "&" before a blank is the character
      {"", ""},
  };
  for (const Case& t : cases) EXPECT_EQ(t.want, PlainCaption(t.in)) << t.in;
}

TEST(MnemonicCaption, DoublesOnlyTheAmpersandsThatMarkNoMnemonic) {
  struct Case { std::string_view in; std::string_view want; };
  const Case cases[] = {
      {"Calls & SMS", "Calls && SMS"},
      {"trailing &", "trailing &&"},
      {"To Count && Find", "To Count && Find"},
      {"&Settings", "&Settings"},
      {"a&&&b", "a&&&b"},
      {"& &", "&& &&"},
      {"", ""},
  };
  for (const Case& t : cases) EXPECT_EQ(t.want, MnemonicCaption(t.in)) << t.in;
}

}  // namespace
}  // namespace zvonar
