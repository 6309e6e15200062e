// The rows of the result list: one row per record that passed the filter or
// came from a filtered-list file, twelve texts each (Owner, then the other
// fields in table order). Kept compactly in one text buffer, since a filter
// over a large table may give a million rows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zvonar {

inline constexpr int kResultColumns = 12;

class ResultRows {
 public:
  std::size_t RowCount() const { return starts_.size() / kResultColumns; }
  bool Empty() const { return starts_.empty(); }
  void Clear();
  void Reserve(std::size_t rows, std::size_t textBytes);

  void Append(const std::array<std::string_view, kResultColumns>& cells);
  // Column 0 is the row's caption (Owner); 1..11 are its sub-items.
  std::string_view Cell(std::size_t row, int column) const;
  std::array<std::string_view, kResultColumns> Row(std::size_t row) const;

 private:
  std::string text_;
  std::vector<uint64_t> starts_;  // start of every cell; a cell ends where the next begins
};

}  // namespace zvonar
