// A dBase table with its production index, as the program works with it: a
// cursor over the live records in physical order or in the order of one
// index tag, reading field texts, editing, appending and deleting records,
// and appending many records at once for the bill import.
//
// Records are numbered from 1 in file order (RecNo); positions count the
// live records from 0 in the active order. Deleted records are never shown
// or counted. The index file is kept in step with the records: a change the
// file does not show yet marks it stale on disk first, and it is rewritten
// when a bulk append ends and when the table closes. An index file found
// stale or damaged on open is rebuilt from the records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "store/DbfFile.h"
#include "store/TagIndex.h"

namespace zvonar {

// What opening a table found besides the records.
struct OpenNotes {
  // The table has index tags but its index file is missing: it is open
  // without indexes until the index is re-created.
  bool indexMissing = false;
  // The index file was stale or damaged and has been rebuilt; why.
  std::string indexRebuilt;
  // Whole records a crash left uncounted after the last one, counted back in.
  std::uint32_t recoveredRecords = 0;
};

enum class EditState { Browse, Edit, Append };

class Table {
 public:
  Table() = default;
  ~Table() { Close(); }
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // The index file that belongs to the table at `tablePath`: same name, .MDX.
  static std::string IndexPathFor(const std::string& tablePath);

  // Creates an empty table with `fields` and its index file with one tag on
  // each field marked indexed (named as the field), replacing files of the
  // same names. The table is not opened.
  static Status Create(const std::string& path, const std::vector<FieldDef>& fields);

  // Opens and locks the table; a second opener gets an InUse error. A
  // damaged table file is reported and left untouched.
  Status Open(const std::string& path, OpenNotes* notes = nullptr);
  // Posts a pending edit, ends a bulk append, writes the index file if it
  // is behind, and closes. Returns the first failure; the table is closed
  // in any case.
  Status Close();
  bool IsOpen() const { return dbf_.IsOpen(); }
  const std::string& path() const { return dbf_.path(); }

  int FieldCount() const { return static_cast<int>(dbf_.fields().size()); }
  const FieldDef& Field(int i) const { return dbf_.fields()[i]; }
  // Index of the field named `name` (any letter case), or -1.
  int FieldIndex(std::string_view name) const;

  // Names of the index tags in use; empty while the index file is missing.
  std::vector<std::string> IndexNames() const;
  // Loads the tags again from the index file (NotFound when it is missing,
  // and the table goes on without indexes).
  Status RefreshIndexDefs();
  // Rebuilds the index file from the records, whatever state it is in, and
  // uses the new tags.
  Status ReCreateIndex();
  // Makes the tag named `name` (any letter case) the active order; an empty
  // name means physical order. The current record stays current.
  Status SetActiveIndex(std::string_view name);
  // Name of the active tag, empty for physical order.
  std::string ActiveIndex() const;

  // Live records.
  std::uint32_t RecordCount() const { return live_; }
  // Record number of the current record; 0 when the table is empty.
  std::uint32_t RecNo() const { return live_ > 0 ? recno_ : 0; }
  // Position of the current record in the active order.
  std::uint32_t Position() const { return pos_; }
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
  // Makes current the first record whose key in the active index is at or
  // after `key` (text as a field holds it, or a date-time text); Eof on the
  // last record when every key is smaller.
  Status FindNearest(std::string_view key);

  // Text of field `i` of the current record (of the edit buffer while
  // editing): text without trailing blanks, date-times as
  // "yyyy.mm.dd hh:mm:ss" ("yyyy.mm.dd" at midnight). Empty without a record.
  std::string FieldText(int i) const;

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
  // end) becomes current.
  Status Delete();
  // Reads the current record again from the file.
  Status Refresh();

  // Bulk append: records are written straight to the file and committed in
  // large steps; the index tags are brought up to date once, by a sort, at
  // EndBulkAppend. Moving the cursor during a bulk append shows the table
  // as it was before it.
  Status BeginBulkAppend();
  // Appends one record from its field texts, as many as fields; nothing is
  // appended when a text is refused.
  Status BulkAppend(const std::vector<std::string>& texts);
  // Commits what was appended, updates the tags and writes the index file.
  // After a failure the table and index hold the records committed so far.
  Status EndBulkAppend();

 private:
  Status LoadIndex(OpenNotes* notes);
  Status ScanRecords();
  Status RebuildIndex();
  Status MarkIndexBehind();
  Status WriteIndex();
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
  std::string indexPath_;
  std::vector<TagIndex> tags_;
  std::vector<std::uint32_t> deleted_;  // ascending
  std::uint32_t live_ = 0;
  bool indexBehind_ = false;  // the index file on disk is marked stale
  int active_ = -1;           // tag of the active order, -1 physical

  std::uint32_t pos_ = 0;
  std::uint32_t recno_ = 0;
  bool bof_ = true;
  bool eof_ = true;
  std::vector<char> current_;

  EditState state_ = EditState::Browse;
  std::vector<char> edit_;
  std::vector<std::string> fieldErrors_;

  bool bulk_ = false;
  std::uint32_t bulkFirst_ = 0;
  std::vector<char> bulkBuffer_;
  std::uint32_t bulkBuffered_ = 0;
};

}  // namespace zvonar
