// Opening, closing and reading a table, and keeping its index file in step.
// An index file whose marker matches the table's record count and last
// record is used in place: the cursor walks its tree block by block, and
// changes touch only the blocks on their way. The whole key order is read
// into memory (TagIndex) only for moves by position, or when the file is
// behind the records and has to be sorted again.
#include "store/Table.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/TextFile.h"
#include "store/Bytes.h"
#include "store/DateTimeField.h"
#include "store/MdxFile.h"
#include "store/RewriteRedo.h"

namespace zvonar {
namespace {

constexpr std::uint32_t kScanChunk = 4096;

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

std::string FileName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The directory whose lock guards the table at `path`.
std::string LockDirOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string Table::IndexPathFor(const std::string& tablePath) {
  const auto slash = tablePath.rfind('/');
  const auto dot = tablePath.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? tablePath.substr(0, dot) : tablePath) + ".MDX";
}

// The index file before the table: a program killed in between leaves an
// index without a table, which the next creator replaces, never a table
// without its index.
Status Table::CreateFiles(const std::string& path, const std::vector<FieldDef>& fields) {
  const bool indexed = std::any_of(fields.begin(), fields.end(), [](const FieldDef& f) { return f.indexed; });
  Status s = CheckFieldDefs(fields);
  if (!s.ok()) return s;
  const std::string indexPath = IndexPathFor(path);
  if (indexed) {
    std::vector<TagIndex> tags;
    int offset = 1;
    for (std::size_t i = 0; i < fields.size(); offset += fields[i].width, ++i)
      if (fields[i].indexed) tags.emplace_back(fields[i].name, static_cast<int>(i), fields[i], offset);
    s = WriteMdxFile(indexPath, FileName(path), tags, IndexMarker{});
  } else {
    struct stat st {};
    if (::lstat(indexPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(indexPath.c_str()) != 0)
      s = Status::IoError("cannot remove " + indexPath + ": " + ErrnoText(errno));
  }
  return s.ok() ? DbfFile::Create(path, fields, indexed) : s;
}

Status Table::Create(const std::string& path, const std::vector<FieldDef>& fields, std::chrono::milliseconds lockWait) {
  TableLock lock;
  Status s = lock.Acquire(LockDirOf(path), LockMode::Exclusive, lockWait);
  return s.ok() ? CreateFiles(path, fields) : s;
}

Status Table::Open(const std::string& path, OpenNotes* notes, const OpenOptions& options) {
  Status s = Close();
  (void)s;  // a failure to close the previous table does not stop this one
  OpenNotes ignored;
  if (notes == nullptr) notes = &ignored;
  *notes = OpenNotes{};
  access_ = options.access;
  lockWait_ = options.lockWait;
  lockDir_ = LockDirOf(path);
  s = lock_.Acquire(lockDir_, LockMode::Shared, lockWait_);
  if (!s.ok()) return s;
  struct stat st {};
  // Created only where nothing is: a link to a missing file is refused
  // below, not replaced.
  if (!options.createWith.empty() && ::lstat(path.c_str(), &st) != 0 && errno == ENOENT) {
    // Only under the exclusive lock is "missing" still true when acting on it.
    bool released = false;
    s = lock_.Upgrade(lockWait_, &released);
    if (s.ok() && ::lstat(path.c_str(), &st) != 0 && errno == ENOENT) {
      s = CreateFiles(path, options.createWith);
      notes->created = s.ok();
    }
    lock_.Downgrade();
  }
  if (s.ok() && access_ == TableAccess::Write && ::lstat(RedoPathFor(path).c_str(), &st) == 0) {
    // A rewrite was cut off: its last run is written again, alone. Readers
    // leave it to the next writer.
    bool released = false, replayed = false;
    s = lock_.Upgrade(lockWait_, &released);
    if (s.ok()) s = ReplayRedo(path, &replayed, &notes->redoSetAside);
    if (s.ok() && replayed) {
      // Records changed in place: a program between its reads must see it.
      DbfFile replayedFile;
      s = replayedFile.Open(path, true);
      if (s.ok()) s = replayedFile.BumpChanges();
    }
    lock_.Downgrade();
  }
  if (s.ok()) s = dbf_.Open(path, access_ == TableAccess::Write);
  if (!s.ok()) {
    lock_.Release();
    return s;
  }
  indexPath_ = IndexPathFor(path);
  current_.assign(dbf_.RecordLength(), ' ');
  s = LoadIndex(notes);
  if (s.ok()) s = First();
  if (!s.ok() || lockWhileReading_) lock_.Release();
  if (!s.ok()) {
    tags_.clear();
    dbf_.Close();
  }
  return s;
}

Status Table::Close() {
  if (!IsOpen()) return Status::Ok();
  Status s = Post();
  if (!s.ok()) Cancel();
  Status bulk = EndBulkAppend();
  if (s.ok()) s = bulk;
  if (held_) {
    held_ = false;
    EndWrite();
  }
  if (ownChanges_ && indexBehind_ && !tags_.empty()) {
    // Another program reading the table keeps the index file as it is:
    // marked stale, it is sorted again by whoever opens the table next.
    Status index = BeginWrite(false);
    if (index.ok()) {
      index = WriteIndex();
      EndWrite();
    }
    if (s.ok() && index.kind() != StatusKind::InUse) s = index;
  }
  dbf_.Close();
  lock_.Release();
  reads_ = 0;
  tags_.clear();
  deleted_.clear();
  tree_.Close();
  paged_ = false;
  ordersLoaded_ = true;
  bulkKeys_ = {};
  live_ = pos_ = recno_ = 0;
  bof_ = eof_ = true;
  active_ = -1;
  ownChanges_ = indexBehind_ = false;
  return s;
}

std::vector<TagIndex> Table::MakeTags() const {
  std::vector<TagIndex> tags;
  if (!dbf_.HasProductionIndex()) return tags;
  for (int i = 0; i < FieldCount(); ++i)
    if (Field(i).indexed) tags.emplace_back(Field(i).name, i, Field(i), dbf_.FieldOffset(i));
  return tags;
}

// Index file to memory. Missing: no tags. Stale or damaged: sorted again
// in memory, the file left as it is until the next change.
Status Table::LoadIndex(OpenNotes* notes) {
  active_ = -1;
  indexBehind_ = false;
  tree_.Close();
  paged_ = false;
  ordersLoaded_ = true;
  deleted_.clear();
  tags_ = MakeTags();
  if (tags_.empty()) return ScanRecords();
  IndexMarker marker{dbf_.RecordCount(), 0};
  Status s = Fingerprint(&marker.fingerprint);
  if (!s.ok()) return s;
  NoteIndexFile();
  std::uint32_t live = 0;
  const bool write = access_ == TableAccess::Write && !dbf_.ReadOnly();
  s = tree_.Open(indexPath_, marker, tags_, write, &live);
  if (write && s.kind() == StatusKind::Io) s = tree_.Open(indexPath_, marker, tags_, false, &live);
  if (s.ok()) {
    paged_ = true;
    ordersLoaded_ = false;
    live_ = live;
    return s;
  }
  if (s.kind() == StatusKind::NotFound) {
    notes->indexMissing = true;
    tags_.clear();
    return ScanRecords();
  }
  if (s.kind() != StatusKind::Corrupt) return s;
  notes->indexRebuilt = s.message();
  tags_ = MakeTags();
  indexBehind_ = true;
  return ScanRecords();
}

void Table::NoteIndexFile() {
  struct stat st {};
  indexFile_ = FileIdentity{};
  if (::stat(indexPath_.c_str(), &st) == 0)
    indexFile_ = {st.st_dev, st.st_ino, st.st_size,
                  std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec};
}

// The tree's orders into memory, by one walk of each tag: what moves by
// position need. A tree found damaged is left for the records, sorted again.
Status Table::LoadOrders() {
  if (ordersLoaded_) return Status::Ok();
  const std::uint32_t count = dbf_.RecordCount();
  LargeVector<std::uint8_t> seen(count + 1ULL, 0);
  Status s;
  for (std::size_t t = 0; t < tags_.size() && s.ok(); ++t) {
    TagIndex& tag = tags_[t];
    tag.ClearOrder();
    tag.Resize(count);
    const auto mark = static_cast<std::uint8_t>(t);
    s = tree_.Walk(static_cast<int>(t), [&](std::uint32_t recno, std::string_view key) {
      if (recno < 1 || recno > count || seen[recno] != mark || tag.size() >= live_ ||
          !tag.SetKeyFromFile(recno, key.data()) || !tag.AppendInOrder(recno))
        return MdxStale(indexPath_, "tag " + tag.name() + " holds a wrong key");
      seen[recno] = static_cast<std::uint8_t>(mark + 1);
      return Status::Ok();
    });
    if (s.ok() && tag.size() != live_) s = MdxStale(indexPath_, "tag " + tag.name() + " misses records");
  }
  if (s.ok()) {
    deleted_.clear();
    for (std::uint32_t r = 1; r <= count; ++r)
      if (seen[r] == 0) deleted_.push_back(r);
    ordersLoaded_ = true;
  } else if (s.kind() == StatusKind::Corrupt) {
    tree_.Close();
    paged_ = false;
    indexBehind_ = true;
    s = ScanRecords();
  }
  if (s.ok()) AdoptBulkKeys();
  if (s.ok() && live_ > 0 && recno_ > 0 && recno_ <= count && current_[0] != kDeletedFlag) pos_ = PositionOf(recno_);
  return s;
}

// The keys a running bulk append kept apart go to the tags' slots once the
// orders are in memory, where the rest of the append puts its keys.
void Table::AdoptBulkKeys() {
  if (bulkKeys_.empty()) return;
  std::size_t perRecord = 0;
  for (const TagIndex& tag : tags_) perRecord += static_cast<std::size_t>(tag.KeyLength());
  const auto pending = static_cast<std::uint32_t>(bulkKeys_.size() / perRecord);
  std::size_t keyAt = 0;
  for (TagIndex& tag : tags_) tag.Resize(bulkFirst_ - 1 + pending);
  for (std::uint32_t recno = bulkFirst_; recno < bulkFirst_ + pending; ++recno)
    for (TagIndex& tag : tags_) {
      (void)tag.SetKeyFromFile(recno, &bulkKeys_[keyAt]);
      keyAt += static_cast<std::size_t>(tag.KeyLength());
    }
  bulkKeys_ = {};
}

// A tree found damaged while the cursor walks it: the orders come from the
// records for the rest of the session, as for an index file found behind,
// and `s` tells how that went. False, `s` untouched, for any other outcome.
bool Table::FellBack(Status* s) {
  if (s->kind() != StatusKind::Corrupt || !InTree()) return false;
  tree_.Close();
  paged_ = false;
  indexBehind_ = true;
  *s = ScanRecords();
  if (!s->ok()) return false;
  const bool lives = live_ > 0 && recno_ > 0 && recno_ <= dbf_.RecordCount() &&
                     !std::binary_search(deleted_.begin(), deleted_.end(), recno_);
  pos_ = lives ? PositionOf(recno_) : 0;
  return true;
}

// Before a change that the tree does not follow: the orders are read into
// memory and the index file is written whole at the end of the change.
Status Table::LeavePaged() {
  Status s = LoadOrders();
  tree_.Close();
  paged_ = false;
  return s;
}

// After the whole file was written: it is used in place again.
void Table::OpenTree() {
  std::uint32_t live = 0;
  IndexMarker marker{dbf_.RecordCount(), 0};
  paged_ = Fingerprint(&marker.fingerprint).ok() && tree_.Open(indexPath_, marker, tags_, true, &live).ok();
}

// Puts the keys of `record` into the tree (or takes them out). When the
// tree fails, the orders come from the records, and the index file is
// written whole.
Status Table::TreeKeys(std::uint32_t recno, const char* record, bool insert, const std::vector<int>& only) {
  if (!paged_) return Status::Ok();
  char key[256];
  Status s;
  for (std::size_t t = 0; t < tags_.size() && s.ok(); ++t) {
    if (!only.empty() && std::find(only.begin(), only.end(), static_cast<int>(t)) == only.end()) continue;
    tags_[t].RecordFileKey(record, key);
    const std::string_view k(key, static_cast<std::size_t>(tags_[t].KeyLength()));
    s = insert ? tree_.Insert(static_cast<int>(t), k, recno) : tree_.Remove(static_cast<int>(t), k, recno);
  }
  if (s.ok() || s.kind() != StatusKind::Corrupt) return s;
  tree_.Close();
  paged_ = false;
  ownChanges_ = indexBehind_ = true;
  return ordersLoaded_ ? Status::Ok() : ScanRecords();
}

Status Table::ReadCurrent(std::uint32_t recno) {
  recno_ = recno;
  return dbf_.ReadRecord(recno_, current_.data());
}

// The first live record from `from` on (or back from it); 0 when none.
Status Table::FindLive(std::uint32_t from, bool forward, std::uint32_t* found) {
  *found = 0;
  const std::uint32_t count = dbf_.RecordCount();
  if (!forward) from = std::min(from, count);
  // Record by record through the file's block cache, which the record
  // found is then read from.
  for (; from >= 1 && from <= count; forward ? ++from : --from) {
    char flag = kDeletedFlag;
    Status s = dbf_.ReadFlag(from, &flag);
    if (!s.ok()) return s;
    if (flag != kDeletedFlag) {
      *found = from;
      return Status::Ok();
    }
  }
  return Status::Ok();
}

// In the tree: the current record again when it lives, else the one after
// where it stood in the active order (the last one at the end).
Status Table::SeekCurrent() {
  if (live_ == 0) return SetEmpty();
  std::uint32_t recno = 0;
  Status s;
  if (active_ < 0) {
    s = FindLive(std::max<std::uint32_t>(recno_, 1), true, &recno);
    if (s.ok() && recno == 0) s = FindLive(std::max<std::uint32_t>(recno_, 1), false, &recno);
  } else {
    char key[256];
    tags_[active_].RecordFileKey(current_.data(), key);
    bool found = false;
    s = tree_.Seek(active_, std::string_view(key, static_cast<std::size_t>(tags_[active_].KeyLength())), recno_,
                   &cursor_, &found);
    if (s.ok() && !found) s = tree_.Last(active_, &cursor_, &found);
    if (s.ok() && found) recno = cursor_.Recno();
  }
  if (!s.ok()) return s;
  if (recno == 0) return MdxStale(indexPath_, "it misses records");
  return ReadCurrent(recno);
}

// Reads every record once: deleted flags, and the keys and order of the tags.
Status Table::ScanRecords() {
  const std::uint32_t count = dbf_.RecordCount();
  const std::size_t length = dbf_.RecordLength();
  deleted_.clear();
  LargeVector<std::uint32_t> live;
  live.reserve(count);
  for (TagIndex& tag : tags_) {
    tag.ClearOrder();
    tag.Resize(count);
  }
  std::vector<char> chunk;
  for (std::uint32_t first = 1; first <= count; first += kScanChunk) {
    const std::uint32_t n = std::min(kScanChunk, count - first + 1);
    chunk.resize(n * length);
    Status s = dbf_.ReadRecords(first, n, chunk.data());
    if (!s.ok()) return s;
    for (std::uint32_t i = 0; i < n; ++i) {
      const char* record = &chunk[i * length];
      if (record[0] == kDeletedFlag) {
        deleted_.push_back(first + i);
        continue;
      }
      live.push_back(first + i);
      for (TagIndex& tag : tags_) tag.SetKey(first + i, record);
    }
  }
  live_ = static_cast<std::uint32_t>(live.size());
  for (TagIndex& tag : tags_) tag.Merge(live);
  ordersLoaded_ = true;
  AdoptBulkKeys();
  return Status::Ok();
}

// Under the exclusive lock.
Status Table::RebuildIndex() {
  tree_.Close();
  paged_ = false;
  tags_ = MakeTags();
  Status s = ScanRecords();
  if (!s.ok()) return s;
  indexBehind_ = true;
  return WriteIndex();
}

// Under the exclusive lock, before a change the index file does not show.
Status Table::MarkIndexBehind() {
  ownChanges_ = true;
  if (tags_.empty() || indexBehind_) return Status::Ok();
  Status s = MarkMdxStale(indexPath_);
  if (s.ok()) indexBehind_ = true;
  return s;
}

// Under the exclusive lock. The records reach the disk before the index
// file that describes them.
Status Table::WriteIndex() {
  if (!indexBehind_ || tags_.empty()) return Status::Ok();
  IndexMarker marker{dbf_.RecordCount(), 0};
  Status s = dbf_.Sync();
  if (s.ok()) s = Fingerprint(&marker.fingerprint);
  if (s.ok() && paged_) {
    s = tree_.Commit(marker, live_);
  } else if (s.ok()) {
    s = WriteMdxFile(indexPath_, FileName(dbf_.path()), tags_, marker);
    if (s.ok()) OpenTree();
  }
  if (s.ok()) {
    indexBehind_ = ownChanges_ = false;
    NoteIndexFile();
  }
  return s;
}

// Hash of the last record's deleted flag and indexed fields: what must not
// have changed behind the index file's back.
Status Table::Fingerprint(std::uint64_t* fingerprint) {
  *fingerprint = 0;
  const std::uint32_t count = dbf_.RecordCount();
  if (count == 0) return Status::Ok();
  std::vector<char> record(dbf_.RecordLength());
  Status s = dbf_.ReadRecord(count, record.data());
  if (!s.ok()) return s;
  std::uint64_t hash = HashBytes(record.data(), 1);
  for (int i = 0; i < FieldCount(); ++i)
    if (Field(i).indexed)
      hash = HashBytes(&record[dbf_.FieldOffset(i)], static_cast<std::size_t>(Field(i).width), hash);
  *fingerprint = hash;
  return Status::Ok();
}

int Table::FieldIndex(std::string_view name) const {
  for (int i = 0; i < FieldCount(); ++i)
    if (SameNameIgnoringCase(Field(i).name, name)) return i;
  return -1;
}

std::vector<std::string> Table::IndexNames() const {
  std::vector<std::string> names;
  for (const TagIndex& tag : tags_) names.push_back(tag.name());
  return names;
}

Status Table::RefreshIndexDefs() {
  const TableReadHold read(*this);
  Status s = read.status();
  if (s.ok()) s = RequireBrowse();
  if (s.ok() && ownChanges_ && indexBehind_ && !tags_.empty()) {
    s = BeginWrite(false);
    if (s.ok()) {
      s = WriteIndex();
      EndWrite();
    }
  }
  if (!s.ok()) return s;
  const std::uint32_t recno = recno_;
  OpenNotes notes;
  s = LoadIndex(&notes);
  if (s.ok() && notes.indexMissing) s = Status::Error(StatusKind::NotFound, indexPath_ + " does not exist");
  Status moved = live_ > 0 && recno > 0 ? (InTree() ? SeekCurrent() : MoveTo(PositionOf(recno))) : First();
  return s.ok() ? moved : s;
}

Status Table::ReCreateIndex() {
  Status s = RequireBrowse();
  if (s.ok()) s = BeginWrite(false);
  if (!s.ok()) return s;
  active_ = -1;
  s = RebuildIndex();
  EndWrite();
  Status moved = First();
  return s.ok() ? moved : s;
}

Status Table::SetActiveIndex(std::string_view name) {
  int found = -1;
  if (!name.empty()) {
    for (std::size_t t = 0; t < tags_.size(); ++t)
      if (SameNameIgnoringCase(tags_[t].name(), name)) found = static_cast<int>(t);
    if (found < 0) return Status::Error(StatusKind::NotFound, "the table has no index " + std::string(name));
  }
  active_ = found;
  // A current record that is gone (the table was empty, or another program
  // cut it) has no place in any order: the caller moves to one.
  if (InTree()) {
    Status s = live_ > 0 && !bulk_ ? SeekCurrent() : Status::Ok();
    if (!FellBack(&s)) return s;
  }
  if (live_ > 0 && !bulk_ && recno_ > 0 && recno_ <= dbf_.RecordCount() &&
      !std::binary_search(deleted_.begin(), deleted_.end(), recno_))
    pos_ = PositionOf(recno_);
  return Status::Ok();
}

std::string Table::ActiveIndex() const {
  return active_ < 0 ? std::string() : tags_[active_].name();
}

std::string Table::OrderKey(std::string_view name) const {
  for (const TagIndex& tag : tags_) {
    if (!SameNameIgnoringCase(tag.name(), name)) continue;
    const auto length = static_cast<std::size_t>(tag.KeyLength());
    std::string key(length + 4, '\0');
    tag.RecordKey(current_.data(), key.data());
    for (std::size_t i = 0; i < 4; ++i) key[length + i] = static_cast<char>(recno_ >> (24 - 8 * i));
    return key;
  }
  return {};
}

// In physical order position p is the (p+1)-th live record: p + 1 plus the
// deleted records before it, found by binary search over the deleted list.
std::uint32_t Table::RecnoAt(std::uint32_t position) const {
  if (active_ >= 0) return tags_[active_].RecnoAt(position);
  const std::uint32_t target = position + 1;
  std::size_t lo = 0, hi = deleted_.size();
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (deleted_[mid] - 1 - mid < target)
      lo = mid + 1;
    else
      hi = mid;
  }
  return target + static_cast<std::uint32_t>(lo);
}

std::uint32_t Table::PositionOf(std::uint32_t recno) const {
  if (active_ >= 0) return tags_[active_].PositionOf(recno);
  const auto before = std::lower_bound(deleted_.begin(), deleted_.end(), recno) - deleted_.begin();
  return recno - 1 - static_cast<std::uint32_t>(before);
}

std::uint32_t Table::Position() const {
  // The orders are read on the first need; a failure shows in the next move.
  if (InTree()) (void)const_cast<Table*>(this)->LoadOrders();
  return pos_;
}

Status Table::MoveTo(std::uint32_t position) {
  pos_ = position;
  recno_ = RecnoAt(position);
  return dbf_.ReadRecord(recno_, current_.data());
}

Status Table::SetEmpty() {
  pos_ = recno_ = 0;
  bof_ = eof_ = true;
  std::fill(current_.begin(), current_.end(), ' ');
  return Status::Ok();
}

Status Table::First() {
  const TableReadHold read(*this);
  Status s = read.status();
  if (s.ok()) s = Post();
  if (!s.ok()) return s;
  if (live_ == 0) return SetEmpty();
  bof_ = true;
  eof_ = false;
  if (InTree()) {
    std::uint32_t recno = 0;
    bool found = false;
    s = active_ < 0 ? FindLive(1, true, &recno) : tree_.First(active_, &cursor_, &found);
    if (found) recno = cursor_.Recno();
    if (s.ok() && recno == 0) s = MdxStale(indexPath_, "it misses records");
    if (!FellBack(&s)) return s.ok() ? ReadCurrent(recno) : s;
  }
  return MoveTo(0);
}

Status Table::Last() {
  const TableReadHold read(*this);
  Status s = read.status();
  if (s.ok()) s = Post();
  if (!s.ok()) return s;
  if (live_ == 0) return SetEmpty();
  bof_ = false;
  eof_ = true;
  if (InTree()) {
    std::uint32_t recno = 0;
    bool found = false;
    s = active_ < 0 ? FindLive(dbf_.RecordCount(), false, &recno) : tree_.Last(active_, &cursor_, &found);
    if (found) recno = cursor_.Recno();
    if (s.ok() && recno == 0) s = MdxStale(indexPath_, "it misses records");
    if (!FellBack(&s)) return s.ok() ? ReadCurrent(recno) : s;
  }
  return MoveTo(live_ - 1);
}

Status Table::Next() {
  const TableReadHold read(*this);
  Status s = read.status();
  if (s.ok()) s = Post();
  if (!s.ok()) return s;
  if (live_ == 0) return SetEmpty();
  if (InTree() && active_ < 0) {
    // In file order the records are read straight into the current one;
    // when no live record follows, the last one is read back.
    for (std::uint32_t r = recno_ + 1; r <= dbf_.RecordCount(); ++r) {
      s = dbf_.ReadRecordInSequence(r, current_.data());
      if (!s.ok()) return s;
      if (current_[0] != kDeletedFlag) {
        recno_ = r;
        bof_ = eof_ = false;
        return Status::Ok();
      }
    }
    eof_ = true;
    return recno_ >= 1 && recno_ <= dbf_.RecordCount() ? dbf_.ReadRecord(recno_, current_.data()) : Status::Ok();
  }
  if (InTree()) {
    std::uint32_t recno = 0;
    bool moved = false;
    s = active_ < 0 ? FindLive(recno_ + 1, true, &recno) : tree_.Next(&cursor_, &moved);
    if (moved) recno = cursor_.Recno();
    if (!FellBack(&s)) {
      if (!s.ok() || recno == 0) {
        eof_ = s.ok();
        return s;
      }
      bof_ = eof_ = false;
      return ReadCurrent(recno);
    }
  }
  if (pos_ + 1 >= live_) {
    eof_ = true;
    return Status::Ok();
  }
  bof_ = eof_ = false;
  return MoveTo(pos_ + 1);
}

Status Table::Prior() {
  const TableReadHold read(*this);
  Status s = read.status();
  if (s.ok()) s = Post();
  if (!s.ok()) return s;
  if (live_ == 0) return SetEmpty();
  if (InTree()) {
    std::uint32_t recno = 0;
    bool moved = false;
    s = active_ < 0 ? (recno_ > 1 ? FindLive(recno_ - 1, false, &recno) : Status::Ok()) : tree_.Prior(&cursor_, &moved);
    if (moved) recno = cursor_.Recno();
    if (!FellBack(&s)) {
      if (!s.ok() || recno == 0) {
        bof_ = s.ok();
        return s;
      }
      bof_ = eof_ = false;
      return ReadCurrent(recno);
    }
  }
  if (pos_ == 0) {
    bof_ = true;
    return Status::Ok();
  }
  bof_ = eof_ = false;
  return MoveTo(pos_ - 1);
}

Status Table::GoToPosition(std::uint32_t position) {
  const TableReadHold read(*this);
  Status s = read.status();
  if (s.ok()) s = Post();
  if (s.ok()) s = LoadOrders();
  if (!s.ok()) return s;
  if (position >= live_)
    return Status::Invalid("position " + std::to_string(position) + " is past the last of " + std::to_string(live_) +
                           " records");
  bof_ = eof_ = false;
  return MoveTo(position);
}

Status Table::GoToRecNo(std::uint32_t recno) {
  const TableReadHold read(*this);
  Status s = read.status();
  if (s.ok()) s = Post();
  if (!s.ok()) return s;
  if (recno < 1 || recno > dbf_.RecordCount())
    return Status::Invalid("record " + std::to_string(recno) + " is not in the table");
  // Read aside first: a refused record leaves the current one as it was.
  std::vector<char> record(dbf_.RecordLength());
  s = dbf_.ReadRecord(recno, record.data());
  if (!s.ok()) return s;
  if (record[0] == kDeletedFlag) return Status::Invalid("record " + std::to_string(recno) + " is deleted");
  current_ = std::move(record);
  recno_ = recno;
  bof_ = eof_ = false;
  if (InTree()) {
    // The cursor is placed on the record's key in the active order.
    s = SeekCurrent();
    if (!FellBack(&s)) return s;
  }
  if (!InTree()) pos_ = PositionOf(recno_);
  return s;
}

Status Table::FindNearest(std::string_view key) {
  if (active_ < 0) return Status::Invalid("no index is active");
  const TableReadHold read(*this);
  Status s = read.status();
  if (s.ok()) s = Post();
  if (!s.ok()) return s;
  std::string searchKey;
  s = tags_[active_].KeyFromText(key, &searchKey);
  if (!s.ok()) return s;
  if (live_ == 0) return SetEmpty();
  if (InTree()) {
    char fileKey[256];
    tags_[active_].SearchFileKey(searchKey, fileKey);
    bool found = false;
    s = tree_.Seek(active_, std::string_view(fileKey, static_cast<std::size_t>(tags_[active_].KeyLength())), 0,
                   &cursor_, &found);
    bof_ = false;
    eof_ = !found;
    if (s.ok() && !found) s = tree_.Last(active_, &cursor_, &found);
    if (s.ok() && !found) s = MdxStale(indexPath_, "it misses records");
    if (!FellBack(&s)) return s.ok() ? ReadCurrent(cursor_.Recno()) : s;
  }
  const std::uint32_t at = tags_[active_].LowerBound(searchKey);
  bof_ = false;
  eof_ = at >= live_;
  return MoveTo(eof_ ? live_ - 1 : at);
}

std::string Table::FieldText(int i) const {
  char dateText[kDateTimeTextMax];
  return std::string(FieldView(i, dateText));
}

std::string_view Table::FieldView(int i, char (&dateText)[kDateTimeTextMax]) const {
  if (i < 0 || i >= FieldCount()) return {};
  if (state_ == EditState::Browse && live_ == 0) return {};
  const char* field = (state_ == EditState::Browse ? current_.data() : edit_.data()) + dbf_.FieldOffset(i);
  if (Field(i).type == FieldType::DateTime)
    return IsValidDateTimeField(field)
               ? std::string_view(dateText, FormatDateTimeText(DecodeDateTimeField(field), dateText))
               : std::string_view();
  return TrimmedField(field, static_cast<std::size_t>(Field(i).width));
}

bool Table::FieldDamaged(int i) const {
  if (i < 0 || i >= FieldCount() || Field(i).type != FieldType::DateTime) return false;
  if (state_ == EditState::Browse && live_ == 0) return false;
  const char* field = (state_ == EditState::Browse ? current_.data() : edit_.data()) + dbf_.FieldOffset(i);
  return !IsValidDateTimeField(field);
}

Status Table::Refresh() {
  const TableReadHold read(*this);
  Status s = read.status();
  if (s.ok()) s = Post();
  if (!s.ok()) return s;
  if (live_ == 0) return SetEmpty();
  return dbf_.ReadRecords(recno_, 1, current_.data());
}

}  // namespace zvonar
