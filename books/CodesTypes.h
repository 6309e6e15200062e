// The codes/types table: codetype.dat turns the short service markers of a
// bill line (its Code and Type, usually small numbers) into readable texts,
// its indications. One table serves both markers.
//
// codetype.dat is a text file in code page 1251, lines ending CR LF, no
// sections and no stamp line. Each line is a marker, "=" and the indication;
// the marker is the text before the first "=", the indication the rest (it
// may hold "=" itself); a line without "=" has an empty indication. Line
// order is the order of the dialog's rows, of the filter lists and of the
// statistic rows; of two lines with the same marker the first is used.
//
// Over the detalization table the markers are filled with their texts, the
// texts returned to their markers, and one exact value of Code or Type
// changed to another. Each of these holds the table exclusively while it
// writes, so another program never reads half of it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Progress.h"
#include "base/Status.h"
#include "store/History.h"
#include "books/StoredText.h"

namespace zvonar {

class Table;

inline constexpr char kCodeTypeFileName[] = "codetype.dat";

struct CodeTypeRow {
  std::string marker;
  std::string indication;
  friend bool operator==(const CodeTypeRow&, const CodeTypeRow&) = default;
};

// codetype.dat in the program directory `dir` (which ends with "/").
std::string CodeTypePath(const std::string& dir);

// The rows of codetype.dat lines, one per line in order.
std::vector<CodeTypeRow> CodeTypeRowsOf(const std::vector<std::string>& lines);
// Reads the rows; a missing file gives no rows and no error.
Status LoadCodeTypes(const std::string& path, std::vector<CodeTypeRow>* rows);
// Writes every row as "marker=indication", replacing the whole file at once.
Status SaveCodeTypes(const std::string& path, const std::vector<CodeTypeRow>& rows);
// The indications in row order: the items of the code and type filter lists
// and the captions of the statistic rows.
std::vector<std::string> CodeTypeIndications(const std::vector<CodeTypeRow>& rows);

// Add/Copy of the dialog: appends a row whose marker is the row count after
// appending, written in decimal. Markers of earlier rows are not looked at,
// so after a delete two rows may carry the same marker; lookups then use
// the first.
void AddCodeTypeRow(std::vector<CodeTypeRow>* rows, std::string indication);

// The key a field text is looked up by: an integer text in decimal without
// leading zeros or plus sign ("07" gives "7"), any other text as it is.
std::string CodeTypeKey(std::string_view text);

// The text Fill Codes / Types would give a field holding `text`: the
// indication of the first row whose marker is its key, or empty when no row
// names it or its indication is empty. For labels of figures over records
// whose codes were not filled yet.
std::function<std::string(std::string_view)> CodeTypeTextFinder(std::vector<CodeTypeRow> rows);

enum class CodeTypeField { Code, Type };

// Markers to texts: for every record, Code and then Type, a field whose key
// is the marker of a line (first such line, letter case aside) takes that
// line's indication when it is not empty; anything else stays as it is. A
// field whose new text would not fit it stays as it is; the records with
// such a field are counted in `left` (may be null). `changed` counts the records
// written. `progress` (may be empty) gets the records done and the record
// count.
//
// With a `history` place (the data directory) the change is recorded in its
// history, so that it can be taken back; so are the changes below.
Status FillCodes(Table* table, const std::vector<CodeTypeRow>& rows, const ProgressFn& progress, std::uint32_t* changed,
                 LeftRecords* left = nullptr, const HistoryPlace& history = {});
// Texts back to markers: a field whose text is the indication of a line
// (first such line, letter case aside) takes that line's marker; a marker
// too long for the field is left out as the fill leaves a text.
Status ReturnCodes(Table* table, const std::vector<CodeTypeRow>& rows, const ProgressFn& progress,
                   std::uint32_t* changed, LeftRecords* left = nullptr, const HistoryPlace& history = {});
// Stores `replace` into `field` of every record whose field equals `find`
// exactly, letter case included. An empty find or replace text changes
// nothing; a replacement the field cannot take whole, or that holds a line
// break, a TAB or "#" (CheckStoredText), is refused before any record is
// touched.
// The history's caption of the change is "FIND -> REPLACE".
Status ChangeCodeType(Table* table, CodeTypeField field, std::string_view find, std::string_view replace,
                      const ProgressFn& progress, std::uint32_t* changed, const HistoryPlace& history = {});

}  // namespace zvonar
