// Changing a table: editing, appending and deleting single records, and the
// bulk append of the bill import. Each change holds the lock exclusively
// for its time. Every change that moves an index key first marks the index
// file stale on disk, so a crash before the file is rewritten leaves an
// index that the next open sorts again. An append that fails leaves the
// file as it was at the commit point.
#include <algorithm>
#include <cstring>
#include <numeric>

#include "store/DateTimeField.h"
#include "store/Table.h"

namespace zvonar {
namespace {

constexpr std::size_t kBulkBufferBytes = 4u << 20;  // written to the file in steps of this size

}  // namespace

Status Table::BeginWrite(bool append) {
  if (!IsOpen()) return Status::Invalid("the table is not open");
  if (access_ == TableAccess::Read) return Status::Invalid(dbf_.path() + " is open for reading only");
  if (dbf_.ReadOnly()) return Status::IoError("cannot write " + dbf_.path() + ": the file is read-only");
  if (held_) return append ? dbf_.DropUncommitted(&dropped_) : Status::Ok();
  bool released = false;
  Status s;
  if (lock_.mode() == LockMode::None) {
    // Between the reads of LockOnlyWhileReading nothing is held.
    s = lock_.Acquire(lockDir_, LockMode::Exclusive, lockWait_);
    released = true;
  } else {
    s = lock_.Upgrade(lockWait_, &released);
  }
  if (s.ok() && released) s = LoadOthersChanges();
  if (s.ok()) dbf_.BeginChange();
  if (s.ok() && append) s = dbf_.DropUncommitted(&dropped_);
  if (!s.ok()) EndWrite();
  return s;
}

void Table::EndWrite() {
  if (held_) return;
  // What this table wrote is no change of another program's.
  if (IsOpen() && lock_.mode() == LockMode::Exclusive) NoteIndexFile();
  if (lockWhileReading_ && reads_ == 0)
    lock_.Release();
  else
    lock_.Downgrade();
}

Status Table::BeginChanges() {
  if (held_) return Status::Invalid("changes are already held");
  Status s = BeginWrite(false);
  if (s.ok()) held_ = true;
  return s;
}

Status Table::EndChanges() {
  if (!held_) return Status::Ok();
  Status s = Post();
  held_ = false;
  EndWrite();
  return s;
}

Status Table::RequireBrowse() const {
  if (!IsOpen()) return Status::Invalid("the table is not open");
  if (bulk_) return Status::Invalid("a bulk append is running");
  if (state_ != EditState::Browse) return Status::Invalid("a record is being edited");
  return Status::Ok();
}

Status Table::EncodeField(int i, std::string_view text, char* record) const {
  const FieldDef& f = Field(i);
  char* field = record + dbf_.FieldOffset(i);
  if (f.type == FieldType::DateTime) {
    DateTimeValue v;
    if (!ParseDateTimeText(text, &v))
      return Status::Invalid("field " + f.name + ": \"" + std::string(text) +
                             "\" is not a date-time (yyyy.mm.dd hh:mm:ss or yyyy.mm.dd)");
    EncodeDateTimeField(v, field);
    return Status::Ok();
  }
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(f.width));
  std::memcpy(field, text.data(), n);
  std::memset(field + n, ' ', static_cast<std::size_t>(f.width) - n);
  return Status::Ok();
}

// A stored record must hold a date in every date-time field.
Status Table::CheckRecord(const char* record) const {
  for (int i = 0; i < FieldCount(); ++i)
    if (Field(i).type == FieldType::DateTime && DecodeDateTimeField(record + dbf_.FieldOffset(i)).blank())
      return Status::Invalid("field " + Field(i).name + " holds no date");
  return Status::Ok();
}

Status Table::Edit() {
  if (state_ == EditState::Edit) return Status::Ok();
  Status s = RequireBrowse();
  if (!s.ok()) return s;
  if (live_ == 0) return Status::Invalid("there is no record to edit");
  edit_ = current_;
  fieldErrors_.assign(FieldCount(), std::string());
  state_ = EditState::Edit;
  return Status::Ok();
}

