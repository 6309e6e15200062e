#include "config/ShippedFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "base/Cp1251.h"
#include "base/TextFile.h"
#include "base/tests/TestSupport.h"
#include "config/AddedTexts.h"
#include "config/LanguageFile.h"

namespace zvonar {
namespace {

using testing::ReadOrEmpty;
using testing::TempDir;
using testing::WriteOrDie;

constexpr std::size_t kLanguageLines = kLanguageFileLines;
// Lines no window reads; they may be anything, even empty.
const std::set<std::size_t> kUnreadLines = {0, 1, 17, 26, 42, 56, 95, 96, 111};

std::string Bytes(std::string_view utf8) {
  std::string bytes;
  if (!Utf8ToCp1251(utf8, &bytes).ok()) ADD_FAILURE() << "not code page 1251: " << utf8;
  return bytes;
}

LanguageFile Shipped(const std::string& name) {
  for (const ShippedFile& f : ShippedLanguageFiles())
    if (f.name == name) return LanguageFile(SplitLines(f.bytes));
  ADD_FAILURE() << name << " is not shipped";
  return LanguageFile();
}

TEST(ShippedLanguageFiles, AreWholeCrLfCodePage1251Files) {
  const std::vector<ShippedFile> files = ShippedLanguageFiles();
  ASSERT_EQ(2u, files.size());
  EXPECT_EQ("english.lng", files[0].name);
  EXPECT_EQ("russian.lng", files[1].name);
  for (const ShippedFile& f : files) {
    const std::vector<std::string> lines = SplitLines(f.bytes);
    EXPECT_EQ(kLanguageLines, lines.size()) << f.name;
    EXPECT_EQ(JoinLinesCrLf(lines), f.bytes) << f.name << ": every line ends with CR LF";
    // Every byte is a character of the code page (0x98 has none) and no
    // control character hides in a caption.
    EXPECT_EQ(f.bytes, Bytes(Cp1251ToUtf8(f.bytes))) << f.name;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const bool clean = std::none_of(lines[i].begin(), lines[i].end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x98;
      });
      EXPECT_TRUE(clean) << f.name << " line " << i;
      if (!kUnreadLines.contains(i)) {
        EXPECT_FALSE(lines[i].empty()) << f.name << " line " << i;
      }
    }
  }
}

TEST(ShippedLanguageFiles, EnglishHoldsTheDesignedCaptions) {
  const LanguageFile en = Shipped("english.lng");
  struct Case { std::size_t line; std::string_view text; };
  const Case cases[] = {
      {2, "Tellura Detalization"},
      {3, "Owner"},
      {5, "Date / Time"},
      {18, "Control"},  // framed by the window
      {23, "From:"},
      {28, "Add Detalization"},  // the menu adds the dots
      {38, "To Count && Find Max Activity"},
      {41, "&Settings"},
      {50, "Codes / Types"},
      {63, "Change"},
      {77, "Print Filtered..."},  // its menu adds nothing
      {85, "Base not Created! Reload the Program!"},
      {86, "All"},
      {118, "Primary Service Number"},
  };
  for (const Case& t : cases) EXPECT_EQ(t.text, en.Line(t.line)) << "line " << t.line;
  EXPECT_EQ("Change Codes / Types...", en.Line(63) + " " + en.WithDots(50));
}

TEST(ShippedLanguageFiles, RussianIsATranslationLineByLine) {
  const LanguageFile en = Shipped("english.lng");
  const LanguageFile ru = Shipped("russian.lng");
  EXPECT_EQ(Bytes("Владелец"), ru.Line(3));
  EXPECT_EQ(Bytes("Добавить детализацию"), ru.Line(28));
  EXPECT_EQ(Bytes("Все"), ru.Line(86));
  // Mnemonics and literal ampersands are written the same way in both.
  for (std::size_t i = 0; i < kLanguageLines; ++i) {
    EXPECT_EQ(std::count(en.Line(i).begin(), en.Line(i).end(), '&'),
              std::count(ru.Line(i).begin(), ru.Line(i).end(), '&'))
        << "line " << i;
  }
}

