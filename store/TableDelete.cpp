// Deleting many records picked by number and content at once, and reading
// records as raw bytes: what taking back an import needs. The marks are
// written one record at a time after the index file has been marked stale;
// then the marked records' keys leave the index tree (or, when they are
// many, the index file is written whole) once all are down.
#include <algorithm>

#include "store/Table.h"

namespace zvonar {
namespace {

constexpr std::uint32_t kChunkRecords = 4096;
// Up to this many deleted records leave the index orders one by one.
constexpr std::size_t kRemoveOneByOne = 256;

}  // namespace

Status Table::VisitRecords(std::uint32_t first, std::uint32_t last, const RecordVisitor& visit) {
  if (!IsOpen()) return Status::Invalid("the table is not open");
  const TableReadHold read(*this);
  if (!read.status().ok()) return read.status();
  first = std::max<std::uint32_t>(first, 1);
  last = std::min(last, dbf_.RecordCount() + (committing_ ? dbf_.PendingRecords() : 0));
  const std::size_t length = dbf_.RecordLength();
  std::vector<char> chunk;
  for (std::uint32_t at = first; at <= last && at != 0; at += kChunkRecords) {
    const std::uint32_t n = std::min(kChunkRecords, last - at + 1);
    chunk.resize(n * length);
    Status s = dbf_.ReadRecords(at, n, chunk.data());
    if (!s.ok()) return s;
    for (std::uint32_t i = 0; i < n; ++i) visit(at + i, std::string_view(&chunk[i * length], length));
  }
  return Status::Ok();
}

Status Table::DeleteRecords(std::uint32_t first, std::uint32_t last, const RecordPicker& pick, std::uint32_t* deleted) {
  *deleted = 0;
  Status s = Post();
  if (s.ok()) s = RequireBrowse();
  if (s.ok()) s = BeginWrite(false);
  if (!s.ok()) return s;
  std::vector<std::uint32_t> marked;
  std::vector<char> keys;  // the marked records' keys in the tree's form, tag by tag
  char key[256];
  s = VisitRecords(first, last, [&](std::uint32_t recno, std::string_view record) {
    if (!s.ok() || record[0] == kDeletedFlag || !pick(recno, record)) return;
    if (marked.empty()) s = MarkIndexBehind();
    std::string changed(record);
    changed[0] = kDeletedFlag;
    if (s.ok()) s = dbf_.WriteRecord(recno, changed.data());
    if (!s.ok()) return;
    marked.push_back(recno);
    for (const TagIndex& tag : tags_) {
      tag.RecordFileKey(record.data(), key);
      keys.insert(keys.end(), key, key + tag.KeyLength());
    }
  });
  // Many records leave the tree cheaper by a new one written whole.
  const Status paged = paged_ && std::uint64_t{marked.size()} * 10 > live_ ? LeavePaged() : Status::Ok();
  if (s.ok()) s = paged;
  if (!ordersLoaded_) {
    live_ -= static_cast<std::uint32_t>(marked.size());
  } else {
    std::vector<std::uint32_t> all(deleted_.size() + marked.size());
    std::merge(deleted_.begin(), deleted_.end(), marked.begin(), marked.end(), all.begin());
    deleted_.swap(all);
    live_ -= static_cast<std::uint32_t>(marked.size());
    if (marked.size() <= kRemoveOneByOne) {
      for (std::uint32_t recno : marked)
        for (TagIndex& tag : tags_) tag.Remove(recno);
    } else if (!tags_.empty()) {
      // Many records: the orders are sorted again from the keys held, which
      // costs one sort instead of one shift of the order per record.
      LargeVector<std::uint32_t> live;
      live.reserve(live_);
      auto gone = deleted_.begin();
      for (std::uint32_t recno = 1; recno <= dbf_.RecordCount(); ++recno) {
        while (gone != deleted_.end() && *gone < recno) ++gone;
        if (gone == deleted_.end() || *gone != recno) live.push_back(recno);
      }
      for (TagIndex& tag : tags_) {
        tag.ClearOrder();
        tag.Merge(live);
      }
    }
  }
  for (std::size_t i = 0, keyAt = 0; i < marked.size() && paged_; ++i)
    for (std::size_t t = 0; t < tags_.size() && paged_; ++t) {
      const auto length = static_cast<std::size_t>(tags_[t].KeyLength());
      Status removed = tree_.Remove(static_cast<int>(t), std::string_view(&keys[keyAt], length), marked[i]);
      keyAt += length;
      if (removed.ok()) continue;
      // The tree failed: the index file is written whole, from the records.
      tree_.Close();
      paged_ = false;
      if (!ordersLoaded_) removed = ScanRecords();
      if (s.ok()) s = removed;
    }
  *deleted = static_cast<std::uint32_t>(marked.size());
  Status index = marked.empty() ? Status::Ok() : WriteIndex();
  EndWrite();
  if (s.ok() && !index.ok())
    s = Status::Error(index.kind(), std::to_string(marked.size()) +
                                        " records removed; the index file could not be written (" + index.message() +
                                        "); it is sorted again at the next open");
  if (live_ == 0) {
    (void)SetEmpty();
    return s;
  }
  if (InTree()) {
    const Status placed = SeekCurrent();
    return s.ok() ? placed : s;
  }
  const bool stays = recno_ > 0 && !std::binary_search(deleted_.begin(), deleted_.end(), recno_);
  Status moved = stays ? MoveTo(PositionOf(recno_)) : MoveTo(std::min(pos_, live_ - 1));
  if (!stays) bof_ = eof_ = false;
  return s.ok() ? moved : s;
}

}  // namespace zvonar
