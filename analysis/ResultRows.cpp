#include "analysis/ResultRows.h"

#include <algorithm>
#include <cstring>

namespace zvonar {
namespace {

constexpr std::size_t kChunkBytes = 8u << 20;

}  // namespace

ResultRows::Chunk::Chunk(const Chunk& other)
    : text(MakeLargeBuffer(other.size)), size(other.size), capacity(other.size) {
  if (size > 0) std::memcpy(text.get(), other.text.get(), size);
}

ResultRows::Chunk& ResultRows::Chunk::operator=(const Chunk& other) {
  if (this != &other) *this = Chunk(other);
  return *this;
}

void ResultRows::Clear() {
  chunks_.clear();
  rowChunk_.clear();
  starts_.clear();
  order_.clear();
}

void ResultRows::Reserve(std::size_t rows, std::size_t textBytes) {
  rowChunk_.reserve(rows);
  starts_.reserve(rows * kResultColumns);
  reservedText_ = textBytes;
}

void ResultRows::Append(const std::array<std::string_view, kResultColumns>& cells) {
  std::size_t length = 0;
  for (std::string_view cell : cells) length += cell.size();
  if (chunks_.empty() || chunks_.back().capacity - chunks_.back().size < length) {
    Chunk& chunk = chunks_.emplace_back();
    chunk.capacity = std::max({length, kChunkBytes, chunks_.size() == 1 ? reservedText_ : 0});
    chunk.text = MakeLargeBuffer(chunk.capacity);
    if (starts_.capacity() == 0) {
      // Room for some 40,000 rows, each vector on one huge page: filled
      // page by page, and copied as they doubled, they cost more than the
      // rest of a one-owner filter.
      starts_.reserve(LargePageBytes() / sizeof(std::uint32_t));
      rowChunk_.reserve(LargePageBytes() / sizeof(std::uint32_t));
    }
  }
  Chunk& chunk = chunks_.back();
  if (!order_.empty()) order_.push_back(static_cast<std::uint32_t>(rowChunk_.size()));
  rowChunk_.push_back(static_cast<std::uint32_t>(chunks_.size() - 1));
  for (std::string_view cell : cells) {
    starts_.push_back(static_cast<std::uint32_t>(chunk.size));
    if (!cell.empty()) std::memcpy(chunk.text.get() + chunk.size, cell.data(), cell.size());
    chunk.size += cell.size();
  }
}

std::string_view ResultRows::Cell(std::size_t place, int column) const {
  const std::size_t row = order_.empty() ? place : order_[place];
  const std::size_t i = row * kResultColumns + static_cast<std::size_t>(column);
  const std::uint32_t c = rowChunk_[row];
  const Chunk& chunk = chunks_[c];
  const std::size_t begin = starts_[i];
  const bool nextInChunk = column + 1 < kResultColumns || (row + 1 < rowChunk_.size() && rowChunk_[row + 1] == c);
  const std::size_t end = nextInChunk ? starts_[i + 1] : chunk.size;
  return std::string_view(chunk.text.get() + begin, end - begin);
}

std::array<std::string_view, kResultColumns> ResultRows::Row(std::size_t row) const {
  std::array<std::string_view, kResultColumns> cells;
  for (int c = 0; c < kResultColumns; ++c) cells[static_cast<std::size_t>(c)] = Cell(row, c);
  return cells;
}

void ResultRows::Reorder(LargeVector<std::uint32_t> order) {
  if (!order_.empty())
    for (std::uint32_t& row : order) row = order_[row];
  order_ = std::move(order);
}

}  // namespace zvonar
