#include "analysis/ResultRows.h"

namespace zvonar {

void ResultRows::Clear() {
  text_.clear();
  starts_.clear();
}

void ResultRows::Reserve(std::size_t rows, std::size_t textBytes) {
  starts_.reserve(rows * kResultColumns);
  text_.reserve(textBytes);
}

void ResultRows::Append(const std::array<std::string_view, kResultColumns>& cells) {
  for (std::string_view cell : cells) {
    starts_.push_back(text_.size());
    text_.append(cell);
  }
}

std::string_view ResultRows::Cell(std::size_t row, int column) const {
  const std::size_t i = row * kResultColumns + static_cast<std::size_t>(column);
  const uint64_t begin = starts_[i];
  const uint64_t end = i + 1 < starts_.size() ? starts_[i + 1] : text_.size();
  return std::string_view(text_).substr(begin, end - begin);
}

std::array<std::string_view, kResultColumns> ResultRows::Row(std::size_t row) const {
  std::array<std::string_view, kResultColumns> cells;
  for (int c = 0; c < kResultColumns; ++c) cells[static_cast<std::size_t>(c)] = Cell(row, c);
  return cells;
}

}  // namespace zvonar
