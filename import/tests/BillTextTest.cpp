#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/BillText.h"
#include "import/TextUtils.h"

namespace zvonar {
namespace {

std::vector<std::string> Lines(std::string_view text) {
  LineReader reader(text);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.Next(&line)) {
    lines.emplace_back(line);
    EXPECT_EQ(lines.size(), reader.LineNo());
  }
  EXPECT_FALSE(reader.Next(&line));
  return lines;
}

using Texts = std::vector<std::string>;

TEST(LineReader, EveryKindOfLineEndEndsOneLine) {
  struct Case {
    std::string_view text;
    Texts want;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\r\rb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF then a lone CR: two ends
      {"a\r\n\nb\rc\r\n", {"a", "", "b", "c"}},
      {"\n", {""}},
      {"\r", {""}},
      {"\r\n", {""}},
      {"", {}},
      {"no end", {"no end"}},
  };
  for (const Case& t : cases) {
    EXPECT_EQ(t.want, Lines(t.text)) << testing::PrintToString(std::string(t.text));
    EXPECT_EQ(t.want.size(), CountLines(t.text)) << testing::PrintToString(std::string(t.text));
  }
}

TEST(LineReader, PeekShowsTheNextLineWithoutMoving) {
  LineReader reader("one\rtwo\nthree");
  std::string_view line;
  ASSERT_TRUE(reader.Peek(&line));
  EXPECT_EQ("one", line);
  EXPECT_EQ(0u, reader.LineNo());
  ASSERT_TRUE(reader.Next(&line));
  ASSERT_TRUE(reader.Peek(&line));
  EXPECT_EQ("two", line);
  ASSERT_TRUE(reader.Next(&line));
  EXPECT_EQ("two", line);
  ASSERT_TRUE(reader.Next(&line));
  EXPECT_EQ("three", line);
  EXPECT_EQ(3u, reader.LineNo());
  EXPECT_FALSE(reader.Peek(&line));
}

TEST(ParseBillDate, DayFirstWithOneOrTwoDigits) {
  struct Case {
    std::string_view text;
    bool ok;
    CalendarDate want;
  };
  const Case cases[] = {
      {"1.3.2008", true, {2008, 3, 1}},
      {"31.12.1999", true, {1999, 12, 31}},
      {"29.02.2008", true, {2008, 2, 29}},
      {"29.02.2007", false, {}},
      {"31.04.2008", false, {}},
      {"0.1.2008", false, {}},
      {"1.13.2008", false, {}},
      {"1.0.2008", false, {}},
      {"1.1.08", false, {}},
      {"001.1.2008", false, {}},
      {"1.1.20081", false, {}},
      {"1-1-2008", false, {}},
      {"1.1.2008 ", false, {}},
      {"", false, {}},
  };
  for (const Case& t : cases) {
    CalendarDate got{};
    EXPECT_EQ(t.ok, ParseBillDate(t.text, &got)) << t.text;
    if (t.ok) {
      EXPECT_EQ(t.want.year, got.year) << t.text;
      EXPECT_EQ(t.want.month, got.month) << t.text;
      EXPECT_EQ(t.want.day, got.day) << t.text;
    }
  }
}

TEST(ParseBillTime, HoursMinutesAndOptionalSeconds) {
  struct Case {
    std::string_view text;
    bool ok;
    std::string_view want;
  };
  const Case cases[] = {
      {"9:05", true, "09:05:00"}, {"23:59:59", true, "23:59:59"}, {"0:0:0", true, "00:00:00"}, {"24:00", false, ""},
      {"12:60", false, ""},       {"12:30:60", false, ""},        {"12", false, ""},           {"12:30:", false, ""},
      {"123:00", false, ""},      {"12:30:05:01", false, ""},     {"12.30", false, ""},
  };
  for (const Case& t : cases) {
    ClockTime got{};
    EXPECT_EQ(t.ok, ParseBillTime(t.text, &got)) << t.text;
    if (t.ok) {
      EXPECT_EQ(t.want, FormatStandardTime(got)) << t.text;
    }
  }
}

TEST(FoldedLine, EveryByteFoldsAsLowerTextRu) {
  std::string line;
  for (int b = 1; b < 256; ++b) line += static_cast<char>(b);
  FoldedLine folded;
  folded.Assign(line + line);
  const std::string want = LowerTextRu(line);
  EXPECT_EQ(1u, folded.Pos(want + want));
  for (int b = 1; b < 256; ++b) {  // byte by byte, so a wrong one is named
    folded.Assign(std::string(1, static_cast<char>(b)));
    EXPECT_EQ(1u, folded.Pos(LowerTextRu(std::string(1, static_cast<char>(b))))) << b;
  }
}

TEST(FormatStandard, DatesAndTimesAreZeroPadded) {
  EXPECT_EQ("0005.03.07", FormatStandardDate(CalendarDate{5, 3, 7}));
  EXPECT_EQ("2008.12.31", FormatStandardDate(CalendarDate{2008, 12, 31}));
  EXPECT_EQ("00:00:00", FormatStandardTime(ClockTime{0, 0, 0}));
  EXPECT_EQ("23:05:09", FormatStandardTime(ClockTime{23, 5, 9}));
}

}  // namespace
}  // namespace zvonar
