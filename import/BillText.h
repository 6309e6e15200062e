// Reading a bill held in memory: its lines one at a time without copying
// them, a line folded once for many case-blind marker searches, and the
// dates and times the bill writes, converted by fixed rules that do not
// depend on the process locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "import/Times.h"

namespace zvonar {

// The lines of a text as views into it. CR LF, LF and a lone CR end a line;
// a final line end does not start another line (as SplitLines counts them).
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  // The next line; false after the last one.
  bool Next(std::string_view* line);
  // The line Next would return, without moving; false at the end.
  bool Peek(std::string_view* line) const;
  // 1-based number of the line Next returned last.
  std::size_t LineNo() const { return lineNo_; }

 private:
  std::size_t LineEnd(std::size_t start, std::size_t* next) const;

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t lineNo_ = 0;
};

// Number of lines LineReader finds in `text`.
std::size_t CountLines(std::string_view text);

// One line folded by LowerTextRu, kept for searching it many times.
// Needles and prefixes given to it must be folded already (LowerTextRu).
class FoldedLine {
 public:
  void Assign(std::string_view line);
  // 1-based position of `foldedNeedle`, 0 when absent or empty: PosNoCase.
  std::size_t Pos(std::string_view foldedNeedle) const;
  // True when the line begins with the non-empty `foldedPrefix`.
  bool StartsWith(std::string_view foldedPrefix) const;
  // True when the line, its leading spaces skipped, begins with the
  // non-empty `foldedPrefix`, which must not begin with a space.
  bool StartsWithTrimmed(std::string_view foldedPrefix) const;

 private:
  std::string folded_;
};

struct ClockTime {
  int hour;    // 0..23
  int minute;  // 0..59
  int second;  // 0..59
};

// A bill date: day, month and year separated by dots, one or two digits for
// day and month and four for the year ("1.3.2008", "01.03.2008"), naming a
// real calendar day of the years 1 to 9999. False for anything else.
bool ParseBillDate(std::string_view text, CalendarDate* date);

// A bill time: hours, minutes and optional seconds separated by colons, one
// or two digits each ("9:05", "09:05:30"), within one day. False for
// anything else.
bool ParseBillTime(std::string_view text, ClockTime* time);

// "yyyy.mm.dd", the program's own date form.
std::string FormatStandardDate(const CalendarDate& date);
// "hh:mm:ss".
std::string FormatStandardTime(const ClockTime& time);

// The bill date a balance-date line carries: the text after the marker
// (found at 1-based `markerPos`, `markerLength` long) less one character,
// from its first digit `dateLength` characters, spaces removed and "-"
// turned into ".". Empty when no digit follows the marker.
std::string BillDateText(std::string_view line, std::size_t markerPos, std::size_t markerLength, int dateLength);

}  // namespace zvonar
