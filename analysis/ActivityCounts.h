// Activity counts: the sums of the Sec, Min, Cost, MTP and All columns and the
// most frequent Number (with its abonent name), Code, Type and Roaming, over
// the whole table or over the result rows. They fill the one-row counts list.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ResultRows.h"
#include "base/LargeBuffer.h"
#include "base/Status.h"

namespace zvonar {

class NameValueList;
class Table;

// Distinct non-empty values in order of first appearance with their counts;
// values differing only in letter case are one value, kept as first met.
// A column of a million records may hold nearly a million distinct numbers,
// so the values share one buffer and an open-addressing hash finds them.
class FrequencyTable {
 public:
  // Room for `values` distinct values without growing on the way.
  void Reserve(std::size_t values);
  void Add(std::string_view value);
  // The value with the highest count; on a tie the one met first. Empty
  // when no value was added.
  std::string MostFrequent() const;

 private:
  std::string_view Value(std::size_t i) const;
  void Grow(std::size_t slots);

  // On huge pages: the numbers of a million records fill some 30 MB here,
  // which page by page cost a fifth of the counts' time.
  LargeString text_;                  // the values as first met, back to back
  LargeVector<std::uint64_t> start_;  // where value i begins; it ends where i + 1 begins
  LargeVector<std::uint64_t> hash_;   // of the folded value
  LargeVector<std::uint32_t> count_;
  LargeVector<std::uint32_t> slots_;  // value index + 1, 0 for a free slot
};

// The cells of the counts row, in the result list's twelve columns. Cells
// the counts do not compute (Owner, Date / Time) stay as they were.
using CountsRow = std::array<std::string, kResultColumns>;

// Counts over the result rows into `row`. On a number column holding no
// number nothing is written and the error is returned. `book` (may be null)
// names the most frequent number; without a name the Abonent cell keeps its
// text.
Status CountActivityInRows(const ResultRows& rows, const NameValueList* book, CountsRow* row);

// The same over every record of the table, walked in its active order.
Status CountActivityInTable(Table* table, const NameValueList* book, CountsRow* row);

}  // namespace zvonar