TEST(SeedDataDir, WritesMissingFilesOnly) {
  TempDir dir;
  const std::string own = "My English\r\n";
  WriteOrDie(dir.File("english.lng"), own);

  ASSERT_TRUE(SeedDataDir(dir.path()).ok());
  EXPECT_EQ(own, ReadOrEmpty(dir.File("english.lng")));  // the user's file stays
  LanguageFile ru;
  ASSERT_TRUE(LanguageFile::Load(dir.File("russian.lng"), &ru).ok());
  EXPECT_EQ(kLanguageLines, ru.LineCount());
  EXPECT_EQ(Shipped("russian.lng").Line(3), ru.Line(3));

  // A second start finds everything in place and changes nothing.
  WriteOrDie(dir.File("russian.lng"), "edited\r\n");
  ASSERT_TRUE(SeedDataDir(dir.path()).ok());
  EXPECT_EQ("edited\r\n", ReadOrEmpty(dir.File("russian.lng")));
  EXPECT_EQ(own, ReadOrEmpty(dir.File("english.lng")));
}

TEST(SeedDataDir, FillsAnEmptyDirectoryAndReportsAFailedWrite) {
  TempDir dir;
  ASSERT_TRUE(SeedDataDir(dir.path()).ok());
  for (const ShippedFile& f : ShippedLanguageFiles()) EXPECT_EQ(f.bytes, ReadOrEmpty(dir.File(f.name)));

  const Status s = SeedDataDir(dir.File("missing/"));
  EXPECT_FALSE(s.ok());
  EXPECT_NE(std::string::npos, s.message().find("english.lng")) << s.message();
}

TEST(ShippedExamplesDir, IsShareZvonarExamplesBesideTheProgramsFolder) {
  EXPECT_EQ("/usr/share/zvonar/examples/", ShippedExamplesDir("/usr/bin/"));
  EXPECT_EQ("/work/build/share/zvonar/examples/", ShippedExamplesDir("/work/build/app/"));
}

TEST(CopyShippedExamples, CopiesBillsAndBooksKeepingFilesThatAreThere) {
  TempDir shipped;
  WriteOrDie(shipped.File("b.html"), "html bill");
  WriteOrDie(shipped.File("a.txt"), "text bill");
  WriteOrDie(shipped.File("README.md"), "not a bill");
  WriteOrDie(shipped.File("abonents.dat"), "book");
  WriteOrDie(shipped.File("codetype.dat"), "codes");
  TempDir data;
  WriteOrDie(data.File("abonents.dat"), "the user's book");

  std::vector<std::string> bills;
  ASSERT_TRUE(CopyShippedExamples(shipped.path(), data.path(), &bills).ok());
  EXPECT_EQ((std::vector<std::string>{data.File("examples/a.txt"), data.File("examples/b.html")}), bills);
  EXPECT_EQ("text bill", ReadOrEmpty(data.File("examples/a.txt")));
  EXPECT_EQ("the user's book", ReadOrEmpty(data.File("abonents.dat")));
  EXPECT_EQ("codes", ReadOrEmpty(data.File("codetype.dat")));
  EXPECT_FALSE(FileExists(data.File("examples/README.md")));
}

TEST(CopyShippedExamples, AFolderWithoutBillsOrAFailedWriteIsAnError) {
  TempDir shipped;
  TempDir data;
  std::vector<std::string> bills{"stale"};
  Status s = CopyShippedExamples(shipped.File("missing/"), data.path(), &bills);
  EXPECT_EQ(StatusKind::NotFound, s.kind());
  EXPECT_NE(std::string::npos, s.message().find(shipped.File("missing/"))) << s.message();
  EXPECT_TRUE(bills.empty());

  WriteOrDie(shipped.File("a.txt"), "text bill");
  WriteOrDie(data.File("examples"), "a file where the folder goes");
  s = CopyShippedExamples(shipped.path(), data.path(), &bills);
  EXPECT_FALSE(s.ok());
  EXPECT_TRUE(bills.empty());
}

TEST(LanguageForLocale, RussianForRuLocalesByPosixPrecedence) {
  struct Case {
    const char *all, *messages, *lang, *want;
  };
  const Case cases[] = {
      {nullptr, nullptr, "ru_RU.UTF-8", "russian"},
      {nullptr, nullptr, "ru", "russian"},
      {"", "ru_UA.UTF-8", "en_US.UTF-8", "russian"},  // an empty variable does not count
      {"en_US.UTF-8", "ru_RU.UTF-8", "ru_RU.UTF-8", "english"},
      {nullptr, nullptr, "C.UTF-8", "english"},
      {nullptr, nullptr, nullptr, "english"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.want, LanguageForLocale(c.all, c.messages, c.lang)) << (c.lang ? c.lang : "(unset)");
}

}  // namespace
}  // namespace zvonar
