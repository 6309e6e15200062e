// The import of a base kept by the older release: an owners list plus one
// filtered-list file per owner in the data directory. The rows are gathered
// in a work list, given abonent names and code/type texts as the settings
// ask, and appended to the detalization table.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ResultRows.h"
#include "base/Progress.h"
#include "base/Status.h"
#include "import/NameValueList.h"

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

// Reads the old base of `programDir` into `rows` (cleared first when there
// are owners). `owners` holds the owners already known; when the owners
// list `ownersPath` exists its lines replace them, and `*ownersRead` (may
// be null) tells whether it did. Every owner's rows come from owner.dat,
// each with that owner; a missing owner file adds nothing. `lineProgress`
// follows the lines of each file.
Status LoadOldBase(const std::string& programDir, const std::string& ownersPath, const OldBaseOptions& options,
                   const StageFn& stage, const ProgressFn& lineProgress, std::vector<std::string>* owners,
                   ResultRows* rows, bool* ownersRead = nullptr);

// Sets the Abonent of every row with a number to the name `book` gives it,
// under the number's spellings when `mode` is 1 (see FindAbonentName). A
// service "S..." number of at least ten characters is looked up by its last
// ten, so a charge row may find its owner's entry. Rows the book does not
// name keep their name. Returns how many rows changed.
std::size_t FillListNames(ResultRows* rows, const NameValueList& book, std::string_view townCode, int mode);

// Replaces the Code and Type of every row by the text `codeTypes` (the
// lines of codetype.dat) gives their marker (see CodeTypeKey), when that
// text is not empty. Returns how many rows changed.
std::size_t ReplaceListCodesTypes(ResultRows* rows, const NameValueList& codeTypes);

// Appends every row to the open `table` in one bulk append, Owner from the
// row's first cell and the fields after it in table order. A row the table
// refuses ends the copy with an error naming it; the rows before it stay
// in the table. `progress` gets the rows done and the row count. With a
// `journalDir`, the rows committed get their import journal entry in the
// same commit, named after the owners list of that program directory, with
// a fingerprint of the rows' texts, so the old base can be undone like a
// bill; when the entry cannot be written nothing is added.
Status CopyListToTable(const ResultRows& rows, Table* table, const ProgressFn& progress,
                       std::size_t* appended = nullptr, const std::string& journalDir = {});

}  // namespace zvonar