Status Table::Append() {
  Status s = Post();
  if (s.ok()) s = RequireBrowse();
  if (!s.ok()) return s;
  edit_.assign(dbf_.RecordLength(), ' ');
  edit_[0] = kLiveFlag;
  for (int i = 0; i < FieldCount(); ++i)
    if (Field(i).type == FieldType::DateTime) EncodeDateTimeField(DateTimeValue{}, &edit_[dbf_.FieldOffset(i)]);
  fieldErrors_.assign(FieldCount(), std::string());
  state_ = EditState::Append;
  return Status::Ok();
}

Status Table::SetFieldText(int i, std::string_view text) {
  if (state_ == EditState::Browse) return Status::Invalid("no record is being edited");
  if (i < 0 || i >= FieldCount()) return Status::Invalid("the table has no field " + std::to_string(i + 1));
  Status s = EncodeField(i, text, edit_.data());
  fieldErrors_[i] = s.ok() ? std::string() : s.message();
  return s;
}

void Table::Cancel() {
  state_ = EditState::Browse;
  fieldErrors_.clear();
}

Status Table::Post() {
  if (state_ == EditState::Browse) return Status::Ok();
  for (const std::string& error : fieldErrors_)
    if (!error.empty()) return Status::Invalid(error);
  Status s = CheckRecord(edit_.data());
  if (s.ok()) s = BeginWrite(state_ == EditState::Append);
  if (!s.ok()) return s;
  if (state_ == EditState::Edit) {
    std::vector<int> moved;
    for (std::size_t t = 0; t < tags_.size(); ++t)
      if (tags_[t].KeysDiffer(current_.data(), edit_.data())) moved.push_back(static_cast<int>(t));
    if (!moved.empty()) s = MarkIndexBehind();
    if (s.ok()) s = dbf_.WriteRecord(recno_, edit_.data());
    if (s.ok() && !moved.empty()) {
      if (ordersLoaded_) {
        for (int t : moved) {
          tags_[t].Remove(recno_);
          tags_[t].SetKey(recno_, edit_.data());
          tags_[t].Insert(recno_);
        }
      }
      s = TreeKeys(recno_, current_.data(), false, moved);
      if (s.ok()) s = TreeKeys(recno_, edit_.data(), true, moved);
    }
    EndWrite();
    if (!s.ok()) return s;
  } else {
    s = dbf_.AppendRecords(edit_.data(), 1);
    if (s.ok()) s = dbf_.Commit();
    if (!s.ok()) (void)dbf_.DropPending();
    EndWrite();
    if (!s.ok()) return s;
    NoteAppended();
    recno_ = dbf_.RecordCount();
    if (ordersLoaded_) {
      for (TagIndex& tag : tags_) {
        tag.Resize(recno_);
        tag.SetKey(recno_, edit_.data());
        tag.Insert(recno_);
      }
    }
    s = TreeKeys(recno_, edit_.data(), true);
    ++live_;
    bof_ = eof_ = false;
  }
  current_.swap(edit_);
  Cancel();
  if (InTree()) {
    const Status placed = SeekCurrent();
    return s.ok() ? placed : s;
  }
  pos_ = PositionOf(recno_);
  return s;
}

// Appended records need no mark in the index file: its record count no
// longer matches. A failed append thus leaves the index file as it was.
void Table::NoteAppended() {
  ownChanges_ = true;
  indexBehind_ = !tags_.empty();
}

