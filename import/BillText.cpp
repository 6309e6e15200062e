// Bill lines and bill dates. A bill writes its dates day first
// ("31.03.2008") and its times as "12:30:05" or "12:30"; the table takes
// "yyyy.mm.dd hh:mm:ss". The conversion is done here digit by digit, so the
// result never depends on a locale.
#include "import/BillText.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "import/NumberText.h"
#include "import/TextUtils.h"

namespace zvonar {
namespace {

// Code page 1251 letters LowerTextRu treats specially.
constexpr unsigned char kCapitalYo = 168, kSmallYo = 184, kSmallYe = 229;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads a run of `minDigits` to `maxDigits` digits at `*pos` followed by
// `sep` (or by the end of `s` when `sep` is 0); `*pos` moves past both only
// when they are there.
bool ReadNumber(std::string_view s, std::size_t* pos, std::size_t minDigits, std::size_t maxDigits, char sep,
                int* value) {
  std::size_t at = *pos;
  int v = 0;
  while (at < s.size() && IsDigit(s[at]) && at - *pos < maxDigits) v = v * 10 + (s[at++] - '0');
  if (at - *pos < minDigits) return false;
  if (sep == 0 ? at != s.size() : at >= s.size() || s[at] != sep) return false;
  *pos = sep == 0 ? at : at + 1;
  *value = v;
  return true;
}

// `value` in `width` digits, zero-padded, at `out`; the caller keeps the
// value within the width.
char* PutDigits(int value, int width, char* out) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return out + width;
}

// Three numbers as "yyyy.mm.dd" or "hh:mm:ss", the first `firstWidth` digits
// wide. Bills carry millions of dates and times, so they are written digit
// by digit; a negative value (never from a parsed bill) goes through
// printf's padding instead.
std::string FormatTriple(int first, int firstWidth, char separator, int second, int third) {
  char buf[32];
  if (first < 0 || second < 0 || third < 0) {
    std::snprintf(buf, sizeof buf, "%0*d%c%02d%c%02d", firstWidth, first, separator, second, separator, third);
    return buf;
  }
  char* p = PutDigits(first, firstWidth, buf);
  *p++ = separator;
  p = PutDigits(second, 2, p);
  *p++ = separator;
  p = PutDigits(third, 2, p);
  return std::string(buf, p);
}

}  // namespace

std::size_t LineReader::LineEnd(std::size_t start, std::size_t* next) const {
  const char* begin = text_.data() + start;
  const std::size_t rest = text_.size() - start;
  const void* lf = std::memchr(begin, '\n', rest);
  const std::size_t lfAt =
      lf == nullptr ? text_.size() : static_cast<std::size_t>(static_cast<const char*>(lf) - text_.data());
  const void* cr = std::memchr(begin, '\r', lfAt - start);
  if (cr != nullptr) {
    const std::size_t crAt = static_cast<std::size_t>(static_cast<const char*>(cr) - text_.data());
    *next = crAt + 1 < text_.size() && text_[crAt + 1] == '\n' ? crAt + 2 : crAt + 1;
    return crAt;
  }
  *next = lfAt < text_.size() ? lfAt + 1 : lfAt;
  return lfAt;
}

bool LineReader::Next(std::string_view* line) {
  if (pos_ >= text_.size()) return false;
  std::size_t next = 0;
  const std::size_t end = LineEnd(pos_, &next);
  *line = text_.substr(pos_, end - pos_);
  pos_ = next;
  ++lineNo_;
  return true;
}

bool LineReader::Peek(std::string_view* line) const {
  if (pos_ >= text_.size()) return false;
  std::size_t next = 0;
  const std::size_t end = LineEnd(pos_, &next);
  *line = text_.substr(pos_, end - pos_);
  return true;
}

std::size_t CountLines(std::string_view text) {
  LineReader reader(text);
  std::string_view line;
  while (reader.Next(&line)) {
  }
  return reader.LineNo();
}

// LowerTextRu over a whole line, in a form the compiler turns into vector
// instructions (every line of a bill goes through it): Latin and Cyrillic
// capitals move up by 32, Ё and ё become е.
void FoldedLine::Assign(std::string_view line) {
  folded_.resize(line.size());
  const auto* in = reinterpret_cast<const unsigned char*>(line.data());
  auto* out = reinterpret_cast<unsigned char*>(folded_.data());
  for (std::size_t i = 0; i < line.size(); ++i) {
    const unsigned char c = in[i];
    const bool capital = static_cast<unsigned char>(c - 'A') < 26 || static_cast<unsigned char>(c - 192) < 32;
    const auto lower = static_cast<unsigned char>(capital ? c + 32 : c);
    out[i] = c == kCapitalYo || c == kSmallYo ? kSmallYe : lower;
  }
}

std::size_t FoldedLine::Pos(std::string_view foldedNeedle) const {
  if (foldedNeedle.empty()) return 0;
  const std::size_t at = std::string_view(folded_).find(foldedNeedle);
  return at == std::string_view::npos ? 0 : at + 1;
}

bool FoldedLine::StartsWith(std::string_view foldedPrefix) const {
  return !foldedPrefix.empty() && std::string_view(folded_).starts_with(foldedPrefix);
}

bool FoldedLine::StartsWithTrimmed(std::string_view foldedPrefix) const {
  const std::size_t first = folded_.find_first_not_of(' ');
  return !foldedPrefix.empty() && first != std::string::npos &&
         std::string_view(folded_).substr(first).starts_with(foldedPrefix);
}

bool ParseBillDate(std::string_view text, CalendarDate* date) {
  std::size_t pos = 0;
  int day = 0, month = 0, year = 0;
  if (!ReadNumber(text, &pos, 1, 2, '.', &day) || !ReadNumber(text, &pos, 1, 2, '.', &month) ||
      !ReadNumber(text, &pos, 4, 4, 0, &year))
    return false;
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  *date = CalendarDate{year, month, day};
  return true;
}

bool ParseBillTime(std::string_view text, ClockTime* time) {
  std::size_t pos = 0;
  int hour = 0, minute = 0, second = 0;
  if (!ReadNumber(text, &pos, 1, 2, ':', &hour)) return false;
  if (!ReadNumber(text, &pos, 1, 2, 0, &minute) &&
      !(ReadNumber(text, &pos, 1, 2, ':', &minute) && ReadNumber(text, &pos, 1, 2, 0, &second)))
    return false;
  if (hour > 23 || minute > 59 || second > 59) return false;
  *time = ClockTime{hour, minute, second};
  return true;
}

std::string FormatStandardDate(const CalendarDate& date) {
  return FormatTriple(date.year % 10000, 4, '.', date.month % 100, date.day % 100);
}

std::string FormatStandardTime(const ClockTime& time) {
  return FormatTriple(time.hour % 100, 2, ':', time.minute % 100, time.second % 100);
}

std::string BillDateText(std::string_view line, std::size_t markerPos, std::size_t markerLength, int dateLength) {
  const std::size_t start = markerPos - 1 + markerLength + 1;
  if (markerPos == 0 || start >= line.size() || dateLength <= 0) return {};
  const std::string_view rest = line.substr(start);
  const std::size_t digit = FirstDigitPos(rest);
  if (digit == 0) return {};
  return ReplaceChar('-', '.', RemoveSpaces(rest.substr(digit - 1, static_cast<std::size_t>(dateLength))));
}

}  // namespace zvonar
