#include <gtest/gtest.h>

#include <cstdint>

#include "store/DateTimeField.h"

namespace zvonar {
namespace {

TEST(DateTimeText, ReadsAndWritesTheListFormat) {
  struct Case {
    std::string_view in;
    std::string_view out;  // as written back
  };
  const Case cases[] = {
      {"2024.03.15 14:30:05", "2024.03.15 14:30:05"},
      {"2024.03.15 00:00:00", "2024.03.15"},  // midnight: time left out
      {"2024.03.15", "2024.03.15"},
      {"2024.02.29 23:59:59", "2024.02.29 23:59:59"},
      {"2000.02.29", "2000.02.29"},
      {"0001.01.01 00:00:01", "0001.01.01 00:00:01"},
      {"9999.12.31 12:00:00", "9999.12.31 12:00:00"},
  };
  for (const Case& c : cases) {
    DateTimeValue v;
    ASSERT_TRUE(ParseDateTimeText(c.in, &v)) << c.in;
    EXPECT_EQ(c.out, FormatDateTimeText(v)) << c.in;
  }
}

TEST(DateTimeText, RefusesWhatIsNotADate) {
  const std::string_view bad[] = {"",           "2024.13.01",          "2023.02.29",          "1900.02.29",
                                  "2024-03-15", "2024.03.15 24:00:00", "2024.03.15 10:60:00", "2024.3.15",
                                  "15.03.2024", "2024.03.15 1:02:03",  "2024.03.15T10:00:00", "0000.01.01"};
  for (std::string_view text : bad) {
    DateTimeValue v{7, 7};
    EXPECT_FALSE(ParseDateTimeText(text, &v)) << text;
    EXPECT_EQ((DateTimeValue{7, 7}), v) << text;
  }
}

TEST(DateTimeField, StoresJulianDayAndMilliseconds) {
  DateTimeValue v;
  ASSERT_TRUE(ParseDateTimeText("2024.03.15 14:30:05", &v));
  EXPECT_EQ(2460385, v.day);
  char bytes[8];
  EncodeDateTimeField(v, bytes);
  const unsigned char want[8] = {0xE1, 0x8A, 0x25, 0x00, 0xC8, 0x95, 0x1C, 0x03};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(want[i], static_cast<unsigned char>(bytes[i])) << i;
  EXPECT_EQ(v, DecodeDateTimeField(bytes));
  EXPECT_TRUE(IsValidDateTimeField(bytes));
}

TEST(DateTimeField, TellsValidBytesFromGarbage) {
  char blank[8] = {};
  EXPECT_TRUE(IsValidDateTimeField(blank));
  EXPECT_EQ("", FormatDateTimeText(DecodeDateTimeField(blank)));
  char badTime[8];
  EncodeDateTimeField({2460385, kMsPerDay}, badTime);
  EXPECT_FALSE(IsValidDateTimeField(badTime));
  char spaces[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  EXPECT_FALSE(IsValidDateTimeField(spaces));
}

TEST(DateTimeField, DamagedValuesHaveNoText) {
  const DateTimeValue damaged[] = {
      {INT32_MAX, 0},                            // far past year 9999: the calendar arithmetic would overflow
      {INT32_MIN, 1000},                         // before year 1
      {JulianDayFromDate(1, 1, 1) - 1, 0},       // the day before the first valid one
      {JulianDayFromDate(9999, 12, 31) + 1, 0},  // the day after the last
      {2460385, -1000},                          // negative time
      {2460385, kMsPerDay},                      // a whole day
  };
  for (const DateTimeValue& v : damaged) EXPECT_EQ("", FormatDateTimeText(v)) << v.day << " " << v.ms;
  EXPECT_EQ("0001.01.01", FormatDateTimeText({JulianDayFromDate(1, 1, 1), 0}));
  EXPECT_EQ("9999.12.31 23:59:59", FormatDateTimeText({JulianDayFromDate(9999, 12, 31), kMsPerDay - 1}));
}

TEST(JulianDay, RoundTripsAcrossCalendarEdges) {
  for (std::int32_t jdn = JulianDayFromDate(1899, 12, 25); jdn < JulianDayFromDate(2101, 1, 5); jdn += 17) {
    int y = 0, m = 0, d = 0;
    DateFromJulianDay(jdn, &y, &m, &d);
    EXPECT_EQ(jdn, JulianDayFromDate(y, m, d));
  }
  EXPECT_EQ(JulianDayFromDate(2024, 3, 1) - 1, JulianDayFromDate(2024, 2, 29));
  EXPECT_EQ(JulianDayFromDate(2023, 3, 1) - 1, JulianDayFromDate(2023, 2, 28));
}

}  // namespace
}  // namespace zvonar
