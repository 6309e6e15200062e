// The table file, dBase IV level:
//   header, 32 bytes: 0 version 0x03; 1-3 last update (year-1900, month,
//     day); 4-7 record count; 8-9 header length; 10-11 record length;
//     28 production index flag; 29 language driver 0xC9 (code page 1251).
//   field descriptors, 32 bytes each: 0-10 name, NUL-padded; 11 type ('C'
//     text, 'T' date-time); 16 width; 31 set when the production index has
//     a tag on the field. One 0x0D ends them.
//   records, back to back: a flag byte (' ' live, '*' deleted), then the
//     fields in descriptor order, text space-padded. One 0x1A ends the file.
// The header's record count is the commit point: appends write the records
// first and count them only after they are on disk, so the header never
// counts a record that is not there. Bytes after the counted records are
// not part of the table: readers ignore them, a writer cuts them before it
// appends, and a failed append cuts what it wrote. The change counter goes
// up by one (wrapping) once in each hold of the exclusive lock that changes
// records: before the first record overwritten in place, or with the count
// of an append at its commit point, so a program that holds no lock between its reads (the
// window) tells from the record count and the counter whether the records
// it has seen are still those on disk.
#include "store/DbfFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "base/DiskSteps.h"
#include "base/TextFile.h"
#include "store/Bytes.h"

namespace zvonar {
namespace {

constexpr std::size_t kFileHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr char kVersion = 0x03;
constexpr char kLanguageDriver1251 = static_cast<char>(0xC9);
constexpr char kDescriptorEnd = 0x0D;
constexpr char kEndOfFile = 0x1A;
// A walk in index order reads records in runs of small blocks: one block
// where it takes a few records here and a few there (one owner's calls over
// a large table), more at once where a miss follows a run still kept
// (every owner in turn), up to kRunBlocks. The cache keeps kRunSlots runs,
// enough for a walk that moves through a few dozen regions of the file at a
// time (one month over many bills), each with a run of its own.
constexpr std::uint32_t kBlockRecords = 32;
constexpr std::uint32_t kRunBlocks = 8;
constexpr std::uint32_t kRunRecords = kBlockRecords * kRunBlocks;
constexpr std::uint32_t kRunSlots = 64;
// The first slots lie in ordinary pages, enough for a command that reads a
// few records; the others on huge pages, taken when a walk needs more.
constexpr std::uint32_t kSmallRunSlots = 4;
// A walk in file order reads ahead in blocks that double from a small one,
// one such block at a time.
constexpr std::uint32_t kSequenceRecords = 2048;

// Memory for `records` records of `length` bytes that a table of `total`
// records fills as it is read: on huge pages where the table is large
// enough to fill them, since a fresh page costs a fault as it is touched;
// `small`: a few pages at most will be used.
LargeBuffer CacheMemory(std::uint32_t records, std::size_t length, std::uint32_t total, bool small = false) {
  const std::size_t bytes = std::size_t{records} * length;
  if (small || total < records) return MakePlainBuffer(bytes);
  return MakeLargeBuffer(std::max(bytes, LargePageBytes()));
}

Status Damaged(const std::string& path, const std::string& what) {
  return Status::Error(StatusKind::Corrupt, path + " is not a readable table: " + what);
}

bool ValidFieldName(const std::string& name) {
  if (name.empty() || name.size() > 10) return false;
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'; });
}

}  // namespace

Status CheckFieldDefs(const std::vector<FieldDef>& fields) {
  if (fields.empty()) return Status::Invalid("a table needs at least one field");
  std::size_t length = 1;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldDef& f = fields[i];
    if (!ValidFieldName(f.name))
      return Status::Invalid("field name \"" + f.name + "\" is not 1 to 10 upper-case letters, digits or _");
    for (std::size_t j = 0; j < i; ++j)
      if (fields[j].name == f.name) return Status::Invalid("field " + f.name + " is defined twice");
    if (f.type == FieldType::DateTime ? f.width != 8 : (f.width < 1 || f.width > 254))
      return Status::Invalid("field " + f.name + " has width " + std::to_string(f.width));
    length += static_cast<std::size_t>(f.width);
  }
  if (length > 65535) return Status::Invalid("records would be longer than 65535 bytes");
  return Status::Ok();
}

