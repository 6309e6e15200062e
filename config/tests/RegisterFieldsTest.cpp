#include "config/RegisterFields.h"

#include <gtest/gtest.h>

#include "base/TextFile.h"
#include "base/tests/TestSupport.h"

namespace zvonar {
namespace {

std::vector<std::string> NumberedLines(int count) {
  std::vector<std::string> lines;
  for (int i = 1; i <= count; ++i) lines.push_back("line " + std::to_string(i));
  return lines;
}

TEST(RegisterFields, DefaultsWhenMissingOrTooShort) {
  testing::TempDir dir;
  RegisterFields fields;
  ASSERT_TRUE(RegisterFields::Load(dir.File("fields.dat"), &fields).ok());
  EXPECT_EQ(16u, fields.lines().size());
  EXPECT_EQ("\xD2\xE8\xEF:", fields.Text(RegisterField::TypeMarker));  // Тип:
  EXPECT_EQ("     ", fields.Text(RegisterField::Spaces5));
  EXPECT_EQ(' ', fields.Text(RegisterField::AbonPay).back());
  EXPECT_EQ(10, fields.DateLength());

  const RegisterFields fifteen = RegisterFields::FromLines(NumberedLines(15));
  EXPECT_EQ(RegisterFields().lines(), fifteen.lines());
}

TEST(RegisterFields, SixteenAndMoreLinesAreUsedAndKept) {
  auto lines = NumberedLines(15);
  lines.push_back("12");
  const RegisterFields sixteen = RegisterFields::FromLines(lines);
  EXPECT_EQ("line 1", sixteen.Text(RegisterField::AbonPay));
  EXPECT_EQ("line 15", sixteen.Text(RegisterField::BalanceDate));
  EXPECT_EQ(12, sixteen.DateLength());

  lines.push_back("  extra line  ");
  testing::TempDir dir;
  const std::string path = dir.File("fields.dat");
  ASSERT_TRUE(WriteTextLines(path, lines).ok());
  RegisterFields seventeen;
  ASSERT_TRUE(RegisterFields::Load(path, &seventeen).ok());
  EXPECT_EQ(12, seventeen.DateLength());
  seventeen.SetText(RegisterField::Minus, "a#b");
  ASSERT_TRUE(seventeen.Save(path).ok());
  std::vector<std::string> back;
  ASSERT_TRUE(ReadTextLines(path, &back).ok());
  ASSERT_EQ(17u, back.size());
  EXPECT_EQ("a#b", back[12]);
  EXPECT_EQ("  extra line  ", back[16]);
}

TEST(RegisterFields, DateLengthThatIsNoNumberFallsBackToTen) {
  for (const char* bad : {"", "ten", "1 0", "0x0A", "9.5"}) {
    auto lines = NumberedLines(15);
    lines.push_back(bad);
    EXPECT_EQ(10, RegisterFields::FromLines(lines).DateLength()) << bad;
  }
}

}  // namespace
}  // namespace zvonar
