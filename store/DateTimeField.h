// The date-time of a call as the table keeps it: a day number and the
// milliseconds since midnight, written as text "yyyy.mm.dd hh:mm:ss" (the
// time left out at midnight) and stored in an 8-byte 'T' field.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zvonar {

struct DateTimeValue {
  std::int32_t day = 0;  // Julian day number; 0 is the blank date-time
  std::int32_t ms = 0;   // milliseconds since midnight, 0 .. 86 399 999

  bool blank() const { return day == 0; }
  friend bool operator==(const DateTimeValue&, const DateTimeValue&) = default;
};

inline constexpr std::int32_t kMsPerDay = 86'400'000;

// Julian day number of a date of the proleptic Gregorian calendar.
std::int32_t JulianDayFromDate(int year, int month, int day);

// The calendar date of a Julian day number.
void DateFromJulianDay(std::int32_t jdn, int* year, int* month, int* day);

// Reads "yyyy.mm.dd" or "yyyy.mm.dd hh:mm:ss" (exactly these shapes, a real
// calendar date and time). False for anything else.
bool ParseDateTimeText(std::string_view text, DateTimeValue* value);

// "yyyy.mm.dd hh:mm:ss", or "yyyy.mm.dd" when the time is exactly midnight;
// empty for the blank date-time and for a damaged one (outside the years 1
// to 9999 or the day's milliseconds).
std::string FormatDateTimeText(const DateTimeValue& value);
// The same text written into `out` (room for kDateTimeTextMax bytes); returns
// its length, 0 for the blank date-time.
inline constexpr std::size_t kDateTimeTextMax = 19;
std::size_t FormatDateTimeText(const DateTimeValue& value, char* out);

// The eight bytes of a 'T' field: day number, then milliseconds, both
// 32-bit little-endian. Blank is eight zero bytes.
void EncodeDateTimeField(const DateTimeValue& value, char* out);
DateTimeValue DecodeDateTimeField(const char* bytes);

// True when eight field bytes hold the blank value or a date-time that
// FormatDateTimeText can write (year 1 to 9999, time within the day).
bool IsValidDateTimeField(const char* bytes);

// Milliseconds since the start of Julian day 0: one number that orders
// date-times chronologically.
inline std::int64_t DateTimeOrdinal(const DateTimeValue& v) {
  return static_cast<std::int64_t>(v.day) * kMsPerDay + v.ms;
}

}  // namespace zvonar
