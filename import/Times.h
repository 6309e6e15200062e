// Calendar routines of the date filter.
#pragma once

namespace zvonar {

struct CalendarDate {
  int year;
  int month;  // 1..12
  int day;    // 1..31
  friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// The end date the filter proposes for a begin date: the last day of the
// begin's month, or, when the begin already is that day, the same day of the
// next month, cut to that month's length. 10 May gives 31 May, 30 April gives
// 30 May, 31 December gives 31 January, 31 January gives the last day of
// February, 28 February 2024 gives 29 February 2024.
CalendarDate MonthEnd(const CalendarDate& begin);

}  // namespace zvonar
