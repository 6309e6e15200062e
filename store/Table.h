// A dBase table with its production index, as the program works with it: a
// cursor over the live records in physical order or in the order of one
// index tag, reading field texts, editing, appending and deleting records,
// and appending many records at once for the bill import.
//
// Records are numbered from 1 in file order (RecNo); positions count the
// live records from 0 in the active order. Deleted records are never shown
// or counted, nor are bytes after the counted records (an append that never
// reached its commit point). The index file is kept in step with the
// records: a change the file does not show yet marks it stale on disk
// first (an append needs no mark: the record count it was written for no
// longer matches), and the blocks the change touched are written when a
// bulk append ends and when the table closes, then the mark that the file
// is in step again. Opening reads only the index file's headers; a walk in
// an index order reads its blocks as it goes, and only moves by position
// read a whole order into memory. A large change writes the file whole.
// An index file found stale or damaged is sorted again in memory; a writer
// writes it with its next change.
//
// Programs share the table through TableLock: an open table holds the lock
// shared, and a table opened for writing takes it exclusively only for the
// time of each change. The window holds it only while it reads or writes
// (LockOnlyWhileReading), so that other programs write between its reads;
// each time it takes the lock again it compares the header's record count
// and change counter (see DbfFile) with those it last saw and loads what
// other programs changed.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/LargeBuffer.h"
#include "base/Progress.h"
#include "base/Status.h"
#include "store/DateTimeField.h"
#include "store/DbfFile.h"
#include "store/MdxTree.h"
#include "store/TableLock.h"
#include "store/TagIndex.h"

namespace zvonar {

enum class TableAccess {
  // Reads only and writes nothing, not even a stale index file.
  Read,
  // May change the table; holds the lock shared between changes.
  Write,
};

struct OpenOptions {
  TableAccess access = TableAccess::Write;
  // When not empty and the table file is missing: the table is created with
  // these fields under the exclusive lock, so that of several programs
  // starting at once exactly one creates it.
  std::vector<FieldDef> createWith;
  // How long to try for a lock another program holds.
  std::chrono::milliseconds lockWait = kTableLockWait;
};

// What opening a table found besides the records.
struct OpenNotes {
  // The table has index tags but its index file is missing: it is open
  // without indexes until the index is re-created.
  bool indexMissing = false;
  // The index file was stale or damaged and has been sorted again in
  // memory; why.
  std::string indexRebuilt;
  // The table file was missing and has been created.
  bool created = false;
  // A redo file that did not belong to the table, or was damaged, was set
  // aside instead of replayed: why and where.
  std::string redoSetAside;
};

enum class EditState { Browse, Edit, Append };

// One record as a field rewrite sees it: the texts of the chosen character
// fields (as FieldText gives them, valid for the call only) and, per field,
// the text to store instead; left empty, the field stays as it is.
struct FieldRewrite {
  std::uint32_t recno = 0;
  std::vector<std::string_view> texts;
  std::vector<std::optional<std::string_view>> store;
};
using FieldRewriteFn = std::function<void(FieldRewrite& record)>;

class Table {
 public:
  // Told of each record a change rewrites, with its bytes (deleted flag
  // included) before and after, before the record is written.
  using ChangedRecordFn = std::function<Status(std::uint32_t recno, std::string_view before, std::string_view after)>;

  Table() = default;
  ~Table() { Close(); }
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // The index file that belongs to the table at `tablePath`: same name, .MDX.
  static std::string IndexPathFor(const std::string& tablePath);

  // Creates an empty table with `fields` and its index file with one tag on
  // each field marked indexed (named as the field), replacing files of the
  // same names: the index file first, then the table, each written under a
  // temporary name and renamed into place, under the exclusive lock (InUse
  // when another program holds the table). The table is not opened.
  static Status Create(const std::string& path, const std::vector<FieldDef>& fields,
                       std::chrono::milliseconds lockWait = kTableLockWait);

