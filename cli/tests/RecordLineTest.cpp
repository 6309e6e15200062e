#include <gtest/gtest.h>

#include "base/Cp1251.h"
#include "cli/RecordLine.h"

namespace zvonar {
namespace {

// Every byte, alone and among others, comes out as the UTF-8 of its
// character with TAB, CR, LF and backslash escaped, after what the line held.
TEST(AppendCell, IsTheEscapedUtf8OfEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    std::string line = "x\t";
    AppendCell(one, &line);
    EXPECT_EQ("x\t" + EscapeCell(Cp1251ToUtf8(one)), line) << b;
    all += one + "\xC6\\a";
  }
  std::string line;
  AppendCell(all, &line);
  EXPECT_EQ(EscapeCell(Cp1251ToUtf8(all)), line);
  line.clear();
  AppendCell("\\\t\xEC\r\n", &line);
  EXPECT_EQ("\\\\\\t\xD0\xBC\\r\\n", line);
  AppendCell("", &line);
  EXPECT_EQ("\\\\\\t\xD0\xBC\\r\\n", line);
}

}  // namespace
}  // namespace zvonar
