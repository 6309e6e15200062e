#include "import/Times.h"

#include <gtest/gtest.h>

namespace zvonar {
namespace {

TEST(MonthEnd, EndOfMonthOrSameDayNextMonth) {
  struct Case { CalendarDate begin, want; };
  const Case cases[] = {
      {{2006, 5, 10}, {2006, 5, 31}},
      {{2006, 4, 30}, {2006, 5, 30}},
      {{2006, 12, 31}, {2007, 1, 31}},
      {{2006, 2, 28}, {2006, 3, 28}},   // February of a common year has 28 days
      {{2024, 2, 28}, {2024, 2, 29}},   // and 29 in a leap year
      {{2024, 2, 29}, {2024, 3, 29}},
      {{2000, 2, 10}, {2000, 2, 29}},   // 2000 is a leap year, 1900 is not
      {{1900, 2, 10}, {1900, 2, 28}},
      {{2006, 1, 31}, {2006, 2, 28}},   // the 31st before a shorter month: its last day
      {{2024, 1, 31}, {2024, 2, 29}},
      {{2006, 3, 31}, {2006, 4, 30}},
      {{2006, 8, 31}, {2006, 9, 30}},
      {{2006, 7, 31}, {2006, 8, 31}},
      {{2006, 6, 1}, {2006, 6, 30}},
  };
  for (const Case& t : cases) {
    const CalendarDate got = MonthEnd(t.begin);
    EXPECT_EQ(t.want, got) << t.begin.year << "." << t.begin.month << "." << t.begin.day << " gave " << got.year
                           << "." << got.month << "." << got.day;
  }
}

}  // namespace
}  // namespace zvonar
