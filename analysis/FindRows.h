// Find as you type over the rows of a view (the result list or the record
// grid): which rows hold a typed text in their Number, Abonent, Code, Type
// or Roaming, letter case folded as the filter folds it, and how to step
// from match to match. The searched texts are folded once per list and kept
// end to end, so each keystroke is one scan of memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ResultRows.h"
#include "base/Progress.h"
#include "base/Status.h"
#include "store/DetalTable.h"

namespace zvonar {

// The columns a find looks in, as field positions of a record (and columns
// of a result row).
inline constexpr int kFindColumns[] = {kNumberField, kAbonentField, kCodeField, kTypeField, kRoamingField};

// One match stepped to: its row, its place among the matches (1-based, the
// "k" of "k of n"), and whether the step went round an end of the list.
struct FindHit {
  std::size_t row = 0;
  std::size_t ordinal = 0;
  bool wrapped = false;
};

class FindRows {
 public:
  void Clear();
  void Reserve(std::size_t rows, std::size_t textBytes);
  // Appends the next row: the texts of its searched columns (code page 1251).
  void AddRow(std::initializer_list<std::string_view> cells);
  std::size_t RowCount() const { return rowStarts_.size() - 1; }

  // Looks for `text` in every row; an empty text matches no row. A text
  // that holds the one looked for before is searched only among its rows.
  void Search(std::string_view text);
  // The rows holding the text last searched, in list order.
  const std::vector<std::uint32_t>& Matches() const { return matches_; }
  bool IsMatch(std::size_t row) const;

  // The first match at `row` or after it, else the first of the list
  // (wrapped); nothing when no row matches.
  std::optional<FindHit> AtOrAfter(std::size_t row) const;
  // The first match after `row`, else the first of the list (wrapped).
  std::optional<FindHit> After(std::size_t row) const;
  // The last match before `row`, else the last of the list (wrapped).
  std::optional<FindHit> Before(std::size_t row) const;
  // The place among the matches of a matching `row`, 0 for another row.
  std::size_t OrdinalOf(std::size_t row) const;

 private:
  void ScanAll();
  void ScanMatches();
  FindHit Hit(std::size_t index, bool wrapped) const;

  std::string text_;                          // folded cells, each ended by '\0'
  std::vector<std::size_t> rowStarts_ = {0};  // where each row begins, then the end
  std::string needle_;                        // the folded text last searched
  std::vector<std::uint32_t> matches_;
};

// The searched columns of every row of the result list.
FindRows FindRowsOfList(const ResultRows& rows);

// The searched fields of every live record of `table`, in its active order
// (the record grid's rows), read under one hold of the table; the current
// record stays where it was. `progress` gets the rows read and the count.
Status FindRowsOfTable(Table* table, const ProgressFn& progress, FindRows* rows);

}  // namespace zvonar
