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

}  // namespace

void FilterStatisticSums::Add(std::string_view type, std::string_view sec, std::string_view min,
                              std::string_view cost) {
  if (types_.empty() || types_[last_] != type) {
    const auto found = indexOf_.find(type);
    if (found != indexOf_.end()) {
      last_ = found->second;
    } else {
      last_ = types_.size();
      types_.emplace_back(type);
      indexOf_.emplace(types_.back(), last_);
      sums_.emplace_back();
    }
  }
  TypeSums& t = sums_[last_];
  const std::string_view cells[3] = {sec, min, cost};
  for (int k = 0; k < 3 && t.error.ok(); ++k) t.error = AddAmount(cells[k], &t.sums[static_cast<std::size_t>(k)]);
}

// The sums of a caption are those of the rows whose Type equals it, added in
// row order, which is the statistic's definition; a caption whose rows hold
// a cell that is no number stops the statistic there, with that cell.
Status FilterStatisticSums::Finish(std::vector<StatRow>* stat, std::string_view noTypeText) const {
  if (stat->empty()) return Status::Ok();
  // The Type text each row counts (copies: dropping a stat row moves the
  // others); the box's captions first, then one for each Type text no
  // caption names, in the order the texts were first met, before the total.
  std::vector<std::string> captions;
  for (std::size_t r = 0; r + 1 < stat->size(); ++r) captions.push_back((*stat)[r].caption);
  std::vector<const std::string*> others;
  {
    const std::unordered_set<std::string_view> named(captions.begin(), captions.end());
    for (const std::string& type : types_)
      if (named.count(type) == 0) others.push_back(&type);
  }
  if (!others.empty()) {
    StatRow all = std::move(stat->back());
    stat->pop_back();
    for (const std::string* type : others) {
      captions.push_back(*type);
      stat->push_back({type->empty() ? std::string(noTypeText) : *type, "", "", ""});
    }
    stat->push_back(std::move(all));
  }
  return FillStatistic(stat, captions, [&](std::string_view caption, double* out) {
    const auto found = indexOf_.find(caption);
    if (found == indexOf_.end()) return Status::Ok();
    const TypeSums& t = sums_[found->second];
    if (!t.error.ok()) return t.error;
    for (std::size_t k = 0; k < 3; ++k) out[k] = t.sums[k];
    return Status::Ok();
  });
}

Status ComputeFilterStatistic(const ResultRows& rows, std::vector<StatRow>* stat, std::string_view noTypeText) {
  FilterStatisticSums sums;
  for (std::size_t i = 0; i < rows.RowCount(); ++i)
    sums.Add(rows.Cell(i, kType), rows.Cell(i, kSec), rows.Cell(i, kSec + 1), rows.Cell(i, kSec + 2));
  return sums.Finish(stat, noTypeText);
}

}  // namespace zvonar
