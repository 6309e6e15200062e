// Adding a bill to the detalization table: the one path the window's Add
// Detalization command and `zvonar-cli import` share. Per bill: the month
// summary is written beside the bill, then the records are appended to the
// table in one bulk append, and the import journal notes them.
//
// The window calls ImportBill with the chosen file, the program directory,
// its MainSettings and register fields, the open table and a progress
// function that feeds the splash; afterwards it shows result.records'
// legends in lType and lCode, merges result.records.owners into the owner
// box (MergeOwners), shows the RejectedMessage of every rejected line in
// one box and, when result.records.stop is set, an error box with
// StopMessage. When result.previous is set it asks before importing the
// bill again. Calls the table holds already are asked about during the
// import, through ImportRequest::skipKnown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Progress.h"
#include "base/Status.h"
#include "config/MainSettings.h"
#include "config/RegisterFields.h"
#include "import/BillEncoding.h"
#include "import/DetalizationParser.h"
#include "import/KnownRecords.h"
#include "store/ImportJournal.h"
#include "store/Table.h"

namespace zvonar {

// Opens the message for a call line that was not stored; the date and time,
// a blank and the number follow.
inline constexpr char kNotStoredText[] = "Data not Corrected, so not Stored:\r\n";

// Why a bill gave nothing: no line of it was a call or charge line (it is
// empty, binary, or text in an encoding not told by its bytes).
inline constexpr char kNoRecordLineText[] = "no call or charge line was found (is it a bill of the operator?)";

// A text cell of a stored record that was longer than its field and cut:
// the bill's 1-based line and the field's index in the record.
struct CutCell {
  std::size_t lineNo = 0;
  int field = 0;
  friend bool operator==(const CutCell&, const CutCell&) = default;
};

// The cut cells ImportResult::cutAt keeps at most; cutCells counts them all.
inline constexpr std::size_t kCutCellsKept = 100;

struct ImportRequest {
  std::string billPath;  // a .txt or .html bill; any other extension reads only roaming sections
  std::string dataDir;   // the program directory with abonents.dat and codetype.dat
  const MainSettings& settings;
  const RegisterFields& fields;
  // Import a bill the import journal already holds; otherwise it is left
  // alone and reported in ImportResult::previous.
  bool again = false;
  // Records of the bill that the table holds already (see KnownRecords.h)
  // are skipped, unless `keepKnown` or `again` is set (then nothing is
  // looked up: a bill imported again is meant to double its calls) or
  // `skipKnown`, asked with what was found, says false.
  bool keepKnown = false;
  std::function<bool(const KnownRecordsFound&)> skipKnown = nullptr;
};

struct ImportResult {
  // The summary file written beside the bill; empty when the bill has none.
  std::string summaryPath;
  // Why the summary could not be written (UTF-8); the records were imported
  // all the same.
  std::string summaryError;
  // recordsAdded counts the records committed to the table.
  DetalizationResult records;
  // Text cells of the stored records that were longer than their field and
  // were cut to it; the first kCutCellsKept of them in bill order.
  std::size_t cutCells = 0;
  std::vector<CutCell> cutAt;
  // Records a failed or killed writer had left after the last committed
  // one, cut before the import appended.
  std::uint64_t droppedUncommitted = 0;
  // The journal's entry for the same bill when it was not imported again:
  // its records are still in the table.
  std::optional<ImportEntry> previous;
  // The journal's entry for the same bill whose records are no longer in
  // the table: the bill was imported anew (see ImportedAgainNote).
  std::optional<ImportEntry> vanished;
  // What the bill was written in, and how many of its characters code page
  // 1251 has no place for (read as "?").
  // The bill's records that the table held before the import, and how many
  // of them were skipped (none when they were kept).
  KnownRecordsFound known;
  std::size_t skipped = 0;
  BillEncoding encoding = BillEncoding::Cp1251;
  std::size_t replacedChars = 0;
};

// Imports one bill into `table`, which must be open with the twelve fields
// of the detalization table. The abonents book and codetype.dat are read
// afresh from `request.dataDir` (a missing file is an empty list). `progress`
// (may be empty) gets (0, 1) first, then now and then and at the end the
// last stored record's number and the record count, the counter the import
// splash shows.
//
// Returns an error, with nothing appended, when the bill or a book cannot
// be read, the summary's name is taken by a link or by anything but a
// regular file, or the table is not usable (InUse when another program
// keeps it); the summary is written only after the table's write lock is
// had. A bill with no call or charge line is the error kNoRecordLineText. A
// walk that stops on a bad line is not an error of the call: it is reported
// in result->records.stop, and the records stored before it stay. A write
// that fails is the error: the table is then as before the call (or, when
// only the index file could not be written, the error says how many
// records were added). A record whose number does not fit its field is
// reported among the rejected lines with the reason. The table leaves
// bulk-append mode on every path.
//
// The bill is read in whatever encoding DetectBillEncoding finds and parsed
// as code page 1251. A bill whose bytes the import journal of
// `request.dataDir` holds is, unless `request.again`, not imported: the
// call returns ok with `result->previous` set. A journal that cannot be
// read is an error, with nothing imported. A bill counts as imported only
// while its records are still in the table; otherwise it is imported again
// and `result->vanished` tells so. Records are committed together with
// their journal entry (EndJournaledAppend): when it cannot be written
// nothing is added. Before anything is written, the records of a table that
// is not empty are looked up (KnownRecords); those it holds already are
// passed over as `request` says, the others appended in one run, so the
// journal entry names exactly what was added. A bill whose records were all
// passed over adds nothing and is no error.
Status ImportBill(const ImportRequest& request, Table* table, const ProgressFn& progress, ImportResult* result);

// "Data not Corrected, so not Stored:\r\n" + date and time + " " + number,
// then the reason on a line of its own when there is one, in code page
// 1251, as the window shows it. `heading` (code page 1251) replaces the
// opening line in the window's language.
std::string RejectedMessage(const RejectedLine& line, std::string_view heading = {});

// "<file>: imported on <when>, but its records are no longer in the table:
// imported again", UTF-8, for a bill of `result.vanished`.
std::string ImportedAgainNote(const std::string& file, const ImportEntry& vanished);

// "<file>: stopped at line <k>: <text>", UTF-8, as zvonar-cli prints it
// and the window's error box shows it (with the reason on a line of its
// own there).
std::string StopMessage(const ImportStop& stop);

// Where cells were cut, for a message: each cell as `placePattern` with
// %1 its line and %2 `fieldName(field)`, joined by "; ", at most `shown`
// of them followed by "; ..." when there are more (`total` counts them
// all). Code page 1251 as the pattern and the names are.
std::string CutCellPlaces(std::string_view placePattern, const std::vector<CutCell>& cells, std::size_t total,
                          const std::function<std::string(int)>& fieldName, std::size_t shown = 10);

// Appends to `owners` each owner of `met` it does not hold yet, in order;
// returns how many were added.
std::size_t MergeOwners(const std::vector<std::string>& met, std::vector<std::string>* owners);

}  // namespace zvonar
