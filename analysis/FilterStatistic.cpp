// Sums are kept as doubles: the texts are seconds and money in hundredths,
// whose rounding errors stay far below the seven digits shown.
#include "analysis/FilterStatistic.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "import/NumberText.h"

namespace zvonar {
namespace {

constexpr int kType = 5, kSec = 6;  // result-row columns; Min and Cost follow Sec

std::string StripFraction(std::string digits) {
  if (digits.find('.') == std::string::npos) return digits;
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (!digits.empty() && digits.back() == '.') digits.pop_back();
  return digits;
}

}  // namespace

std::string FormatGeneral(double value) {
  if (value == 0 || !std::isfinite(value)) return "0";
  // Seven significant digits in scientific form tell the exponent after
  // rounding, which decides the form.
  char sci[64];
  const auto r = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 6);
  const std::string text(sci, r.ptr);
  const auto e = text.find('e');
  int exponent = 0;
  std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(), exponent);
  if (exponent >= 7 || std::fabs(value) < 0.00001) {
    std::string exp = std::to_string(std::abs(exponent));
    if (exp.size() < 2) exp.insert(0, "0");
    return StripFraction(text.substr(0, e)) + "E" + (exponent < 0 ? "-" : "+") + exp;
  }
  char fixed[64];
  const auto f = std::to_chars(fixed, fixed + sizeof fixed, value, std::chars_format::fixed, std::max(0, 6 - exponent));
  return StripFraction(std::string(fixed, f.ptr));
}

Status AddAmount(std::string_view text, double* sum) {
  if (text.empty()) return Status::Ok();
  double value = 0;
  if (!ParseFloat(text, &value))
    return Status::Invalid("\"" + std::string(text) + "\" is not a valid floating point value");
  if (!std::isfinite(value) || !std::isfinite(*sum + value))
    return Status::Invalid("the sum is too large to count at \"" + std::string(text) + "\"");
  *sum += value;
  return Status::Ok();
}

std::vector<StatRow> BuildStatRows(const std::vector<std::string>& typeTexts, const std::string& allText) {
  std::vector<StatRow> rows;
  rows.reserve(typeTexts.size() + 1);
  for (const std::string& text : typeTexts) rows.push_back({text, "", "", ""});
  rows.push_back({allText, "", "", ""});
  return rows;
}

namespace {

// Fills the caption rows of `stat` from `sumsOf(key, sums)`, which adds
// Sec, Min and Cost into `sums`; `keys[r]` is the Type text row r counts.
// A caption without sums is dropped, the last row takes the totals. The
// kept rows move up in one pass, so a table of many captions costs no more
// than its length. On a failure the captions done so far are filled (or
// dropped) and the others stay as they were.
template <typename SumsOf>
Status FillStatistic(std::vector<StatRow>* stat, const std::vector<std::string>& keys, const SumsOf& sumsOf) {
  double total[3] = {0, 0, 0};
  const std::size_t captions = stat->size() - 1;
  std::size_t kept = 0;
  // A caption that stands twice shows its sums twice but counts once in the
  // total, which is the list's total.
  std::unordered_set<std::string_view> counted;
  for (std::size_t r = 0; r < captions; ++r) {
    double sums[3] = {0, 0, 0};
    const Status s = sumsOf(std::string_view(keys[r]), sums);
    if (!s.ok()) {
      stat->erase(stat->begin() + static_cast<std::ptrdiff_t>(kept), stat->begin() + static_cast<std::ptrdiff_t>(r));
      return s;
    }
    if (sums[0] == 0 && sums[1] == 0 && sums[2] == 0) continue;
    if (counted.insert(keys[r]).second) {
      for (int k = 0; k < 3; ++k) {
        total[k] += sums[k];
        if (!std::isfinite(total[k])) {
          stat->erase(stat->begin() + static_cast<std::ptrdiff_t>(kept),
                      stat->begin() + static_cast<std::ptrdiff_t>(r));
          return Status::Invalid("the total sum is too large to count");
        }
      }
    }
    if (kept != r) (*stat)[kept] = std::move((*stat)[r]);
    StatRow& row = (*stat)[kept++];
    row.sec = FormatGeneral(sums[0]);
    row.min = FormatGeneral(sums[1]);
    row.cost = FormatGeneral(sums[2]);
  }
  if (kept != captions) (*stat)[kept] = std::move(stat->back());
  stat->resize(kept + 1);
  StatRow& last = stat->back();
  last.sec = FormatGeneral(total[0]);
  last.min = FormatGeneral(total[1]);
  last.cost = FormatGeneral(total[2]);
  return Status::Ok();
}

// The statistic as it is defined: the rows of each caption's type summed in
// row order, caption after caption, a caption without sums dropped. Also
// the way that tells which cell fails first when one is no number.
Status StatisticByCaption(const ResultRows& rows, const std::vector<std::string>& keys,
                          std::vector<StatRow>* stat) {
  std::unordered_map<std::string_view, std::vector<std::size_t>> rowsOfType;
  for (std::size_t i = 0; i < rows.RowCount(); ++i) rowsOfType[rows.Cell(i, kType)].push_back(i);
  return FillStatistic(stat, keys, [&](std::string_view caption, double* sums) {
    const auto found = rowsOfType.find(caption);
    if (found == rowsOfType.end()) return Status::Ok();
    for (std::size_t row : found->second) {
      for (int k = 0; k < 3; ++k) {
        const Status s = AddAmount(rows.Cell(row, kSec + k), &sums[k]);
        if (!s.ok()) return s;
      }
    }
    return Status::Ok();
  });
}

}  // namespace

