// One dBase table file: its header and field descriptors, reading and
// writing whole records, and appending with a commit point. Locking is the
// caller's (see TableLock).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/LargeBuffer.h"
#include "base/Status.h"

namespace zvonar {

enum class FieldType { Character, DateTime };

struct FieldDef {
  std::string name;  // upper-case ASCII, at most 10 characters
  FieldType type = FieldType::Character;
  int width = 0;         // bytes in the record; 8 for a date-time
  bool indexed = false;  // the production index holds a tag on this field
};

inline constexpr char kLiveFlag = ' ';
inline constexpr char kDeletedFlag = '*';

class DbfFile {
 public:
  DbfFile() = default;
  ~DbfFile() { Close(); }
  DbfFile(const DbfFile&) = delete;
  DbfFile& operator=(const DbfFile&) = delete;

  // Writes a new empty table at `path` through a temporary file renamed
  // into place, replacing a file of that name.
  static Status Create(const std::string& path, const std::vector<FieldDef>& fields, bool productionIndex);

  // Opens the table, checking that header, descriptors and file size agree.
  // Read-only unless `writable`; a writable open of a file that may not be
  // written opens it read-only (see ReadOnly). Anything but a regular file
  // is refused without blocking. Records after the counted ones are not
  // part of the table and are left alone. Nothing is written on open.
  Status Open(const std::string& path, bool writable);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  const std::string& path() const { return path_; }
  const std::vector<FieldDef>& fields() const { return fields_; }
  int FieldOffset(int field) const { return offsets_[field]; }
  std::size_t RecordLength() const { return recordLength_; }
  // Committed records, deleted ones included.
  std::uint32_t RecordCount() const { return count_; }
  bool HasProductionIndex() const { return productionIndex_; }
  bool ReadOnly() const { return readOnly_; }

  // Looks at the file again after other programs may have written it: the
  // record count and the change counter in the header, and whether another
  // file was renamed into its place (then that one is opened instead, its
  // fields read anew). True when any of them changed; cached records are
  // then dropped.
  Status Reload(bool* changed);
  // How many changes writers have made to the file; see BumpChanges.
  std::uint32_t Changes() const { return changes_; }
  // Counts one more change, so that a program that let the lock go sees
  // the file changed even when the record count stayed. The counter, four
  // bytes little-endian, lives in "<table>.changes" beside the table, so
  // the table's own bytes stay those of its records (an undo leaves them
  // exactly as before) and other dBase programs see a plain file. Under
  // the exclusive lock.
  Status BumpChanges();
  // Starts a writer's hold of the exclusive lock: the first record it
  // overwrites, or the first commit of an append, counts one change
  // (BumpChanges).
  void BeginChange() { changeCounted_ = false; }
  // Cuts what lies after the counted records (an append that never reached
  // its commit point), leaving the end-of-file byte; `*dropped` tells how
  // many records, a torn one included, were cut.
  Status DropUncommitted(std::uint64_t* dropped);

  // Reads record `recno` (1-based, committed or pending) into `out`,
  // RecordLength() bytes, through a small cache of record blocks.
  Status ReadRecord(std::uint32_t recno, char* out);
  // ReadRecord for a walk in file order: a miss reads far ahead.
  Status ReadRecordInSequence(std::uint32_t recno, char* out);
  // The deleted flag of record `recno`, through the same cache.
  Status ReadFlag(std::uint32_t recno, char* flag);
  // Reads `count` records from `first` on into `out`, bypassing the cache.
  Status ReadRecords(std::uint32_t first, std::uint32_t count, char* out);
  // Overwrites record `recno` in place.
  Status WriteRecord(std::uint32_t recno, const char* record);
  // Byte offset of record `recno` in the file.
  std::uint64_t OffsetOf(std::uint32_t recno) const { return RecordOffset(recno); }
  // Overwrites `count` records from `first` on in place, in one write.
  Status WriteRecords(std::uint32_t first, std::uint32_t count, const char* records);

