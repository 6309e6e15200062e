// The import journal, imports.dat in the data directory: one entry per
// completed import of a file into the detalization table, telling which
// records it appended. It lets the program warn before a bill is imported
// a second time and take back the last import. An entry is written only
// after its records are committed, so a killed import leaves none.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "store/Table.h"

namespace zvonar {

inline constexpr char kImportJournalName[] = "imports.dat";

struct ImportEntry {
  std::string when;         // local time of the import, "yyyy.mm.dd hh:mm:ss"
  std::string fingerprint;  // FileFingerprint of the imported file's bytes
  std::string file;         // the file as it was named to the import
  std::uint32_t first = 0;  // numbers of the first and last record appended
  std::uint32_t last = 0;
  std::uint32_t count = 0;
  // One hash per appended record, of its fields as appended: a record whose
  // hash no longer matches was changed since and is not taken back.
  std::vector<std::uint32_t> sums;
};

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

// The entries of the journal in the directory `dataDir`, oldest first;
// none when the file is missing. A damaged line is an error naming it.
Status ReadImportJournal(const std::string& dataDir, std::vector<ImportEntry>* entries);

// The newest entry for a file with `fingerprint`, if any.
std::optional<ImportEntry> FindImport(const std::vector<ImportEntry>& entries, std::string_view fingerprint);

// Adds the entry for what the last bulk append of `table` committed, named
// `file` with `fingerprint`; nothing when it committed no record. The
// journal is rewritten whole (atomically) while the table's lock is held
// exclusively, so two programs never lose each other's entries. Any
// importer that appends in bulk calls this right after EndBulkAppend. A
// failure says "N records added; the import journal could not be written
// (why)".
Status JournalLastAppend(const std::string& dataDir, Table* table, const std::string& file,
                         const std::string& fingerprint);

// The journal's last entry and how many of its records an undo would
// remove (live and unchanged); no entry when the journal is empty.
Status LastImport(const std::string& dataDir, Table* table, std::optional<ImportEntry>* entry, std::uint32_t* undoable);

// Takes back the journal's last entry: marks its live, unchanged records
// deleted, brings the index up to date and then removes the entry. NotFound
// when the journal is empty. When the marking fails half-way, the entry
// stays, and another undo removes the rest.
Status UndoLastImport(const std::string& dataDir, Table* table, ImportEntry* undone, std::uint32_t* removed);

}  // namespace zvonar
