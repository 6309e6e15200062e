// Calendar arithmetic for the 'T' field. Day numbers follow the usual
// Julian day count (2024-03-15 is 2 460 385), which is what other dBase
// readers expect in the first four bytes of the field.
#include "store/DateTimeField.h"

namespace zvonar {
namespace {

constexpr std::int32_t kFirstValidDay = 1'721'426;  // 0001-01-01
constexpr std::int32_t kLastValidDay = 5'373'484;   // 9999-12-31

bool IsLeapYear(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Digits of `text` at [pos, pos + count) as a number; false when any is not a digit.
bool ReadDigits(std::string_view text, std::size_t pos, std::size_t count, int* value) {
  int v = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  *value = v;
  return true;
}

std::int32_t ReadInt32(const char* p) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return static_cast<std::int32_t>(v);
}

// A day of years 1 to 9999 and a time within the day: what the text form can write.
bool IsValidDateTimeValue(const DateTimeValue& v) {
  return v.day >= kFirstValidDay && v.day <= kLastValidDay && v.ms >= 0 && v.ms < kMsPerDay;
}

void WriteInt32(std::int32_t value, char* p) {
  auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i, v >>= 8) p[i] = static_cast<char>(v & 0xFF);
}

}  // namespace

std::int32_t JulianDayFromDate(int year, int month, int day) {
  const int a = (14 - month) / 12;
  const int y = year + 4800 - a;
  const int m = month + 12 * a - 3;
  return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

void DateFromJulianDay(std::int32_t jdn, int* year, int* month, int* day) {
  const int a = jdn + 32044;
  const int b = (4 * a + 3) / 146097;
  const int c = a - 146097 * b / 4;
  const int d = (4 * c + 3) / 1461;
  const int e = c - 1461 * d / 4;
  const int m = (5 * e + 2) / 153;
  *day = e - (153 * m + 2) / 5 + 1;
  *month = m + 3 - 12 * (m / 10);
  *year = 100 * b + d - 4800 + m / 10;
}

bool ParseDateTimeText(std::string_view text, DateTimeValue* value) {
  if (text.size() != 10 && text.size() != 19) return false;
  if (text[4] != '.' || text[7] != '.') return false;
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (!ReadDigits(text, 0, 4, &y) || !ReadDigits(text, 5, 2, &mo) || !ReadDigits(text, 8, 2, &d)) return false;
  if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo)) return false;
  if (text.size() == 19) {
    if (text[10] != ' ' || text[13] != ':' || text[16] != ':') return false;
    if (!ReadDigits(text, 11, 2, &h) || !ReadDigits(text, 14, 2, &mi) || !ReadDigits(text, 17, 2, &s)) return false;
    if (h > 23 || mi > 59 || s > 59) return false;
  }
  value->day = JulianDayFromDate(y, mo, d);
  value->ms = ((h * 60 + mi) * 60 + s) * 1000;
  return true;
}

std::size_t FormatDateTimeText(const DateTimeValue& value, char* out) {
  if (value.blank() || !IsValidDateTimeValue(value)) return 0;
  int y = 0, mo = 0, d = 0;
  DateFromJulianDay(value.day, &y, &mo, &d);
  const int secs = value.ms / 1000;
  auto put = [out](std::size_t at, int v, int digits) {
    for (int i = digits - 1; i >= 0; --i, v /= 10) out[at + i] = static_cast<char>('0' + v % 10);
  };
  put(0, y, 4);
  out[4] = out[7] = '.';
  put(5, mo, 2);
  put(8, d, 2);
  if (value.ms == 0) return 10;
  out[10] = ' ';
  out[13] = out[16] = ':';
  put(11, secs / 3600, 2);
  put(14, secs / 60 % 60, 2);
  put(17, secs % 60, 2);
  return 19;
}

std::string FormatDateTimeText(const DateTimeValue& value) {
  char text[kDateTimeTextMax];
  return std::string(text, FormatDateTimeText(value, text));
}

void EncodeDateTimeField(const DateTimeValue& value, char* out) {
  WriteInt32(value.day, out);
  WriteInt32(value.ms, out + 4);
}

DateTimeValue DecodeDateTimeField(const char* bytes) {
  return {ReadInt32(bytes), ReadInt32(bytes + 4)};
}

bool IsValidDateTimeField(const char* bytes) {
  const DateTimeValue v = DecodeDateTimeField(bytes);
  return v.blank() ? v.ms == 0 : IsValidDateTimeValue(v);
}

}  // namespace zvonar
