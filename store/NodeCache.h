// Blocks of the index file kept in memory, the one used longest ago making
// room for a new one. Their memory is taken once, in two pieces: a small
// one for the first blocks, which is all a lookup needs, and the rest when
// a walk needs more. Filling fresh memory costs a page fault per page, so
// the rest, over a large index, fills on huge pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "base/LargeBuffer.h"

namespace zvonar {

class NodeCache {
 public:
  // Empties the cache, which then holds at most `blocks` blocks of
  // `blockBytes` bytes; `large`: the file is larger than that, so the
  // cache will fill.
  void Reset(std::size_t blocks, std::size_t blockBytes, bool large);
  bool Contains(std::uint32_t page) const { return where_.count(page) > 0; }
  // The block of `page`, now the one used last; nullptr when not held.
  const char* Find(std::uint32_t page);
  // Keeps a copy of `block` as `page`'s, the one used last.
  void Put(std::uint32_t page, const char* block);
  void Erase(std::uint32_t page);

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  struct Slot {
    std::uint32_t page = 0;
    std::uint32_t newer = kNone;
    std::uint32_t older = kNone;
  };
  void Take(std::uint32_t slot);
  void Unlink(std::uint32_t slot);
  void LinkNewest(std::uint32_t slot);
  char* Data(std::uint32_t slot) {
    return slot < kSmallBlocks ? &small_[std::size_t{slot} * blockBytes_]
                               : &memory_[std::size_t{slot - kSmallBlocks} * blockBytes_];
  }
  // Appending a bill of a few dozen records touches some 100 blocks of a
  // large index; a walk in index order goes on to the huge pages.
  static constexpr std::uint32_t kSmallBlocks = 256;

  std::size_t capacity_ = 0;
  std::size_t blockBytes_ = 0;
  bool large_ = false;
  LargeBuffer small_;
  LargeBuffer memory_;
  std::vector<Slot> slots_;
  std::vector<std::uint32_t> free_;                         // slots taken before and free again
  std::unordered_map<std::uint32_t, std::uint32_t> where_;  // page -> slot
  std::uint32_t newest_ = kNone;
  std::uint32_t oldest_ = kNone;
};

}  // namespace zvonar
