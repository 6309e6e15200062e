// The blocks sit in slots of one buffer; a list through the slots, newest
// first, tells which one goes when the cache is full. Slots are handed out
// in order, so a small walk touches only the first pages of the buffer.
#include "store/NodeCache.h"

#include <algorithm>
#include <cstring>

namespace zvonar {

void NodeCache::Reset(std::size_t blocks, std::size_t blockBytes, bool large) {
  capacity_ = blocks;
  blockBytes_ = blockBytes;
  large_ = large;
  small_.reset();
  memory_.reset();
  slots_.clear();
  free_.clear();
  where_.clear();
  newest_ = oldest_ = kNone;
}

const char* NodeCache::Find(std::uint32_t page) {
  const auto at = where_.find(page);
  if (at == where_.end()) return nullptr;
  if (at->second != newest_) {
    Unlink(at->second);
    LinkNewest(at->second);
  }
  return Data(at->second);
}

void NodeCache::Put(std::uint32_t page, const char* block) {
  if (const auto at = where_.find(page); at != where_.end()) {
    Unlink(at->second);
    LinkNewest(at->second);
    std::memcpy(Data(at->second), block, blockBytes_);
    return;
  }
  if (capacity_ == 0) return;
  std::uint32_t slot = kNone;
  if (!free_.empty()) {
    slot = free_.back();
    free_.pop_back();
  } else if (slots_.size() < capacity_) {
    slot = static_cast<std::uint32_t>(slots_.size());
    slots_.emplace_back();
    if (slot == 0 || slot == kSmallBlocks) Take(slot);
  } else {
    slot = oldest_;
    Unlink(slot);
    where_.erase(slots_[slot].page);
  }
  slots_[slot].page = page;
  LinkNewest(slot);
  where_[page] = slot;
  std::memcpy(Data(slot), block, blockBytes_);
}

// The memory of the slots from `slot` on: the first few, or all the others.
void NodeCache::Take(std::uint32_t slot) {
  const std::size_t blocks = slot == 0 ? std::min<std::size_t>(kSmallBlocks, capacity_) : capacity_ - kSmallBlocks;
  const std::size_t bytes = blocks * blockBytes_;
  // Only the pages used are filled; a small index never fills them all.
  (slot == 0 ? small_ : memory_) = slot != 0 && large_ ? MakeLargeBuffer(bytes) : MakePlainBuffer(bytes);
}

void NodeCache::Erase(std::uint32_t page) {
  const auto at = where_.find(page);
  if (at == where_.end()) return;
  Unlink(at->second);
  free_.push_back(at->second);
  where_.erase(at);
}

void NodeCache::Unlink(std::uint32_t slot) {
  Slot& s = slots_[slot];
  (s.newer == kNone ? newest_ : slots_[s.newer].older) = s.older;
  (s.older == kNone ? oldest_ : slots_[s.older].newer) = s.newer;
  s.newer = s.older = kNone;
}

void NodeCache::LinkNewest(std::uint32_t slot) {
  Slot& s = slots_[slot];
  s.older = newest_;
  s.newer = kNone;
  if (newest_ != kNone) slots_[newest_].newer = slot;
  newest_ = slot;
  if (oldest_ == kNone) oldest_ = slot;
}

}  // namespace zvonar