  // From the next Open on, the lock is held only inside BeginRead and
  // EndRead and for the time of each change, and the reads are marked as
  // the window's (TableLock::MarkReads). Between them the table keeps the
  // records it read last; a read that takes the lock again first loads what
  // other programs changed meanwhile. Reads outside a BeginRead take the
  // lock for themselves.
  void LockOnlyWhileReading();
  // Holds the lock shared for a read of many steps (a filter run, a page of
  // the grid, a count), trying for `wait`; holds nest. Taking the lock
  // loads first what other programs changed since this table last held it
  // (the hook set by SetOthersChangedHook is then called). Does nothing
  // unless LockOnlyWhileReading; InUse when a writer keeps the table.
  Status BeginRead(std::chrono::milliseconds wait);
  Status BeginRead() { return BeginRead(lockWait_); }
  // Ends a hold of BeginRead that succeeded; the last one lets the lock go.
  void EndRead();
  // `hook` is called each time records, or the index file, that other
  // programs changed are loaded, after the table shows them.
  void SetOthersChangedHook(std::function<void()> hook) { othersChanged_ = std::move(hook); }

  // Opens the table and holds its lock shared until Close (unless
  // LockOnlyWhileReading); InUse when a writer keeps
  // it past the lock wait. A damaged table file, and anything but a regular
  // file in place of the table or its index, is reported and left
  // untouched, a link to a missing file included. Opened for reading,
  // nothing is written but a missing table created (createWith): no index
  // file, no redo file replayed.
  Status Open(const std::string& path, OpenNotes* notes = nullptr, const OpenOptions& options = {});
  // Posts a pending edit, ends a bulk append, writes the index file if this
  // table's changes left it behind, and closes. Returns the first failure;
  // the table is closed in any case.
  Status Close();
  bool IsOpen() const { return dbf_.IsOpen(); }
  const std::string& path() const { return dbf_.path(); }
  // True when changes are refused: opened for reading, or a file that may
  // not be written.
  bool ReadOnly() const { return access_ == TableAccess::Read || dbf_.ReadOnly(); }

  int FieldCount() const { return static_cast<int>(dbf_.fields().size()); }
  // Bytes of a record: the deleted flag and the fields.
  std::size_t RecordLength() const { return dbf_.RecordLength(); }
  const FieldDef& Field(int i) const { return dbf_.fields()[i]; }
  // Index of the field named `name` (any letter case), or -1.
  int FieldIndex(std::string_view name) const;

  // Names of the index tags in use; empty while the index file is missing.
  std::vector<std::string> IndexNames() const;
  // Loads the tags again from the index file (NotFound when it is missing,
  // and the table goes on without indexes).
  Status RefreshIndexDefs();
  // Rebuilds the index file from the records, whatever state it is in, and
  // uses the new tags. A change: it needs the exclusive lock.
  Status ReCreateIndex();
  // Makes the tag named `name` (any letter case) the active order; an empty
  // name means physical order. The current record stays current.
  Status SetActiveIndex(std::string_view name);
  // Name of the active tag, empty for physical order.
  std::string ActiveIndex() const;
  // The current record's place in the order of the index `name` (any
  // letter case) as bytes that compare as that order does: its key, then
  // its record number. Empty when the table has no such index.
  std::string OrderKey(std::string_view name) const;

  // Live records.
  std::uint32_t RecordCount() const { return live_; }
  // Record number of the current record; 0 when the table is empty.
  std::uint32_t RecNo() const { return live_ > 0 ? recno_ : 0; }
  // Position of the current record in the active order. The first call
  // after opening walks the whole order once.
  std::uint32_t Position() const;
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }

  // Moving posts a pending edit first and does not move when that fails.
  // First sets Bof, Last sets Eof; Next on the last record sets Eof and
  // Prior on the first sets Bof, staying where they are. On an empty table
  // both are set.
  Status First();
  Status Next();
  Status Prior();
  Status Last();
  // Makes the record at `position` of the active order current, in
  // logarithmic time at most (the record grid's random access).
  Status GoToPosition(std::uint32_t position);
  // Makes the live record `recno` current, at its place in the active
  // order, in logarithmic time at most.
  Status GoToRecNo(std::uint32_t recno);
  // Makes current the first record whose key in the active index is at or
  // after `key` (text as a field holds it, or a date-time text); Eof on the
  // last record when every key is smaller.
  Status FindNearest(std::string_view key);

