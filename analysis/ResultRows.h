// The rows of the result list: one row per record that passed the filter or
// came from a filtered-list file, twelve texts each (Owner, then the other
// fields in table order). Kept compactly in large text chunks, since a filter
// over a large table may give a million rows: a chunk is never moved once
// written, so the list grows without copying what it holds, and a row's
// texts always lie in one chunk.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/LargeBuffer.h"

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
  // Lays the rows out again: row i becomes the row that was `order[i]`, a
  // permutation of the rows. The texts stay where they are.
  void Reorder(LargeVector<std::uint32_t> order);

 private:
  struct Chunk {
    Chunk() = default;
    Chunk(Chunk&&) = default;
    Chunk& operator=(Chunk&&) = default;
    // A copy holds just the text written; later rows go to a new chunk.
    Chunk(const Chunk& other);
    Chunk& operator=(const Chunk& other);
    LargeBuffer text;
    std::size_t size = 0, capacity = 0;
  };
  std::vector<Chunk> chunks_;
  std::vector<std::uint32_t, LargeAllocator<std::uint32_t>> rowChunk_;  // the chunk of every row
  // Start of every cell in its row's chunk; a cell ends where the next one
  // of the chunk begins.
  std::vector<std::uint32_t, LargeAllocator<std::uint32_t>> starts_;
  std::size_t reservedText_ = 0;  // the size of the first chunk, when reserved
  // The rows as appended, by place in the list; empty while that is the
  // order they were appended in.
  LargeVector<std::uint32_t> order_;
};

}  // namespace zvonar
