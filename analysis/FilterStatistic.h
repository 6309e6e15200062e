// The filter statistic: seconds, minutes and cost of the result rows summed
// per type of service, one row per code/type text and a last total row; and
// the number format every sum of the program is shown in.
#pragma once

#include <string>
#include <string_view>
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

}  // namespace zvonar