Status DbfFile::Create(const std::string& path, const std::vector<FieldDef>& fields, bool productionIndex) {
  Status s = CheckFieldDefs(fields);
  if (!s.ok()) return s;
  const std::size_t headerLength = kFileHeaderSize + kDescriptorSize * fields.size() + 1;
  std::string image(headerLength + 1, '\0');
  std::size_t recordLength = 1;
  for (const FieldDef& f : fields) recordLength += static_cast<std::size_t>(f.width);
  image[0] = kVersion;
  PutToday(&image[1]);
  PutU16(static_cast<std::uint32_t>(headerLength), &image[8]);
  PutU16(static_cast<std::uint32_t>(recordLength), &image[10]);
  image[28] = productionIndex ? 1 : 0;
  image[29] = kLanguageDriver1251;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    char* d = &image[kFileHeaderSize + kDescriptorSize * i];
    std::memcpy(d, fields[i].name.data(), fields[i].name.size());
    d[11] = fields[i].type == FieldType::DateTime ? 'T' : 'C';
    d[16] = static_cast<char>(fields[i].width);
    d[31] = productionIndex && fields[i].indexed ? 1 : 0;
  }
  image[headerLength - 1] = kDescriptorEnd;
  image[headerLength] = kEndOfFile;
  return WriteFileAtomic(path, image);
}

Status DbfFile::Open(const std::string& path, bool writable) {
  Close();
  // O_NONBLOCK: a FIFO in place of the table must not hang the open.
  int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
  readOnly_ = !writable;
  if (fd < 0 && writable && (errno == EACCES || errno == EROFS || errno == EPERM)) {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    readOnly_ = true;
  }
  if (fd < 0)
    return Status::Error(errno == ENOENT ? StatusKind::NotFound : StatusKind::Io,
                         "cannot open " + path + ": " + ErrnoText(errno));
  fd_ = fd;
  path_ = path;
  writable_ = writable;
  struct stat st {};
  Status s = ::fstat(fd, &st) == 0 ? RequireRegularFile(path, st.st_mode)
                                   : Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
  dev_ = st.st_dev;
  ino_ = st.st_ino;
  if (s.ok()) s = ReadHeader(static_cast<std::uint64_t>(st.st_size));
  if (!s.ok()) Close();
  return s;
}

Status DbfFile::ReadHeader(std::uint64_t fileSize) {
  if (fileSize < kFileHeaderSize + kDescriptorSize + 1)
    return Damaged(path_, "the file is only " + std::to_string(fileSize) + " bytes long");
  char head[kFileHeaderSize];
  Status s = PRead(0, sizeof head, head);
  if (!s.ok()) return s;
  if ((head[0] & 0x07) != 3) return Damaged(path_, "unknown version byte " + std::to_string(head[0] & 0xFF));
  headerLength_ = GetU16(&head[8]);
  recordLength_ = GetU16(&head[10]);
  count_ = GetU32(&head[4]);
  changes_ = ReadChanges();
  productionIndex_ = head[28] != 0;
  if (headerLength_ < kFileHeaderSize + kDescriptorSize + 1 ||
      (headerLength_ - kFileHeaderSize - 1) % kDescriptorSize != 0 || headerLength_ > fileSize)
    return Damaged(path_, "impossible header length " + std::to_string(headerLength_));
  std::string descriptors(headerLength_ - kFileHeaderSize, '\0');
  s = PRead(kFileHeaderSize, descriptors.size(), descriptors.data());
  if (!s.ok()) return s;
  if (descriptors.back() != kDescriptorEnd) return Damaged(path_, "the field descriptors are not terminated");
  fields_.clear();
  offsets_.clear();
  int offset = 1;
  for (std::size_t i = 0; i + 1 < descriptors.size(); i += kDescriptorSize) {
    const char* d = &descriptors[i];
    FieldDef f;
    f.name.assign(d, strnlen(d, 11));
    f.width = static_cast<unsigned char>(d[16]);
    f.indexed = d[31] != 0;
    if (d[11] == 'C') {
      f.type = FieldType::Character;
    } else if (d[11] == 'T') {
      f.type = FieldType::DateTime;
    } else {
      return Damaged(path_, "field " + std::to_string(fields_.size() + 1) + " has unsupported type " +
                                std::to_string(static_cast<unsigned char>(d[11])));
    }
    fields_.push_back(f);
    offsets_.push_back(offset);
    offset += f.width;
  }
  s = CheckFieldDefs(fields_);
  if (!s.ok()) return Damaged(path_, s.message());
  if (static_cast<std::size_t>(offset) != recordLength_)
    return Damaged(path_, "record length " + std::to_string(recordLength_) + " does not match the fields");
  const std::uint64_t dataEnd = headerLength_ + std::uint64_t{count_} * recordLength_;
  if (dataEnd > fileSize)
    return Damaged(path_, "the header counts " + std::to_string(count_) + " records but the file holds only " +
                              std::to_string((fileSize - headerLength_) / recordLength_));
  return Status::Ok();
}