Status Table::Delete(const ChangedRecordFn& noteChange) {
  if (state_ != EditState::Browse) Cancel();
  Status s = RequireBrowse();
  if (!s.ok()) return s;
  if (live_ == 0) return Status::Invalid("there is no record to delete");
  s = BeginWrite(false);
  if (!s.ok()) return s;
  if (live_ == 0) {  // another program's change was loaded
    EndWrite();
    return Status::Invalid("there is no record to delete");
  }
  s = MarkIndexBehind();
  const std::string before(current_.begin(), current_.end());
  current_[0] = kDeletedFlag;
  if (s.ok() && noteChange) s = noteChange(recno_, before, std::string_view(current_.data(), current_.size()));
  if (s.ok()) s = dbf_.WriteRecord(recno_, current_.data());
  EndWrite();
  if (!s.ok()) {
    current_[0] = kLiveFlag;
    return s;
  }
  if (ordersLoaded_) {
    for (TagIndex& tag : tags_) tag.Remove(recno_);
    deleted_.insert(std::lower_bound(deleted_.begin(), deleted_.end(), recno_), recno_);
  }
  s = TreeKeys(recno_, before.data(), false);
  --live_;
  if (live_ == 0) {
    (void)SetEmpty();
    return s;
  }
  bof_ = eof_ = false;
  const Status moved = InTree() ? SeekCurrent() : MoveTo(std::min(pos_, live_ - 1));
  return s.ok() ? moved : s;
}

Status Table::BeginBulkAppend(std::uint32_t expected) {
  Status s = Post();
  if (s.ok()) s = RequireBrowse();
  if (s.ok()) s = BeginWrite(true);
  if (!s.ok()) return s;
  const std::uint64_t room = std::uint64_t{dbf_.RecordCount()} + expected;
  if (expected > 0 && room <= UINT32_MAX && ordersLoaded_)
    for (TagIndex& tag : tags_) tag.Reserve(static_cast<std::uint32_t>(room));
  bulkKeys_.clear();
  bulk_ = true;
  bulkError_ = Status::Ok();
  bulkFirst_ = dbf_.RecordCount() + 1;
  bulkBuffered_ = 0;
  bulkBuffer_.clear();
  lastAppended_ = 0;
  // Room taken at once, so growing never copies or fills fresh memory twice;
  // what the guess holds beyond the records is never touched.
  const std::size_t length = dbf_.RecordLength();
  bulkBuffer_.reserve(std::min<std::size_t>(kBulkBufferBytes, std::size_t{expected} * length) + length);
  if (!ordersLoaded_) {
    std::size_t perRecord = 0;
    for (const TagIndex& tag : tags_) perRecord += static_cast<std::size_t>(tag.KeyLength());
    bulkKeys_.reserve(std::size_t{expected} * perRecord);
  }
  return Status::Ok();
}

Status Table::BulkAppend(const std::vector<std::string>& texts) {
  if (!bulk_) return Status::Invalid("no bulk append is running");
  if (!bulkError_.ok()) return bulkError_;
  if (texts.size() != static_cast<std::size_t>(FieldCount()))
    return Status::Invalid(std::to_string(texts.size()) + " field texts for " + std::to_string(FieldCount()) +
                           " fields");
  const std::size_t length = dbf_.RecordLength();
  const std::size_t at = bulkBuffer_.size();
  bulkBuffer_.resize(at + length);
  char* record = &bulkBuffer_[at];
  record[0] = kLiveFlag;
  Status s;
  for (int i = 0; i < FieldCount() && s.ok(); ++i) s = EncodeField(i, texts[i], record);
  if (s.ok()) s = CheckRecord(record);
  if (!s.ok()) {
    bulkBuffer_.resize(at);
    return s;
  }
  const std::uint32_t recno = dbf_.RecordCount() + dbf_.PendingRecords() + bulkBuffered_ + 1;
  for (TagIndex& tag : tags_) {
    if (!ordersLoaded_) {
      // Kept apart until the end decides how the index takes them.
      const std::size_t keyAt = bulkKeys_.size();
      bulkKeys_.resize(keyAt + static_cast<std::size_t>(tag.KeyLength()));
      tag.RecordFileKey(record, &bulkKeys_[keyAt]);
      continue;
    }
    if (tag.Slots() < recno) tag.Resize(std::max(recno, tag.Slots() + tag.Slots() / 2));
    tag.SetKey(recno, record);
  }
  ++bulkBuffered_;
  return bulkBuffer_.size() >= kBulkBufferBytes ? FlushBulkBuffer() : Status::Ok();
}

