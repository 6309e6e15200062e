#include "config/AddedTexts.h"

#include <gtest/gtest.h>

#include "base/Cp1251.h"
#include "base/TextFile.h"
#include "config/ShippedFiles.h"

namespace zvonar {
namespace {

LanguageFile Shipped(const std::string& name) {
  for (const ShippedFile& f : ShippedLanguageFiles())
    if (f.name == name) return LanguageFile(SplitLines(f.bytes));
  ADD_FAILURE() << name << " is not shipped";
  return LanguageFile();
}

TEST(TextOf, ShippedFilesGiveTheirOwnLines) {
  const LanguageFile en = Shipped("english.lng");
  const LanguageFile ru = Shipped("russian.lng");
  for (std::size_t i = 119; i < kLanguageFileLines; ++i) {
    const auto t = static_cast<AddedText>(i);
    EXPECT_EQ(EnglishText(t), TextOf(en, t)) << "line " << i;
    EXPECT_NE(TextOf(en, t), TextOf(ru, t)) << "line " << i << " is not translated";
  }
  std::string ru120;
  ASSERT_TRUE(Utf8ToCp1251("Звонарь уже запущен с этим каталогом данных.", &ru120).ok());
  EXPECT_EQ(ru120, TextOf(ru, AddedText::AlreadyRunning));
}

TEST(TextOf, ShortOrBlankLinesGiveEnglish) {
  std::vector<std::string> lines(119, "x");
  EXPECT_EQ("The table is in use by another program.", TextOf(LanguageFile(lines), AddedText::TableInUse));
  lines.push_back("Mine");
  lines.push_back("");
  const LanguageFile file(lines);
  EXPECT_EQ("Mine", TextOf(file, AddedText::AlreadyRunning));
  EXPECT_EQ(EnglishText(AddedText::TableInUse), TextOf(file, AddedText::TableInUse));
}

}  // namespace
}  // namespace zvonar
