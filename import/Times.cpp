#include "import/Times.h"

#include <algorithm>

namespace zvonar {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[(month - 1) % 12];
}

CalendarDate MonthEnd(const CalendarDate& begin) {
  const int length = DaysInMonth(begin.year, begin.month);
  CalendarDate end = begin;
  if (begin.day >= length) {
    end.month = begin.month == 12 ? 1 : begin.month + 1;
    if (begin.month == 12) ++end.year;
  }
  end.day = std::min(length, DaysInMonth(end.year, end.month));
  return end;
}

}  // namespace zvonar