Status Table::FlushBulkBuffer() {
  Status s = dbf_.AppendRecords(bulkBuffer_.data(), bulkBuffered_);
  bulkBuffer_.clear();
  bulkBuffered_ = 0;
  if (!s.ok()) bulkError_ = s;
  return s;
}

Status Table::EndBulkAppend(const BeforeCommitFn& beforeCommit) {
  if (!bulk_) return Status::Ok();
  bulk_ = false;
  Status s = bulkError_;
  if (s.ok() && bulkBuffered_ > 0) s = FlushBulkBuffer();
  const std::uint32_t before = bulkFirst_ - 1;
  if (s.ok() && beforeCommit && dbf_.PendingRecords() > 0) {
    committing_ = true;
    s = beforeCommit(bulkFirst_, before + dbf_.PendingRecords());
    committing_ = false;
  }
  // Many keys at once go into a new tree written whole, which costs a pass
  // over the table; fewer go into the tree where they belong.
  const std::uint32_t adding = dbf_.PendingRecords();
  const bool whole = adding > 0 && !tags_.empty() && std::uint64_t{adding} * 10 > live_;
  if (s.ok() && whole && !ordersLoaded_) s = LoadOrders();
  if (s.ok()) s = dbf_.Commit();
  if (!s.ok() && dbf_.RecordCount() == before) {
    // Nothing was committed: what was written past the commit point goes.
    Status cut = dbf_.DropPending();
    if (!cut.ok()) s = Status::IoError(s.message() + "; " + cut.message());
  }
  bulkBuffer_ = {};
  bulkBuffered_ = 0;
  bulkError_ = Status::Ok();
  const std::uint32_t count = dbf_.RecordCount();
  lastAppended_ = count - before;
  if (lastAppended_ > 0) NoteAppended();
  if (whole && paged_ && lastAppended_ > 0) {
    tree_.Close();
    paged_ = false;
  }
  Status index;
  if (ordersLoaded_) {
    AdoptBulkKeys();
    LargeVector<std::uint32_t> added(lastAppended_);
    std::iota(added.begin(), added.end(), bulkFirst_);
    for (TagIndex& tag : tags_) {
      tag.Resize(count);
      tag.Merge(added);
    }
  }
  std::size_t keyAt = 0;
  char key[256];
  for (std::uint32_t recno = bulkFirst_; recno <= count && paged_ && index.ok(); ++recno)
    for (std::size_t t = 0; t < tags_.size() && index.ok(); ++t) {
      const auto length = static_cast<std::size_t>(tags_[t].KeyLength());
      if (bulkKeys_.empty()) tags_[t].FileKey(recno, key);
      const char* k = bulkKeys_.empty() ? key : &bulkKeys_[keyAt];
      keyAt += length;
      index = tree_.Insert(static_cast<int>(t), std::string_view(k, length), recno);
    }
  bulkKeys_ = {};
  live_ += lastAppended_;
  if (!index.ok() && index.kind() == StatusKind::Corrupt) {
    // The tree failed: the orders come from the records and the file is
    // written whole.
    tree_.Close();
    paged_ = false;
    index = ordersLoaded_ ? Status::Ok() : ScanRecords();
  }
  if (index.ok()) index = WriteIndex();
  EndWrite();
  if (s.ok() && !index.ok())
    s = Status::Error(index.kind(), std::to_string(lastAppended_) +
                                        " records added; the index file could not be written (" + index.message() +
                                        ")");
  Status moved = recno_ > 0 && live_ > 0 ? (InTree() ? SeekCurrent() : MoveTo(PositionOf(recno_))) : First();
  return s.ok() ? moved : s;
}

Status Table::CancelBulkAppend() {
  if (!bulk_) return Status::Ok();
  // Ending with an error leaves the count as it was and cuts what was
  // written past it.
  bulkBuffer_.clear();
  bulkBuffered_ = 0;
  bulkError_ = Status::Invalid("the bulk append was cancelled");
  const Status s = EndBulkAppend();
  return lastAppended_ == 0 && s.kind() == StatusKind::InvalidInput ? Status::Ok() : s;
}

}  // namespace zvonar