  // Text of field `i` of the current record (of the edit buffer while
  // editing): text without trailing blanks, date-times as
  // "yyyy.mm.dd hh:mm:ss" ("yyyy.mm.dd" at midnight). Empty without a record
  // and for a damaged date-time.
  std::string FieldText(int i) const;
  // The same text without a copy: a view of the record's bytes, or of
  // `dateText` for a date-time. Valid until the cursor moves or the record
  // changes.
  std::string_view FieldView(int i, char (&dateText)[kDateTimeTextMax]) const;
  // True when field `i` of the current record holds bytes that are no
  // date-time (a damaged record); its text is empty.
  bool FieldDamaged(int i) const;

  // Every change (Post, Delete, a bulk append, ReCreateIndex) takes the
  // lock exclusively for its time and fails with InUse, changing nothing,
  // when another program keeps the table past the lock wait. Changes
  // another program made meanwhile are loaded first. An append first cuts
  // what lies after the counted records (see DroppedUncommitted).

  EditState State() const { return state_; }
  // Starts editing the current record.
  Status Edit();
  // Starts a new record with blank fields.
  Status Append();
  // Sets field `i` of the edited record. Text is cut to the field width; a
  // date-time text that does not read as one fails here and at Post.
  Status SetFieldText(int i, std::string_view text);
  // Stores the edited or new record; it becomes current. Fails, and stays
  // in the edit, when a date-time field holds no valid date.
  Status Post();
  void Cancel();
  // Deletes the current record; the next one (or the previous one at the
  // end) becomes current. `noteChange` as for RewriteFields.
  Status Delete(const ChangedRecordFn& noteChange = {});
  // Reads the current record again from the file.
  Status Refresh();

  // Bulk append: records are written straight to the file and committed
  // all at once at EndBulkAppend; the index tags are brought up to date
  // once, by a sort. Moving the cursor during a bulk append shows the table
  // as it was before it.
  // `expected`, when known, is about how many records will come: the index
  // keys get their room at once instead of growing step by step.
  Status BeginBulkAppend(std::uint32_t expected = 0);
  // Appends one record from its field texts, as many as fields; nothing is
  // appended when a text is refused. After a write failure every later
  // call fails with it.
  Status BulkAppend(const std::vector<std::string>& texts);
  // Called by EndBulkAppend with the numbers of the first and last record
  // written, once they are all in the file and before the header counts
  // them; VisitRecords reads them meanwhile. Its failure cancels the append.
  using BeforeCommitFn = std::function<Status(std::uint32_t first, std::uint32_t last)>;
  // Commits what was appended, updates the tags and writes the index file.
  // `beforeCommit` (may be empty) runs first, under the same exclusive
  // hold, when any record was appended; when it fails nothing is committed
  // and its error is returned. When the records cannot be committed, they
  // are cut from the file, which is then as before the bulk append. When
  // they are committed but the index file cannot be written, the error says
  // "N records added; the index file could not be written (why)".
  Status EndBulkAppend(const BeforeCommitFn& beforeCommit = {});
  // Drops every record of the running bulk append, written or not: the
  // table and its index stay as before BeginBulkAppend. The error says why
  // when the records written could not be cut from the file again.
  Status CancelBulkAppend();
  // Holds the lock exclusively from here to EndChanges, for a change of
  // many records (a fill over every record): other programs neither read
  // nor write until all of it is written, and the edits in between take no
  // lock of their own. InUse, holding nothing more, when another program
  // keeps the table past the lock wait.
  Status BeginChanges();
  // Posts a pending edit and lets the lock go back to shared; returns the
  // post's failure.
  Status EndChanges();

