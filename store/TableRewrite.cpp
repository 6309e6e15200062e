// Rewriting fields of every record in blocks: the fills of names and of
// code/type texts. Reading and writing a block of records at a time instead
// of one record per edit makes a pass over a million records a matter of
// the disk's speed. Each run of changed records goes through the redo file
// first, so a crash in the middle leaves each record either as it was or,
// once the table is opened again, as rewritten.
#include <algorithm>
#include <cstring>

#include "store/Bytes.h"
#include "store/RewriteRedo.h"
#include "store/Table.h"

namespace zvonar {
namespace {

constexpr std::size_t kRewriteBlockBytes = 4u << 20;

}  // namespace

Status Table::RewriteFields(const std::vector<int>& fields, const FieldRewriteFn& rewrite, const ProgressFn& progress,
                            std::uint32_t* changed, const ChangedRecordFn& noteChange) {
  *changed = 0;
  Status s = Post();
  if (s.ok()) s = RequireBrowse();
  if (!s.ok()) return s;
  for (int f : fields) {
    if (f < 0 || f >= FieldCount()) return Status::Invalid("the table has no field " + std::to_string(f + 1));
    if (Field(f).type == FieldType::DateTime)
      return Status::Invalid("field " + Field(f).name + " is a date-time, not a text");
  }
  s = BeginWrite(false);
  if (!s.ok()) return s;

  std::vector<TagIndex*> moved;  // tags over a rewritten field
  for (TagIndex& tag : tags_)
    if (std::find(fields.begin(), fields.end(), tag.field()) != fields.end()) moved.push_back(&tag);
  // Keys moved by a rewrite of every record follow in memory; the index
  // file is then written whole.
  if (!moved.empty()) s = LeavePaged();
  if (!s.ok()) {
    EndWrite();
    return s;
  }

  const std::uint32_t count = dbf_.RecordCount();
  const std::size_t length = dbf_.RecordLength();
  const std::uint32_t perBlock = static_cast<std::uint32_t>(std::max<std::size_t>(1, kRewriteBlockBytes / length));
  std::vector<char> block;
  std::vector<char> before(length);
  FieldRewrite record;
  record.texts.resize(fields.size());
  record.store.resize(fields.size());
  for (std::uint32_t first = 1; first <= count && s.ok(); first += perBlock) {
    const std::uint32_t n = std::min(perBlock, count - first + 1);
    block.resize(n * length);
    s = dbf_.ReadRecords(first, n, block.data());
    std::uint32_t dirtyFirst = n, dirtyLast = 0;  // the run of records to write back
    for (std::uint32_t i = 0; i < n && s.ok(); ++i) {
      char* bytes = &block[i * length];
      if (bytes[0] == kDeletedFlag) continue;
      record.recno = first + i;
      for (std::size_t k = 0; k < fields.size(); ++k) {
        record.texts[k] = TrimmedField(bytes + dbf_.FieldOffset(fields[k]), Field(fields[k]).width);
        record.store[k].reset();
      }
      rewrite(record);
      // A new text may view the record's own bytes: it is read from a copy.
      std::memcpy(before.data(), bytes, length);
      for (std::size_t k = 0; k < fields.size(); ++k) {
        if (!record.store[k]) continue;
        std::string_view text = *record.store[k];
        if (text.data() >= bytes && text.data() < bytes + length)
          text = std::string_view(before.data() + (text.data() - bytes), text.size());
        (void)EncodeField(fields[k], text, bytes);
      }
      if (std::memcmp(before.data(), bytes, length) == 0) continue;
      if (noteChange) {
        s = noteChange(record.recno, std::string_view(before.data(), length), std::string_view(bytes, length));
        if (!s.ok()) break;
      }
      if (!moved.empty()) {
        bool keyMoved = false;
        for (TagIndex* tag : moved) keyMoved = keyMoved || tag->KeyDiffers(record.recno, bytes);
        if (keyMoved) s = MarkIndexBehind();
        for (TagIndex* tag : moved) {
          if (!tag->KeyDiffers(record.recno, bytes)) continue;
          tag->Remove(record.recno);
          tag->SetKey(record.recno, bytes);
          tag->Insert(record.recno);
        }
      }
      dirtyFirst = std::min(dirtyFirst, i);
      dirtyLast = std::max(dirtyLast, i);
      ++*changed;
    }
    if (s.ok() && dirtyFirst <= dirtyLast) {  // a failed note leaves the whole block unwritten
      const std::uint32_t runCount = dirtyLast - dirtyFirst + 1;
      const char* run = &block[dirtyFirst * length];
      s = WriteRedo(dbf_.path(), dbf_.OffsetOf(first + dirtyFirst), run, std::size_t{runCount} * length);
      if (s.ok()) s = dbf_.WriteRecords(first + dirtyFirst, runCount, run);
      if (s.ok()) s = RemoveRedo(dbf_.path());
    }
    if (s.ok() && progress) progress(std::min<std::int64_t>(first + n - 1, count), count);
  }
  Status reread = live_ > 0 ? dbf_.ReadRecords(recno_, 1, current_.data()) : Status::Ok();
  EndWrite();
  return s.ok() ? reread : s;
}

Status Table::PatchRecords(const std::vector<std::uint32_t>& recnos, const RecordPatchFn& patch,
                           const ProgressFn& progress, std::uint32_t* patched) {
  std::size_t at = 0;
  return PatchRecords([&] { return at < recnos.size() ? recnos[at++] : 0; }, static_cast<std::uint32_t>(recnos.size()),
                      patch, progress, patched);
}

Status Table::PatchRecords(const RecnoSourceFn& next, std::uint32_t expected, const RecordPatchFn& patch,
                           const ProgressFn& progress, std::uint32_t* patched) {
  *patched = 0;
  Status s = Post();
  if (s.ok()) s = RequireBrowse();
  if (s.ok()) s = BeginWrite(false);
  if (!s.ok()) return s;
  const std::uint32_t count = dbf_.RecordCount();
  const std::size_t length = dbf_.RecordLength();
  const std::uint32_t perBlock = static_cast<std::uint32_t>(std::max<std::size_t>(1, kRewriteBlockBytes / length));
  std::vector<char> block, before(length);
  bool deletionsMoved = false;
  std::uint32_t done = 0;
  for (std::uint32_t pending = next(); pending != 0 && s.ok();) {
    const std::uint32_t first = pending;
    if (first == 0 || first > count) {
      s = Status::Invalid("record " + std::to_string(first) + " is not in the table");
      break;
    }
    const std::uint32_t n = std::min(perBlock, count - first + 1);
    block.resize(std::size_t{n} * length);
    s = dbf_.ReadRecords(first, n, block.data());
    std::uint32_t dirtyFirst = n, dirtyLast = 0;
    for (; pending >= first && pending < first + n && s.ok(); pending = next(), ++done) {
      const std::uint32_t recno = pending;
      char* bytes = &block[std::size_t{recno - first} * length];
      std::memcpy(before.data(), bytes, length);
      if (!patch(recno, bytes) || std::memcmp(before.data(), bytes, length) == 0) continue;
      const bool wasLive = before[0] != kDeletedFlag, isLive = bytes[0] != kDeletedFlag;
      // Only a key that moves, or a record that leaves or joins the orders,
      // puts the index file behind: an undo of a fill moves none.
      const bool keysMove = std::any_of(tags_.begin(), tags_.end(), [&](const TagIndex& tag) {
        return wasLive != isLive || (wasLive && tag.KeysDiffer(before.data(), bytes));
      });
      if (keysMove) s = MarkIndexBehind();
      for (std::size_t t = 0; t < tags_.size() && s.ok(); ++t) {
        TagIndex& tag = tags_[t];
        const bool keyMoved = tag.KeysDiffer(before.data(), bytes);
        const std::vector<int> only{static_cast<int>(t)};
        if (wasLive && (!isLive || keyMoved)) {
          if (ordersLoaded_) tag.Remove(recno);
          s = TreeKeys(recno, before.data(), false, only);
        }
        if (s.ok() && isLive && (!wasLive || keyMoved)) {
          if (ordersLoaded_) {
            tag.SetKey(recno, bytes);
            tag.Insert(recno);
          }
          s = TreeKeys(recno, bytes, true, only);
        }
      }
      if (wasLive != isLive) {
        if (ordersLoaded_) {
          const auto it = std::lower_bound(deleted_.begin(), deleted_.end(), recno);
          if (isLive)
            deleted_.erase(it);
          else
            deleted_.insert(it, recno);
        }
        live_ = isLive ? live_ + 1 : live_ - 1;
        deletionsMoved = true;
      }
      dirtyFirst = std::min(dirtyFirst, recno - first);
      dirtyLast = std::max(dirtyLast, recno - first);
      ++*patched;
    }
    if (s.ok() && dirtyFirst <= dirtyLast) {
      const std::uint32_t runCount = dirtyLast - dirtyFirst + 1;
      const char* run = &block[std::size_t{dirtyFirst} * length];
      s = WriteRedo(dbf_.path(), dbf_.OffsetOf(first + dirtyFirst), run, std::size_t{runCount} * length);
      if (s.ok()) s = dbf_.WriteRecords(first + dirtyFirst, runCount, run);
      if (s.ok()) s = RemoveRedo(dbf_.path());
    }
    if (s.ok() && progress) progress(done, std::max(done, expected));
  }
  const Status index = *patched > 0 ? WriteIndex() : Status::Ok();
  EndWrite();
  if (s.ok()) s = index;
  if (live_ == 0) {
    (void)SetEmpty();
    return s;
  }
  if (InTree()) {
    const Status placed = SeekCurrent();
    if (s.ok()) s = placed;
  } else if (deletionsMoved || bof_ || eof_) {
    const bool stays = recno_ > 0 && !std::binary_search(deleted_.begin(), deleted_.end(), recno_);
    const Status moved = stays ? MoveTo(PositionOf(recno_)) : MoveTo(std::min(pos_, live_ - 1));
    if (!stays) bof_ = eof_ = false;
    if (s.ok()) s = moved;
  }
  const Status reread = dbf_.ReadRecords(recno_, 1, current_.data());
  return s.ok() ? reread : s;
}

Status Table::CutRecordsFrom(std::uint32_t first, const char* date) {
  Status s = Post();
  if (s.ok()) s = RequireBrowse();
  if (s.ok()) s = BeginWrite(false);
  if (!s.ok()) return s;
  if (first == 0 || first > dbf_.RecordCount()) {
    EndWrite();
    return Status::Invalid("record " + std::to_string(first) + " is not in the table");
  }
  const std::uint32_t lastBefore = dbf_.RecordCount();
  // The keys of the live records cut leave the tree one by one; when they
  // are many, the orders are read and the file is written whole.
  std::vector<std::pair<std::uint32_t, std::string>> cut;
  if (paged_ && std::uint64_t{lastBefore - first + 1} * 10 > live_) s = LeavePaged();
  if (s.ok() && paged_)
    s = VisitRecords(first, lastBefore, [&](std::uint32_t recno, std::string_view record) {
      if (record[0] != kDeletedFlag) cut.emplace_back(recno, record);
    });
  if (s.ok()) s = MarkIndexBehind();
  if (s.ok()) s = dbf_.CutRecords(first - 1, date);
  Status index;
  if (s.ok() && !ordersLoaded_) {
    live_ -= static_cast<std::uint32_t>(cut.size());
    for (const auto& [recno, record] : cut)
      if (index.ok()) index = TreeKeys(recno, record.data(), false);
    if (index.ok()) index = WriteIndex();
  } else if (s.ok()) {
    // The orders keep the keys of the records left, without reading them.
    std::erase_if(deleted_, [first](std::uint32_t recno) { return recno >= first; });
    LargeVector<std::uint32_t> live;
    live.reserve(first - 1 - deleted_.size());
    auto gone = deleted_.begin();
    for (std::uint32_t recno = 1; recno < first; ++recno) {
      if (gone != deleted_.end() && *gone == recno) {
        ++gone;
        continue;
      }
      live.push_back(recno);
    }
    live_ = static_cast<std::uint32_t>(live.size());
    for (TagIndex& tag : tags_) {
      tag.ClearOrder();
      tag.Resize(first - 1);
      tag.Merge(live);
    }
    for (const auto& [recno, record] : cut)
      if (index.ok()) index = TreeKeys(recno, record.data(), false);
    if (index.ok()) index = WriteIndex();
  } else {
    index = RebuildIndex();  // whatever the file holds now
  }
  EndWrite();
  if (s.ok() && !index.ok())
    s = Status::Error(index.kind(), std::to_string(lastBefore - first + 1) +
                                        " records removed; the index file could not be written (" + index.message() +
                                        "); it is sorted again at the next open");
  if (live_ == 0) {
    (void)SetEmpty();
    return s;
  }
  if (InTree()) {
    bof_ = eof_ = false;
    const Status placed = SeekCurrent();
    return s.ok() ? placed : s;
  }
  const bool stays = recno_ > 0 && recno_ < first && !std::binary_search(deleted_.begin(), deleted_.end(), recno_);
  const Status moved = MoveTo(stays ? PositionOf(recno_) : std::min(pos_, live_ - 1));
  bof_ = eof_ = false;
  return s.ok() ? moved : s;
}

}  // namespace zvonar
