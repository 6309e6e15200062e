// The history of the table's changes. imports.dat holds one entry per
// change that committed, oldest first: the imports (see ImportJournal.h)
// and the changes of records in place (the fills of names and of code/type
// texts, a change of one code or type, a record deleted in the grid). A
// change's entry names a before-image file in the folder "history" of the
// data directory, holding for each record it rewrote the record's number,
// a hash of the record as the change left it and the bytes it changed, as
// they were before; a large import's entry names the side file of its
// records' hashes there. Undo takes back the newest entry, so a change and
// the import under it are taken back in the order they were made.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Progress.h"
#include "base/Status.h"
#include "store/ImportJournal.h"
#include "store/Table.h"

namespace zvonar {

inline constexpr char kHistoryFolder[] = "history";

// The kinds of change in place the history knows.
inline constexpr char kChangeFillNames[] = "fill-names";
inline constexpr char kChangeFillCodes[] = "fill-codes";
inline constexpr char kChangeReturnCodes[] = "return-codes";
inline constexpr char kChangeCodeType[] = "change-code";
inline constexpr char kChangeDelete[] = "delete";

// Where a change is recorded, and how much of the history keeps its
// before-images (see HistoryBounds).
struct HistoryPlace {
  std::string dataDir;  // ending with "/"; empty: the change is not recorded
  HistoryBounds bounds;
};
// Runs `change` on `table` under one exclusive hold: `change` passes the
// note it is given to the table's rewrite (or Delete), which tells it each
// record's bytes before and after; when records changed, their entry is
// added to the history of `dataDir` (ending with "/") before the hold ends,
// with `kind` and `caption` (code page 1251, e.g. "FIND -> REPLACE"). When
// the before-images cannot be written, the change stops where it was and
// the error says so; the records written until then stay, unrecorded.
using RecordedChangeFn = std::function<Status(const Table::ChangedRecordFn& note)>;
// Older entries then lose their images as `place`'s bounds say.
Status RecordChange(const HistoryPlace& place, Table* table, std::string_view kind, std::string_view caption,
                    const RecordedChangeFn& change);

// Whether the history still holds what taking `entry` back needs: an
// import's hashes, a change's before-images.
bool EntryUndoable(const ImportEntry& entry);

// What an undo of the newest entry would do.
struct UndoPreview {
  std::optional<ImportEntry> entry;  // none when the history is empty
  std::uint32_t undoable = 0;        // records it would take back
  std::uint32_t kept = 0;            // its records changed since by others: left alone
  bool possible = false;             // false when its before-images (an import's hashes) were dropped
};
// Without `countRecords` nothing is read but the history and, for an
// import, its first and last record: `undoable` then is the entry's count
// when an undo would take anything back (enough to offer the command).
Status PreviewUndo(const std::string& dataDir, Table* table, UndoPreview* preview, bool countRecords = true);

// What an undo did.
struct UndoOutcome {
  ImportEntry entry;
  std::uint32_t undone = 0;  // records removed (an import) or put back
  std::uint32_t kept = 0;    // records left alone: changed since by a program the history does not know
};
// Takes back the newest entry of the history. An import's records go:
// when they are the table's last and all as appended, cut off the file as
// if never appended (the table and its index then are as before the
// import); else those still as appended are marked deleted. A change's
// records that still hold what it wrote get their earlier bytes back,
// through the redo file, so a kill leaves each record as before or as
// after; the entry and its images go only when every record is done.
// A change's images are read a block at a time beside the records, so
// the memory an undo takes does not grow with the change. NotFound on an
// empty history; Invalid when the newest change's images (an import's
// hashes) were dropped.
Status UndoLatest(const std::string& dataDir, Table* table, const ProgressFn& progress, UndoOutcome* outcome);

}  // namespace zvonar
