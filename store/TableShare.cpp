// The table beside other programs that write it: holds of the lock for
// reading, as the window takes them between the other programs' writes,
// and loading what those programs changed while this table held nothing.
// Another program's change shows in the table file's header (its record
// count and change counter, see DbfFile) or as another index file; the
// index file's blocks read before are then forgotten and read again.
#include <algorithm>

#include "store/Table.h"

namespace zvonar {

void Table::LockOnlyWhileReading() {
  lockWhileReading_ = true;
  lock_.MarkReads();
}

Status Table::BeginRead(std::chrono::milliseconds wait) {
  if (!IsOpen() || !lockWhileReading_) return Status::Ok();
  if (lock_.mode() == LockMode::None) {
    Status s = lock_.Acquire(lockDir_, LockMode::Shared, wait);
    if (s.ok()) s = LoadOthersChanges();
    if (!s.ok()) {
      lock_.Release();
      return s;
    }
  }
  ++reads_;
  return Status::Ok();
}

void Table::EndRead() {
  if (reads_ == 0 || --reads_ > 0) return;
  if (lock_.mode() == LockMode::Shared && !held_) lock_.Release();
}

// While the lock was let go another writer may have changed records or
// written the index file: both are loaded again, the current record kept.
Status Table::LoadOthersChanges() {
  bool changed = false;
  const std::size_t length = dbf_.RecordLength();
  Status s = dbf_.Reload(&changed);
  if (!s.ok()) return s;
  FileIdentity before = indexFile_;
  NoteIndexFile();
  if (!changed && indexFile_ == before) return Status::Ok();
  if (dbf_.RecordLength() != length) {
    Cancel();
    current_.assign(dbf_.RecordLength(), ' ');
  }
  s = LoadOthersRecords();
  if (othersChanged_) othersChanged_();
  return s;
}

Status Table::LoadOthersRecords() {
  const std::string active = ActiveIndex();
  const std::uint32_t recno = recno_;
  OpenNotes notes;
  Status s = LoadIndex(&notes);
  if (s.ok() && !active.empty()) s = SetActiveIndex(active);
  if (!s.ok()) return s;
  if (live_ == 0) return SetEmpty();
  if (InTree()) {
    recno_ = std::min(recno, dbf_.RecordCount());
    if (recno_ > 0 && recno_ == recno) s = dbf_.ReadRecord(recno_, current_.data());
    return s.ok() ? SeekCurrent() : s;
  }
  const bool stays =
      recno > 0 && recno <= dbf_.RecordCount() && !std::binary_search(deleted_.begin(), deleted_.end(), recno);
  return MoveTo(stays ? PositionOf(recno) : std::min(pos_, live_ - 1));
}

}  // namespace zvonar
