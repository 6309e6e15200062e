// Calls of a bill that the table holds already: a bill fetched again, or a
// quarterly bill over monthly ones, repeats calls with other bytes. Before
// the import appends, the records it would store are looked up in the table
// through its DateTime index, one short walk per date-time of the bill, so
// that the check costs little however large the table is.
//
// Two records are the same call when their Owner, DateTime, Number, Sec and
// Cost are equal as the table holds them, and their Code too unless one of
// them has none. Each record of the table answers for one record of the bill
// at most: a call the bill holds twice and the table once is known once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "store/Table.h"

namespace zvonar {

// What the check found, for the question before the import.
struct KnownRecordsFound {
  std::size_t records = 0;  // records the import would store
  std::size_t known = 0;    // of them, held by the table already
  // "yyyy.mm.dd" of the earliest and the latest known record; empty when
  // none is known.
  std::string firstDate, lastDate;
};

class KnownRecords {
 public:
  // The widths of `table`'s fields tell how each text will be stored.
  explicit KnownRecords(const Table& table);

  // Notes the next record the import would store (its field texts in table
  // order); records are counted from 0 in the order noted.
  void Add(const std::vector<std::string>& fields);

  // Looks every noted record up in `table` (open, with a DateTime index;
  // without one nothing is found). The table's active index and position
  // are restored afterwards.
  Status Find(Table* table);

  const KnownRecordsFound& Found() const { return found_; }
  // Whether the noted record `ordinal` is held by the table already.
  bool IsKnown(std::size_t ordinal) const { return ordinal < known_.size() && known_[ordinal]; }

 private:
  struct Entry {
    std::int64_t when = 0;   // date-time ordinal
    std::uint64_t call = 0;  // hash of Owner, Number, Sec and Cost as stored
    std::uint64_t code = 0;  // hash of Code as stored; 0 when it has none
    std::uint32_t ordinal = 0;
  };
  Status Walk(Table* table);
  bool Match(std::size_t from, std::size_t to, std::uint64_t call, std::uint64_t code);

  std::vector<int> widths_;
  std::vector<Entry> entries_;
  std::vector<bool> known_;
  KnownRecordsFound found_;
};

}  // namespace zvonar
