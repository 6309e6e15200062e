// The filter statistic: seconds, minutes and cost of the result rows summed
// per type of service, one row per code/type text and a last total row; and
// the number format every sum of the program is shown in.
#pragma once

#include <array>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/ResultRows.h"
#include "base/Status.h"

namespace zvonar {

// One row of the statistic list: caption, then the sums of Sec, Min, Cost.
struct StatRow {
  std::string caption;
  std::string sec, min, cost;
};

// `value` in the general format with at most 7 significant digits and "."
// as decimal separator: no trailing zeros, no point for whole values, and
// the exponent form (mantissa, "E", sign, two or more digits) when the
// integer part has more than 7 digits or a non-zero value is below 0.00001
// in absolute value. 125.5 gives "125.5", 300 gives "300", 1.5e8 gives
// "1.5E+08".
std::string FormatGeneral(double value);

// Adds a Sec, Min, Cost or MTP text to `sum`; an empty text adds nothing.
// Fails on a text that is not a decimal number with a full stop.
Status AddAmount(std::string_view text, double* sum);

// The statistic rows before any sum: one per type text, then `allText`.
std::vector<StatRow> BuildStatRows(const std::vector<std::string>& typeTexts, const std::string& allText);

// The caption of the statistic row of result rows with an empty Type.
inline constexpr char kNoTypeText[] = "(no type)";

// Computes the statistic of `rows` into `stat` (as BuildStatRows made it):
// each type row sums the result rows whose Type equals its caption exactly;
// after them comes one row for each other Type text of the result, in the
// order the texts first appear, captioned by the text (`noTypeText` for an
// empty one), so that every listed row is counted; a row whose three sums
// are zero is removed; the last row gets the totals of the remaining rows,
// the list's total. On a cell that is no number the computation stops with
// an error and the rows written before stay.
Status ComputeFilterStatistic(const ResultRows& rows, std::vector<StatRow>* stat,
                              std::string_view noTypeText = kNoTypeText);

// The statistic summed as the rows come, none of them kept: each Type text
// met gets its Sec, Min and Cost sums, added in row order, so that Finish
// gives what ComputeFilterStatistic gives for the same rows, to the last
// bit and with the same error.
class FilterStatisticSums {
 public:
  // Adds the Type, Sec, Min and Cost texts of the next row.
  void Add(std::string_view type, std::string_view sec, std::string_view min, std::string_view cost);
  // The statistic of the rows added into `stat`, as ComputeFilterStatistic.
  Status Finish(std::vector<StatRow>* stat, std::string_view noTypeText = kNoTypeText) const;

 private:
  struct TypeSums {
    std::array<double, 3> sums{};
    Status error;  // the first cell of the type that could not be added
  };
  std::deque<std::string> types_;  // in the order first met; the views below point into it
  std::unordered_map<std::string_view, std::size_t> indexOf_;
  std::vector<TypeSums> sums_;
  std::size_t last_ = 0;  // the type of the row before, when any
};

}  // namespace zvonar