  // Writes whole records after the last one, not yet counted in the header.
  Status AppendRecords(const char* records, std::uint32_t count);
  // Records appended since the last commit.
  std::uint32_t PendingRecords() const { return pending_; }
  // The commit point: flushes the appended records to disk, then counts
  // them in the header and flushes that.
  Status Commit();
  // Forgets records appended since the last commit and cuts what was
  // written after the commit point (also by a write that failed half-way),
  // so the file is as it was at the last DropUncommitted or Commit.
  Status DropPending();
  // Flushes everything written so far to disk.
  Status Sync();
  // Takes the records after the first `count` out of the table: the header
  // counts `count` records first (the commit point, with `date`, three
  // bytes year-1900, month, day, as the date of change), then the file is
  // cut after them and ends with the end-of-file byte again. A kill in
  // between leaves bytes past the count, which the next writer cuts.
  Status CutRecords(std::uint32_t count, const char* date);
  // The header's date of change: year-1900, month, day.
  Status ReadDate(char* date);

 private:
  Status ReadHeader(std::uint64_t fileSize);
  Status WriteCount(std::uint32_t count, const char* date = nullptr);
  Status CountChange();
  std::string ChangesPath() const;
  std::uint32_t ReadChanges() const;
  Status PRead(std::uint64_t offset, std::size_t size, char* out) const;
  Status PWrite(std::uint64_t offset, const char* data, std::size_t size) const;
  std::uint64_t RecordOffset(std::uint32_t recno) const { return headerLength_ + (recno - 1ULL) * recordLength_; }

  int fd_ = -1;
  std::string path_;
  std::vector<FieldDef> fields_;
  std::vector<int> offsets_;
  std::size_t headerLength_ = 0;
  std::size_t recordLength_ = 0;
  std::uint32_t count_ = 0;
  std::uint32_t pending_ = 0;
  bool productionIndex_ = false;
  bool readOnly_ = false;
  bool writable_ = false;  // asked to be opened for writing
  std::uint32_t changes_ = 0;
  bool changeCounted_ = false;  // this hold's change is counted
  dev_t dev_ = 0;               // the file opened, to tell another renamed into its place
  ino_t ino_ = 0;
  bool endByte_ = false;           // the file held the end-of-file byte at the commit point
  mutable bool unflushed_ = true;  // written or cut since the last flush to the disk

  // Cached runs of consecutive records: a scan in file order reads each
  // large block once, and a walk in index order reads runs of small blocks,
  // longer where it reads the file densely. The runs share one buffer of
  // fixed slots, taken once and kept until the file closes, so a walk fills
  // fresh memory only while the cache first grows.
  struct CachedBlock {
    std::uint32_t first = 0;  // first record; 0 when the slot is free
    std::uint32_t count = 0;
    mutable std::uint64_t lastUse = 0;
    char* data = nullptr;
    bool Holds(std::uint32_t recno) const;
  };
  const CachedBlock* CachedBlockOf(std::uint32_t recno) const;
  // `n` records from `first` into `block`, which is free when that fails.
  Status FillBlock(CachedBlock* block, std::uint32_t first, std::uint32_t n);
  // Reads the run of small blocks that starts with `recno`'s into a slot.
  Status ReadRun(std::uint32_t recno, const CachedBlock** found);
  // Frees the run in `slot` and the numbers of its small blocks.
  void FreeRun(std::size_t slot);
  // Where record `recno` lies in the cache, read into it when missing.
  // `inSequence`: a miss reads the large block, for a walk in file order.
  Status CachedRecord(std::uint32_t recno, const char** at, bool inSequence = false);
  // Forgets what the cache holds; `release` also gives its memory back.
  void DropCache(bool release = false);
  std::vector<CachedBlock> cache_;                        // the slots of runs
  LargeBuffer smallRunMemory_;                            // the records of the first slots
  LargeBuffer runMemory_;                                 // of the others, taken when needed
  std::unordered_map<std::uint32_t, std::size_t> slots_;  // small block number -> its run's place in cache_
  CachedBlock sequence_;                                  // the large block of a walk in file order
  LargeBuffer sequenceMemory_;
  const CachedBlock* lastBlock_ = nullptr;  // the block read last, tried first
  std::uint64_t useClock_ = 0;
};

// Validates field definitions for a new table; the message names the field.
Status CheckFieldDefs(const std::vector<FieldDef>& fields);

}  // namespace zvonar
