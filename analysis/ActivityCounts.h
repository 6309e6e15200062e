// Activity counts: the sums of the Sec, Min, Cost, MTP and All columns and the
// most frequent Number (with its abonent name), Code, Type and Roaming, over
// the whole table or over the result rows. They fill the one-row counts list.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/ResultRows.h"
#include "app/Status.h"

namespace zvonar {

class NameValueList;
class Table;

// Distinct non-empty values in order of first appearance with their counts;
// values differing only in letter case are one value, kept as first met.
class FrequencyTable {
 public:
  void Add(std::string_view value);
  // The value with the highest count; on a tie the one met first. Empty
  // when no value was added.
  std::string MostFrequent() const;

 private:
  std::vector<std::string> values_;
  std::vector<std::size_t> counts_;
  std::unordered_map<std::string, std::size_t> indexOf_;  // folded value -> position
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