Status ComputeFilterStatistic(const ResultRows& rows, std::vector<StatRow>* stat, std::string_view noTypeText) {
  if (stat->empty()) return Status::Ok();
  // One pass over the rows adds each to its caption's sums. The sums of a
  // caption take its rows in row order, as the definition above does, so
  // every figure is the same to the last bit; only a cell that is no number
  // sends the work to the definition, to report the same cell.
  // The Type text each row counts (copies: dropping a stat row moves the
  // others); the box's captions first.
  std::vector<std::string> captions;
  captions.reserve(stat->size() - 1);
  for (std::size_t r = 0; r + 1 < stat->size(); ++r) captions.push_back((*stat)[r].caption);
  // Each caption text to its first row: the sums of a caption that stands
  // twice are those of its first row.
  std::unordered_map<std::string_view, std::size_t> firstOf;
  firstOf.reserve(captions.size());
  for (std::size_t r = 0; r < captions.size(); ++r) firstOf.try_emplace(captions[r], r);
  // Then a row for each Type text of the list that no caption names, in the
  // order the texts first appear, before the total row. Their keys are views
  // of the rows' cells until the captions below own them.
  std::vector<std::string_view> others;
  {
    std::unordered_set<std::string_view> seen;
    std::string_view lastSeen;
    bool any = false;
    for (std::size_t i = 0; i < rows.RowCount(); ++i) {
      const std::string_view type = rows.Cell(i, kType);
      if (any && type == lastSeen) continue;
      any = true;
      lastSeen = type;
      if (firstOf.count(type) == 0 && seen.insert(type).second) others.push_back(type);
    }
  }
  if (!others.empty()) {
    StatRow all = std::move(stat->back());
    stat->pop_back();
    for (std::string_view type : others) {
      captions.emplace_back(type);
      stat->push_back({type.empty() ? std::string(noTypeText) : std::string(type), "", "", ""});
    }
    stat->push_back(std::move(all));
    // The captions grew, so their texts may have moved: look them up anew.
    firstOf.clear();
    for (std::size_t r = 0; r < captions.size(); ++r) firstOf.try_emplace(captions[r], r);
  }
  std::vector<std::array<double, 3>> sums(captions.size(), {0, 0, 0});
  std::string_view lastType;
  int lastCaption = -1;
  bool lastKnown = false;
  for (std::size_t i = 0; i < rows.RowCount(); ++i) {
    const std::string_view type = rows.Cell(i, kType);
    if (!lastKnown || type != lastType) {
      const auto at = firstOf.find(type);
      lastCaption = at == firstOf.end() ? -1 : static_cast<int>(at->second);
      lastType = type;
      lastKnown = true;
    }
    if (lastCaption < 0) continue;
    for (int k = 0; k < 3; ++k)
      if (!AddAmount(rows.Cell(i, kSec + k), &sums[static_cast<std::size_t>(lastCaption)][k]).ok())
        return StatisticByCaption(rows, captions, stat);
  }
  return FillStatistic(stat, captions, [&](std::string_view caption, double* out) {
    const std::size_t at = firstOf.at(caption);
    for (int k = 0; k < 3; ++k) out[k] = sums[at][k];
    return Status::Ok();
  });
}

}  // namespace zvonar