  // Rewrites character fields of every live record, in file order: reads
  // the records a block at a time, lets `rewrite` decide each record's new
  // texts and writes back only the records that change, each record whole.
  // Holds the table exclusively for the whole run (or inside BeginChanges).
  // Texts are cut to the field width. An index tag over a rewritten field
  // is brought up to date. `changed` counts the records written; `progress`
  // (may be empty) gets the records passed and the file's record count
  // after each block.
  // `noteChange` (may be empty) is called with each changed record's bytes
  // before and after, before any of it is written; its failure stops the
  // rewrite there.
  Status RewriteFields(const std::vector<int>& fields, const FieldRewriteFn& rewrite, const ProgressFn& progress,
                       std::uint32_t* changed, const ChangedRecordFn& noteChange = {});
  // Rewrites committed records in place by their bytes: `patch` gets each
  // record of `recnos` (ascending), deleted flag included, and returns true
  // when it changed the bytes. Runs go through the redo file as the fills'
  // do; index keys follow, a record marked deleted leaves the orders and a
  // record no longer marked comes back. The index file is written at the
  // end. `patched` counts the records written. What taking a change back
  // needs.
  using RecordPatchFn = std::function<bool(std::uint32_t recno, char* record)>;
  Status PatchRecords(const std::vector<std::uint32_t>& recnos, const RecordPatchFn& patch, const ProgressFn& progress,
                      std::uint32_t* patched);
  // The same over the numbers `next` gives, ascending, then 0: each is asked
  // for before its record is patched, at most one record ahead, so that a
  // long list is read as it goes. `expected` is how many to tell `progress`.
  using RecnoSourceFn = std::function<std::uint32_t()>;
  Status PatchRecords(const RecnoSourceFn& next, std::uint32_t expected, const RecordPatchFn& patch,
                      const ProgressFn& progress, std::uint32_t* patched);
  // Takes the records from `first` on out of the file, as if they had never
  // been appended, with `date` (3 bytes, or null for today) as the header's
  // date of change; the index is sorted again and written. What taking back
  // the last append needs.
  Status CutRecordsFrom(std::uint32_t first, const char* date);
  // The header's date of change, 3 bytes: year-1900, month, day.
  Status ReadChangeDate(char* date) { return dbf_.ReadDate(date); }

  // Records the last bulk append committed.
  std::uint32_t LastAppended() const { return lastAppended_; }
  // Records after the commit point that the last append start cut from the
  // file (what a killed or failed writer left).
  std::uint64_t DroppedUncommitted() const { return dropped_; }

  // Committed records, deleted ones included: the number of the last one.
  std::uint32_t LastRecNo() const { return dbf_.RecordCount(); }
  // A record as the file holds it: the deleted flag, then the fields.
  using RecordVisitor = std::function<void(std::uint32_t recno, std::string_view record)>;
  using RecordPicker = std::function<bool(std::uint32_t recno, std::string_view record)>;
  // Calls `visit` for each committed record from `first` to `last` (deleted
  // ones included) in file order; numbers past the last record are skipped.
  // Inside a BeforeCommitFn the records about to be committed count too.
  Status VisitRecords(std::uint32_t first, std::uint32_t last, const RecordVisitor& visit);
  // Marks deleted each live record from `first` to `last` that `pick`
  // accepts, all under one hold of the exclusive lock, and writes the index
  // file once at the end; `*deleted` counts the records marked. Each mark
  // rewrites one record in place, so a crash leaves every record either
  // deleted or whole, and the index file stale until the next open sorts
  // it again. The current record stays current while it lives. When only
  // the index file cannot be written, the error says "N records removed;
  // the index file could not be written (why); it is sorted again at the
  // next open".
  Status DeleteRecords(std::uint32_t first, std::uint32_t last, const RecordPicker& pick, std::uint32_t* deleted);

