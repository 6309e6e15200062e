// The import of a base kept by the older release: an owners list plus one
// filtered-list file per owner in the data directory. The rows are gathered
// in a work list, given abonent names and code/type texts as the settings
// ask, and appended to the detalization table.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ResultRows.h"
#include "base/Progress.h"
#include "base/Status.h"
#include "import/NameValueList.h"
#include "store/ImportJournal.h"

namespace zvonar {

class Table;

inline constexpr char kOldBaseOwnersFile[] = "detalization.dat";
inline constexpr char kOldBaseExtension[] = "dat";

struct OldBaseOptions {
  // Greater than 0: only the last lines of every owner file.
  std::size_t lastLines = 0;
  // The owner files hold names (SaveAbonentNameInDetalizationFile); when
  // not, names are filled from abonents.dat.
  bool namesInFiles = true;
  // Code and type markers are replaced by their texts from codetype.dat.
  bool fillCodesTypes = false;
  int modePhoneCode = 0;
  std::string phoneCodeTown;
};

// Called with the owner being read (from 1) and the owner count.
using StageFn = std::function<void(int stage, int stages)>;

// What LoadOldBase met of the old base.
struct OldBaseFound {
  // The owners list was there and gave the owners.
  bool ownersListRead = false;
  // Owner files that were there and read.
  std::size_t ownerFiles = 0;
  // A fingerprint of the files read (see FingerprintBuilder): the owners
  // list when it is there, then every owner file in owner order, each as
  // its name, its size and its bytes. The same base gives the same one.
  std::string fingerprint;
};

// Reads the old base of `programDir` into `rows` (cleared first when there
// are owners). `owners` holds the owners already known; when the owners
// list `ownersPath` exists its lines replace them. Every owner's rows come
// from owner.dat, each with that owner; a missing owner file adds nothing.
// `lineProgress` follows the lines of each file. A row whose DateTime the
// table would refuse is an error naming the file and line, and so is a
// file that cannot be read; `rows` then hold what was read before it.
// `found` (may be null) tells what was there.
Status LoadOldBase(const std::string& programDir, const std::string& ownersPath, const OldBaseOptions& options,
                   const StageFn& stage, const ProgressFn& lineProgress, std::vector<std::string>* owners,
                   ResultRows* rows, OldBaseFound* found = nullptr);

// The file the old base's import journal entries are named after: the
// owners list of `programDir`.
std::string OldBaseJournalName(const std::string& programDir);

// The newest entry of the import journal of `programDir` for an old base
// with `fingerprint`, looked up by the re-import guard bills go through;
// none when it was not loaded before. `table` is the open detalization
// table the base would go to.
Status FindOldBaseLoad(const std::string& programDir, Table* table, const std::string& fingerprint,
                       std::optional<ImportEntry>* previous);

// Sets the Abonent of every row with a number to the name `book` gives it.
// With `mode` 1 a number the book does not hold as written is tried under
// its other spellings (see FindAbonentName), and a service "S..." number of
// at least ten characters by its last ten, so a charge row may find its
// owner's entry; any other `mode` finds only the number as written. Rows
// the book does not name keep their name. Returns how many rows changed.
std::size_t FillListNames(ResultRows* rows, const NameValueList& book, std::string_view townCode, int mode);

// Replaces the Code and Type of every row by the text `codeTypes` (the
// lines of codetype.dat) gives their marker (see CodeTypeKey), when that
// text is not empty. Returns how many rows changed.
std::size_t ReplaceListCodesTypes(ResultRows* rows, const NameValueList& codeTypes);

// Appends every row to the open `table` in one bulk append, Owner from the
// row's first cell and the fields after it in table order: every row is
// stored or none. A row the table refuses cancels the append with an
// error naming it. `progress` gets the rows done and the row count. With a
// `journalDir`, the rows committed get their import journal entry in the same commit
// (nothing is added when it cannot be written), named
// OldBaseJournalName(journalDir) with the base's `fingerprint`
// (OldBaseFound), so the old base can be undone like a bill and is known
// when it is loaded again.
Status CopyListToTable(const ResultRows& rows, Table* table, const ProgressFn& progress,
                       std::size_t* appended = nullptr, const std::string& journalDir = {},
                       const std::string& fingerprint = {});

}  // namespace zvonar
