// The import journal, imports.dat in the data directory: one entry per
// completed import of a file into the detalization table, telling which
// records it appended. It lets the program warn before a bill is imported
// a second time and take back the last import. An entry is appended in the
// same exclusive hold as its records, after them and before the header
// counts them: an import killed in between leaves an entry whose records
// never reached the count (an orphan), never records without their entry.
// An entry is an orphan when its last record lies past the table's
// committed records, or when a later import begins at or before it; the
// journal is read without the latter. Nothing trusts an entry alone: undo
// and the re-import guard look at its records.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "store/Table.h"

namespace zvonar {

inline constexpr char kImportJournalName[] = "imports.dat";

// An entry of the journal: an import, or (with a kind) a change of records
// in place whose before-images lie in a file of the history folder.
struct ImportEntry {
  std::string when;         // local time of the change, "yyyy.mm.dd hh:mm:ss"
  std::string fingerprint;  // FileFingerprint of the imported file's bytes
  std::string file;         // the file as it was named to the import; a change's caption
  std::uint32_t first = 0;  // numbers of the first and last record appended (changed)
  std::uint32_t last = 0;
  std::uint32_t count = 0;  // records appended (changed)
  // An import keeps a hash per appended record, of its fields as appended:
  // a record whose hash no longer matches was changed since and is not
  // taken back. Those of its first and last record are at hand; the rest
  // are read only by its undo.
  std::uint32_t firstSum = 0;
  std::uint32_t lastSum = 0;
  // The table header's date of change before the import (year-1900, month,
  // day), when the entry holds it; an undo that cuts the records puts it
  // back.
  std::string dateBefore;
  // Empty for an import; else the change ("fill-codes", "delete", ...).
  std::string kind;
  // What taking the change back needs, in a file of the history folder: a
  // change's before-images, or a large import's hashes (then `sumsApart`).
  // Empty once the bounds dropped it, and the change can no longer be
  // taken back.
  std::string images;
  bool sumsApart = false;
};

// How much of the history keeps what taking a change back needs: the newest
// `changes` entries (imports count too) within `bytes` of the history
// folder's files (an import's hashes count too). Older changes can no
// longer be taken back; with `changes` 0 a change is listed but keeps
// nothing.
struct HistoryBounds {
  std::uint32_t changes = 10;
  std::uint64_t bytes = std::uint64_t{500} << 20;
};
// The bounds of the settings' HistoryChanges and HistoryMegabytes.
inline HistoryBounds HistoryBoundsOf(std::int32_t changes, std::int32_t megabytes) {
  return {static_cast<std::uint32_t>(std::max(changes, 0)), static_cast<std::uint64_t>(std::max(megabytes, 0)) << 20};
}

// A fingerprint of a file's bytes: 16 hexadecimal digits of its 64-bit
// XXH3 hash.
std::string FileFingerprint(std::string_view bytes);

// The same fingerprint over bytes that come in pieces.
class FingerprintBuilder {
 public:
  FingerprintBuilder();
  ~FingerprintBuilder();
  FingerprintBuilder(const FingerprintBuilder&) = delete;
  FingerprintBuilder& operator=(const FingerprintBuilder&) = delete;
  void Add(std::string_view bytes);
  // FileFingerprint of every byte added so far.
  std::string Fingerprint() const;

 private:
  void* state_;  // the hash's running state
};

// The entries of the journal in the directory `dataDir`, oldest first,
// without the orphans a later import overlaps; none when the file is
// missing. Anything but a regular file is refused at
// once, and the file is read a block at a time: a damaged line is an error
// naming it ("imports.dat:N: not an entry of the import journal") as soon
// as its first bytes show it, however long the line. A last line cut off
// before its line end (an append that was killed) is no entry.
Status ReadImportJournal(const std::string& dataDir, std::vector<ImportEntry>* entries);

// The newest entry for a file with `fingerprint`, if any, by the journal
// alone (see CheckPreviousImport for whether its records are still there).
std::optional<ImportEntry> FindImport(const std::vector<ImportEntry>& entries, std::string_view fingerprint);

// Whether the records of `entry` are still in `table`: its first and last
// record are committed, live and hold what was appended.
Status ImportStillInTable(Table* table, const ImportEntry& entry, bool* still);

// What the journal knows of a file about to be imported.
struct PreviousImport {
  // The newest entry for the file whose records are still in the table:
  // the file counts as imported.
  std::optional<ImportEntry> live;
  // Without a live one, the newest entry for the file: its records have
  // gone (undone another way, or the table emptied), so it imports again,
  // with a note.
  std::optional<ImportEntry> gone;
};
// Looks the file with `fingerprint` up in the journal of `dataDir` and in
// `table`: the re-import guard of every importer. The journal is read a
// block at a time and no import's hashes but its first and last are read,
// so the time and memory it takes do not grow with the records imported.
Status CheckPreviousImport(const std::string& dataDir, Table* table, std::string_view fingerprint,
                           PreviousImport* previous);

// Ends the running bulk append of `table` with its journal entry, named
// `file` with `fingerprint`: the records are written, then the hashes of a
// large import go to a side file of the history folder, the history is
// brought within `bounds`, and the entry is appended to the journal and
// flushed, then the header counts the records, all in one exclusive hold. When the entry cannot be written nothing is
// committed and the error says "no records added; the import journal could not be written (why)". A bulk append that
// stored nothing leaves no entry. Every importer that appends in bulk ends its append with this.
Status EndJournaledAppend(const std::string& dataDir, Table* table, const std::string& file,
                          const std::string& fingerprint, const HistoryBounds& bounds = {});

// The newest entry when it is an import, and how many of its records an
// undo would remove (live and unchanged); no entry when the history is
// empty or its newest change is not an import. An orphan has none to
// remove.
Status LastImport(const std::string& dataDir, Table* table, std::optional<ImportEntry>* entry, std::uint32_t* undoable);

// UndoLatest (History.h) when the newest change is an import: NotFound
// when it is not, or the history is empty ("no import to undo").
Status UndoLastImport(const std::string& dataDir, Table* table, ImportEntry* undone, std::uint32_t* removed);

}  // namespace zvonar
