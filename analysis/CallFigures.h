// Figures of the result rows for the charts and the summary command: record
// counts and the sums of Sec, Min and Cost per calendar month, per type, per
// number, per hour of the day and per day of the week, and per month and
// type together for stacked bars.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ResultRows.h"

namespace zvonar {

class NameValueList;

// A record count and the sums of Sec, Min and Cost in hundredths: the cells
// hold at most two decimals, so whole hundredths add up exactly.
struct FigureSums {
  std::uint64_t count = 0;
  std::int64_t sec = 0, min = 0, cost = 0;
  bool operator==(const FigureSums&) const = default;
};

// One group of records: its key (a month "yyyy.mm", a type text, a number,
// an hour "0".."23" or a weekday "1".."7" with Monday 1), the name of a
// number (empty for the other groupings) and its sums.
struct FigureGroup {
  std::string key;
  std::string name;
  FigureSums sums;
};

enum class FigureGrouping { Month, Type, Number, Hour, Weekday };
enum class FigureOrder { Count, Sec, Min, Cost };

struct CallFigures {
  // Every month from the first to the last dated record, in calendar order;
  // a month without records has zero sums. (Months further apart than fifty
  // years are listed only where records are.)
  std::vector<FigureGroup> months;
  // Types and numbers in order of first appearance.
  std::vector<FigureGroup> types;
  std::vector<FigureGroup> numbers;
  std::array<FigureSums, 24> hours{};
  std::array<FigureSums, 7> weekdays{};  // Monday first
  // monthTypes[m][t]: the records of months[m] with the type types[t].
  std::vector<std::vector<FigureSums>> monthTypes;
  FigureSums total;
  // Sec, Min or Cost cells that hold no number: left out of the sums.
  std::uint64_t badCells = 0;
  // Records whose Date / Time is no date: in no month, hour or weekday.
  std::uint64_t undated = 0;
};

// The figures of `rows` (Date / Time in the year-first form "yyyy.mm.dd"
// with an optional " hh:mm:ss"). A number is named by `book` (may be null),
// else by the first Abonent cell of its rows that is not empty, else by
// `noNameText`. A Type still holding a raw code that `typeText` names (the
// code/type table's text for it, empty for an unknown code; may be empty)
// is grouped under that text, together with the rows already filled with
// it; an unknown code stays as it is.
using TypeTextFn = std::function<std::string(std::string_view type)>;
CallFigures ComputeCallFigures(const ResultRows& rows, const NameValueList* book, std::string_view noNameText,
                               const TypeTextFn& typeText = {});

// The groups of one grouping: months, hours (all 24) and weekdays (all 7) in
// their natural order, types and numbers in order of first appearance.
std::vector<FigureGroup> FigureGroups(const CallFigures& figures, FigureGrouping by);

// The figure `order` of `sums`, in hundredths (a count too).
std::int64_t FigureOf(const FigureSums& sums, FigureOrder order);

// `groups` ordered by `order`, largest first, equal figures keeping their
// order; then the first `top` kept (0 keeps all).
std::vector<FigureGroup> TopGroups(const std::vector<FigureGroup>& groups, FigureOrder order, std::size_t top);

// The label a chart and the summary show for group `g` of grouping `by`, in
// the language `languageBaseName` (a language file's base name: Russian
// when it holds "russian", else English), code page 1251: a month "yyyy.mm"
// as its name and year ("March 2008", "Март 2008"), a weekday as its short
// name ("Mon", "Пн"); the key of any other group.
std::string FigureLabel(const FigureGroup& g, FigureGrouping by, std::string_view languageBaseName);

// A sum in hundredths in the number format of the statistic: 12550 gives
// "125.5", 30000 gives "300".
std::string FormatHundredths(std::int64_t hundredths);

}  // namespace zvonar