 private:
  static Status CreateFiles(const std::string& path, const std::vector<FieldDef>& fields);
  Status LoadIndex(OpenNotes* notes);
  Status LoadOrders();
  Status LeavePaged();
  bool FellBack(Status* s);
  void AdoptBulkKeys();
  bool InTree() const { return paged_ && !ordersLoaded_; }
  Status SeekCurrent();
  Status ReadCurrent(std::uint32_t recno);
  Status FindLive(std::uint32_t from, bool forward, std::uint32_t* found);
  Status TreeKeys(std::uint32_t recno, const char* record, bool insert, const std::vector<int>& only = {});
  void OpenTree();
  Status ScanRecords();
  Status RebuildIndex();
  Status MarkIndexBehind();
  void NoteAppended();
  Status WriteIndex();
  Status BeginWrite(bool append);
  void EndWrite();
  Status LoadOthersChanges();
  Status LoadOthersRecords();
  void NoteIndexFile();
  Status Fingerprint(std::uint64_t* fingerprint);
  std::vector<TagIndex> MakeTags() const;
  std::uint32_t RecnoAt(std::uint32_t position) const;
  std::uint32_t PositionOf(std::uint32_t recno) const;
  Status MoveTo(std::uint32_t position);
  Status SetEmpty();
  Status EncodeField(int i, std::string_view text, char* record) const;
  Status CheckRecord(const char* record) const;
  Status FlushBulkBuffer();
  Status RequireBrowse() const;

  DbfFile dbf_;
  TableLock lock_;
  TableAccess access_ = TableAccess::Write;
  std::chrono::milliseconds lockWait_ = kTableLockWait;
  std::string indexPath_;
  std::vector<TagIndex> tags_;
  std::vector<std::uint32_t> deleted_;  // ascending; kept while ordersLoaded_
  // The index file's tree, read and changed block by block while paged_:
  // it then describes the records, its changes pending until WriteIndex.
  MdxTree tree_;
  bool paged_ = false;
  // tags_ hold every key and order and deleted_ lists the deleted records;
  // else the cursor moves in the tree (cursor_), or over the records.
  bool ordersLoaded_ = true;
  MdxTree::Cursor cursor_;
  LargeVector<char> bulkKeys_;  // each pending record's keys, tag by tag, while not ordersLoaded_
  std::uint32_t live_ = 0;
  bool indexBehind_ = false;  // the index file on disk does not describe the records
  bool ownChanges_ = false;   // this table's changes put it behind
  int active_ = -1;           // tag of the active order, -1 physical
  // The index file as last read or written: another writer's new file
  // differs in one of these.
  struct FileIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    std::int64_t mtimeNs = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
  };
  FileIdentity indexFile_;
  std::uint64_t dropped_ = 0;
  std::uint32_t lastAppended_ = 0;

  std::uint32_t pos_ = 0;
  std::uint32_t recno_ = 0;
  bool bof_ = true;
  bool eof_ = true;
  std::vector<char> current_;

  EditState state_ = EditState::Browse;
  std::vector<char> edit_;
  std::vector<std::string> fieldErrors_;

  bool held_ = false;  // BeginChanges holds the lock exclusively
  bool lockWhileReading_ = false;
  int reads_ = 0;  // BeginRead holds open
  std::string lockDir_;
  std::function<void()> othersChanged_;

  bool bulk_ = false;
  bool committing_ = false;  // a BeforeCommitFn runs: pending records are visible
  Status bulkError_;
  std::uint32_t bulkFirst_ = 0;
  LargeVector<char> bulkBuffer_;
  std::uint32_t bulkBuffered_ = 0;
};

// Holds `table` for reading (Table::BeginRead) while it lives.
class TableReadHold {
 public:
  explicit TableReadHold(Table& table) : table_(table), status_(table.BeginRead()) {}
  TableReadHold(Table& table, std::chrono::milliseconds wait) : table_(table), status_(table.BeginRead(wait)) {}
  ~TableReadHold() {
    if (status_.ok()) table_.EndRead();
  }
  TableReadHold(const TableReadHold&) = delete;
  TableReadHold& operator=(const TableReadHold&) = delete;
  const Status& status() const { return status_; }

 private:
  Table& table_;
  Status status_;
};

}  // namespace zvonar