Status DbfFile::Reload(bool* changed) {
  *changed = false;
  struct stat now {};
  if (::stat(path_.c_str(), &now) == 0 && (now.st_dev != dev_ || now.st_ino != ino_)) {
    // Another file was renamed into place: the old one is no longer the table.
    const std::string path = path_;
    *changed = true;
    return Open(path, writable_);
  }
  char head[kFileHeaderSize];
  Status s = PRead(0, sizeof head, head);
  if (!s.ok()) return s;
  const std::uint32_t count = GetU32(&head[4]);
  const std::uint32_t changes = ReadChanges();
  if (count == count_ && changes == changes_) return Status::Ok();
  *changed = true;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return Status::IoError("cannot read " + path_ + ": " + ErrnoText(errno));
  if (headerLength_ + std::uint64_t{count} * recordLength_ > static_cast<std::uint64_t>(st.st_size))
    return Damaged(path_, "the header counts " + std::to_string(count) + " records but the file holds fewer");
  count_ = count;
  changes_ = changes;
  pending_ = 0;
  DropCache();
  return Status::Ok();
}

std::string DbfFile::ChangesPath() const {
  return path_ + ".changes";
}

std::uint32_t DbfFile::ReadChanges() const {
  const int fd = ::open(ChangesPath().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 0;  // no writer has counted a change yet
  char bytes[4] = {};
  const bool read = ::pread(fd, bytes, sizeof bytes, 0) == static_cast<ssize_t>(sizeof bytes);
  ::close(fd);
  return read ? GetU32(bytes) : 0;
}

Status DbfFile::BumpChanges() {
  if (readOnly_) return Status::IoError("cannot write " + path_ + ": the file is read-only");
  const std::string path = ChangesPath();
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return Status::IoError("cannot write " + path + ": " + ErrnoText(errno));
  struct stat st {};
  Status s = ::fstat(fd, &st) == 0 ? RequireRegularFile(path, st.st_mode)
                                   : Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
  char bytes[4] = {};
  if (s.ok() && ::pread(fd, bytes, sizeof bytes, 0) < 0)
    s = Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
  const std::uint32_t changes = GetU32(bytes) + 1;
  PutU32(changes, bytes);
  if (s.ok() && ::pwrite(fd, bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes))
    s = Status::IoError("cannot write " + path + ": " + ErrnoText(errno));
  ::close(fd);
  if (s.ok()) changes_ = changes;
  return s;
}

Status DbfFile::CountChange() {
  if (changeCounted_) return Status::Ok();
  Status s = BumpChanges();
  changeCounted_ = s.ok();
  return s;
}

Status DbfFile::DropUncommitted(std::uint64_t* dropped) {
  *dropped = 0;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return Status::IoError("cannot read " + path_ + ": " + ErrnoText(errno));
  const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
  const std::uint64_t dataEnd = RecordOffset(count_ + 1);
  char last = 0;
  if (size == dataEnd + 1) {
    Status s = PRead(dataEnd, 1, &last);
    if (!s.ok()) return s;
  }
  endByte_ = size > dataEnd;
  if (size <= dataEnd || (size == dataEnd + 1 && last == kEndOfFile)) return Status::Ok();
  // Past the end byte (when it is there) come the records of an append
  // that never committed; a torn one counts as one.
  const std::uint64_t past = size - dataEnd;
  *dropped = (past - 1 + recordLength_ - 1) / recordLength_;
  unflushed_ = true;
  if (::ftruncate(fd_, static_cast<off_t>(dataEnd)) != 0)
    return Status::IoError("cannot cut " + path_ + ": " + ErrnoText(errno));
  Status s = PWrite(dataEnd, &kEndOfFile, 1);
  DropCache();
  return s;
}

void DbfFile::Close() {
  if (fd_ >= 0) ::close(fd_);  // also releases the lock
  fd_ = -1;
  fields_.clear();
  offsets_.clear();
  count_ = pending_ = 0;
  DropCache(true);
}

Status DbfFile::DropPending() {
  pending_ = 0;
  DropCache();
  const std::uint64_t dataEnd = RecordOffset(count_ + 1);
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return Status::IoError("cannot read " + path_ + ": " + ErrnoText(errno));
  if (static_cast<std::uint64_t>(st.st_size) <= dataEnd + (endByte_ ? 1 : 0)) return Status::Ok();
  unflushed_ = true;
  if (::ftruncate(fd_, static_cast<off_t>(dataEnd)) != 0)
    return Status::IoError("cannot cut " + path_ + ": " + ErrnoText(errno));
  if (endByte_) {
    // The page holding it is still allocated, so this write needs no room.
    Status s = PWrite(dataEnd, &kEndOfFile, 1);
    if (!s.ok()) return s;
  }
  return Sync();
}

bool DbfFile::CachedBlock::Holds(std::uint32_t recno) const {
  return first != 0 && recno >= first && recno < first + count;
}

void DbfFile::DropCache(bool release) {
  lastBlock_ = nullptr;
  for (CachedBlock& run : cache_) run.first = run.count = 0;
  slots_.clear();
  sequence_.first = sequence_.count = 0;
  if (!release) return;
  cache_.clear();
  runMemory_.reset();
  smallRunMemory_.reset();
  sequence_.data = nullptr;
  sequenceMemory_.reset();
}

const DbfFile::CachedBlock* DbfFile::CachedBlockOf(std::uint32_t recno) const {
  if (lastBlock_ != nullptr && lastBlock_->Holds(recno)) return lastBlock_;
  if (sequence_.Holds(recno)) return &sequence_;
  const auto slot = slots_.find((recno - 1) / kBlockRecords);
  return slot != slots_.end() && cache_[slot->second].Holds(recno) ? &cache_[slot->second] : nullptr;
}

void DbfFile::FreeRun(std::size_t slot) {
  CachedBlock& run = cache_[slot];
  if (run.first == 0) return;
  const std::uint32_t from = (run.first - 1) / kBlockRecords;
  for (std::uint32_t n = from; n <= (run.first + run.count - 2) / kBlockRecords; ++n) slots_.erase(n);
  run.first = run.count = 0;
  if (lastBlock_ == &run) lastBlock_ = nullptr;
}

Status DbfFile::FillBlock(CachedBlock* block, std::uint32_t first, std::uint32_t n) {
  block->first = block->count = 0;
  Status s = ReadRecords(first, n, block->data);
  if (!s.ok()) return s;
  block->first = first;
  block->count = n;
  return Status::Ok();
}

Status DbfFile::ReadRun(std::uint32_t recno, const CachedBlock** found) {
  const std::uint32_t total = count_ + pending_;
  const std::uint32_t number = (recno - 1) / kBlockRecords;
  // A run read while the table was shorter goes, to be read again.
  if (const auto held = slots_.find(number); held != slots_.end()) FreeRun(held->second);
  // A run that ends where this one starts tells of a dense walk here, even
  // when the walk takes turns between several regions (one month of every
  // owner): this run is twice as long.
  std::uint32_t runBlocks = 1;
  if (const auto before = number > 0 ? slots_.find(number - 1) : slots_.end(); before != slots_.end()) {
    const CachedBlock& run = cache_[before->second];
    runBlocks = std::min(2 * ((run.count + kBlockRecords - 1) / kBlockRecords), kRunBlocks);
  }
  const std::uint32_t first = number * kBlockRecords + 1;
  std::uint32_t blocks = 1;
  while (blocks < runBlocks && first + blocks * kBlockRecords <= total && slots_.count(number + blocks) == 0) ++blocks;
  const std::uint32_t n = std::min(blocks * kBlockRecords, total - first + 1);
  const std::size_t slotBytes = std::size_t{kRunRecords} * recordLength_;
  if (cache_.empty()) {
    smallRunMemory_ = CacheMemory(kSmallRunSlots * kRunRecords, recordLength_, total, true);
    cache_.resize(kRunSlots);
    for (std::size_t i = 0; i < kSmallRunSlots; ++i) cache_[i].data = &smallRunMemory_[i * slotBytes];
  }
  // A free slot, the first one, else the run used longest ago makes room.
  std::size_t slot = 0;
  for (std::size_t i = 0; i < cache_.size() && cache_[slot].first != 0; ++i)
    if (cache_[i].first == 0 || cache_[i].lastUse < cache_[slot].lastUse) slot = i;
  FreeRun(slot);
  if (cache_[slot].data == nullptr) {
    runMemory_ = CacheMemory((kRunSlots - kSmallRunSlots) * kRunRecords, recordLength_, total);
    for (std::size_t i = kSmallRunSlots; i < cache_.size(); ++i)
      cache_[i].data = &runMemory_[(i - kSmallRunSlots) * slotBytes];
  }
  Status s = FillBlock(&cache_[slot], first, n);
  if (!s.ok()) return s;
  for (std::uint32_t i = 0; i < blocks; ++i) slots_[number + i] = slot;
  *found = &cache_[slot];
  return Status::Ok();
}

Status DbfFile::CachedRecord(std::uint32_t recno, const char** at, bool inSequence) {
  const std::uint32_t total = count_ + pending_;
  if (recno < 1 || recno > total)
    return Status::Error(StatusKind::Internal, "record " + std::to_string(recno) + " does not exist");
  const CachedBlock* found = CachedBlockOf(recno);
  if (found == nullptr && inSequence) {
    // The walk's previous block makes room for its next one, twice as long
    // where it follows on: a walk that stops soon reads little.
    const std::uint32_t first = (recno - 1) / kBlockRecords * kBlockRecords + 1;
    const bool follows = sequence_.first != 0 && sequence_.first + sequence_.count == first;
    const std::uint32_t length = follows ? std::min(2 * sequence_.count, kSequenceRecords) : kBlockRecords;
    lastBlock_ = nullptr;
    if (sequence_.data == nullptr) {
      sequenceMemory_ = CacheMemory(kSequenceRecords, recordLength_, total, true);
      sequence_.data = sequenceMemory_.get();
    }
    Status s = FillBlock(&sequence_, first, std::min(length, total - first + 1));
    if (!s.ok()) return s;
    found = &sequence_;
  } else if (found == nullptr) {
    Status s = ReadRun(recno, &found);
    if (!s.ok()) return s;
  }
  lastBlock_ = found;
  found->lastUse = ++useClock_;
  *at = &found->data[(recno - found->first) * recordLength_];
  return Status::Ok();
}

Status DbfFile::ReadRecord(std::uint32_t recno, char* out) {
  const char* at = nullptr;
  Status s = CachedRecord(recno, &at);
  if (s.ok()) std::memcpy(out, at, recordLength_);
  return s;
}

Status DbfFile::ReadRecordInSequence(std::uint32_t recno, char* out) {
  const char* at = nullptr;
  Status s = CachedRecord(recno, &at, true);
  if (s.ok()) std::memcpy(out, at, recordLength_);
  return s;
}

Status DbfFile::ReadFlag(std::uint32_t recno, char* flag) {
  const char* at = nullptr;
  Status s = CachedRecord(recno, &at);
  if (s.ok()) *flag = *at;
  return s;
}

Status DbfFile::ReadRecords(std::uint32_t first, std::uint32_t count, char* out) {
  return PRead(RecordOffset(first), std::size_t{count} * recordLength_, out);
}

Status DbfFile::WriteRecord(std::uint32_t recno, const char* record) {
  if (readOnly_) return Status::IoError("cannot write " + path_ + ": the file is read-only");
  Status s = CountChange();
  if (s.ok()) s = PWrite(RecordOffset(recno), record, recordLength_);
  // Blocks of both sizes may hold the record: each gets the new bytes.
  if (s.ok() && sequence_.Holds(recno))
    std::memcpy(&sequence_.data[(recno - sequence_.first) * recordLength_], record, recordLength_);
  if (const auto slot = slots_.find((recno - 1) / kBlockRecords); s.ok() && slot != slots_.end()) {
    CachedBlock& block = cache_[slot->second];
    if (block.Holds(recno)) std::memcpy(&block.data[(recno - block.first) * recordLength_], record, recordLength_);
  }
  return s;
}

Status DbfFile::WriteRecords(std::uint32_t first, std::uint32_t count, const char* records) {
  if (readOnly_) return Status::IoError("cannot write " + path_ + ": the file is read-only");
  DropCache();  // cheaper to read again than to patch block by block
  Status s = CountChange();
  return s.ok() ? PWrite(RecordOffset(first), records, std::size_t{count} * recordLength_) : s;
}

Status DbfFile::AppendRecords(const char* records, std::uint32_t count) {
  if (readOnly_) return Status::IoError("cannot write " + path_ + ": the file is read-only");
  if (std::uint64_t{count_} + pending_ + count > UINT32_MAX)
    return Status::Invalid(path_ + " cannot hold more records");
  const std::uint64_t at = RecordOffset(count_ + pending_ + 1);
  Status s = PWrite(at, records, std::size_t{count} * recordLength_);
  if (s.ok()) s = PWrite(at + std::uint64_t{count} * recordLength_, &kEndOfFile, 1);
  if (s.ok()) pending_ += count;
  return s;
}

Status DbfFile::Commit() {
  if (pending_ == 0) return Status::Ok();
  Status s = Sync();
  if (s.ok()) s = WriteCount(count_ + pending_);
  // An append that never commits leaves the header, its counter included,
  // as it was.
  if (s.ok()) s = CountChange();
  if (!s.ok()) return s;
  count_ += pending_;
  pending_ = 0;
  endByte_ = true;
  return Sync();
}

Status DbfFile::Sync() {
  if (!unflushed_) return Status::Ok();  // flushed already since its last change
  if (FlushToDisk(fd_, path_, true) != 0) return Status::IoError("cannot flush " + path_ + ": " + ErrnoText(errno));
  unflushed_ = false;
  return Status::Ok();
}

Status DbfFile::WriteCount(std::uint32_t count, const char* date) {
  char bytes[7];
  if (date != nullptr)
    std::memcpy(bytes, date, 3);
  else
    PutToday(bytes);
  PutU32(count, &bytes[3]);
  return PWrite(1, bytes, sizeof bytes);
}

Status DbfFile::ReadDate(char* date) {
  return PRead(1, 3, date);
}

Status DbfFile::CutRecords(std::uint32_t count, const char* date) {
  if (readOnly_) return Status::IoError("cannot write " + path_ + ": the file is read-only");
  if (count > count_ || pending_ != 0) return Status::Invalid("only committed records can be cut");
  Status s = CountChange();
  if (s.ok()) s = WriteCount(count, date);
  if (s.ok()) s = Sync();
  if (!s.ok()) return s;
  count_ = count;
  DropCache();
  unflushed_ = true;
  if (::ftruncate(fd_, static_cast<off_t>(RecordOffset(count + 1))) != 0)
    return Status::IoError("cannot cut " + path_ + ": " + ErrnoText(errno));
  s = PWrite(RecordOffset(count + 1), &kEndOfFile, 1);
  endByte_ = s.ok();
  return s.ok() ? Sync() : s;
}

Status DbfFile::PRead(std::uint64_t offset, std::size_t size, char* out) const {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd_, out + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::IoError("cannot read " + path_ + ": " + ErrnoText(errno));
    if (n == 0)
      return Status::Error(StatusKind::Corrupt, path_ + " ended early at byte " + std::to_string(offset + done));
    done += static_cast<std::size_t>(n);
  }
  return Status::Ok();
}

Status DbfFile::PWrite(std::uint64_t offset, const char* data, std::size_t size) const {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::IoError("cannot write " + path_ + ": " + ErrnoText(errno));
    done += static_cast<std::size_t>(n);
  }
  unflushed_ = true;
  NoteDiskStep(DiskStep::Write, path_, offset);
  return Status::Ok();
}

}  // namespace zvonar
