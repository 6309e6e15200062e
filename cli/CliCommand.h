// What a zvonar-cli command gets: the data directory, its own arguments and
// the two output streams. Shared by the files that implement commands.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"

namespace zvonar {

struct CliContext {
  std::string dataDir;            // ends with "/"
  std::vector<std::string> args;  // the command's own arguments
  std::ostream& out;
  std::ostream& err;
};

class ResultRows;
class Table;
class ResultRows;
struct FilterCriteria;
struct MainSettings;
struct StatRow;
enum class TableAccess;

// "zvonar-cli: message" on the error stream; returns the failure exit code.
int Fail(CliContext& c, const std::string& message);
// The helper program `name` of zvonar-cli: beside this program (the build
// tree), else in the folder an installation puts it in relative to this
// program; an error saying where it looked when it is in neither.
Status FindCompanionProgram(const std::string& name, std::string* path);
// Reads settings.ini of the data directory; a refused DB_Type is reported
// on the error stream (the default is used).
Status LoadCliSettings(CliContext& c, MainSettings* settings);
// Opens (creating when missing) the detalization table of the data
// directory with the file type and widths of `settings`. A missing index
// file is reported on the error stream and sets `*indexMissing` (may be
// null).
Status OpenTable(CliContext& c, const MainSettings& settings, TableAccess access, Table* table,
                 bool* indexMissing = nullptr);

// The owners list Tellura.dat of the data directory, read and known to be
// replaceable: checked before a command appends, so that the list it
// rewrites at its end cannot fail it after the records are stored.
Status ReadOwnersForUpdate(const CliContext& c, std::vector<std::string>* owners);

// The table commands (CliStore.cpp); each returns the exit code.
int RunDump(CliContext& c);
int RunLoadTsv(CliContext& c);
int RunReindex(CliContext& c);
// The bill import and its undo (CliImport.cpp).
int RunImport(CliContext& c);
// The history of changes (CliHistory.cpp).
int RunUndoImport(CliContext& c);
int RunUndo(CliContext& c);
int RunHistory(CliContext& c);
// The filter commands (CliFilter.cpp).
int RunFilterCommand(CliContext& c);
int RunStat(CliContext& c);
int RunCounts(CliContext& c);
// Groups of equal records, and with --delete all but the first of each.
int RunDuplicates(CliContext& c);
// One line of TAB-separated cells in the form of dump.
void PrintCells(std::ostream& out, std::span<const std::string_view> cells);
// The filtered-list, old-base and CSV commands (CliLists.cpp).
int RunSaveList(CliContext& c);
int RunLoadList(CliContext& c);
int RunLoadOldBase(CliContext& c);
int RunExportCsv(CliContext& c);
// The spreadsheet export (CliXlsx.cpp).
int RunExportXlsx(CliContext& c);
// Runs the filter of the criteria in `args` and computes its statistic as
// stat does. Returns kExitOk with the settings and criteria read, the rows
// and the statistic; or kExitOk with `*stopped` set when a ticked criterion has an
// empty value (nothing done); or the exit code of the error it reported.
// A `language` other than empty names the language file of the statistic's
// captions in place of the one in settings.ini (returned in `settings`).
// With `statisticFailure` given, a statistic that cannot be counted (a cell
// that is no number) is returned there with an empty `stat` instead of
// failing the command.
int FilterAndStatistic(CliContext& c, const std::vector<std::string>& args, MainSettings* settings,
                       FilterCriteria* criteria, ResultRows* rows, std::vector<StatRow>* stat, bool* stopped,
                       const std::string& language = {}, Status* statisticFailure = nullptr);
// The printed report as a PDF file (CliReport.cpp).
int RunReport(CliContext& c);
// The rows the filter finds with the criteria in `args` (as "filter" takes
// them), and the settings it read. A criterion with an empty value sets
// `stopped` and finds nothing.
// Returns kExitOk, or the exit code of the error it reported.
int FilterRows(CliContext& c, const std::vector<std::string>& args, MainSettings* settings, ResultRows* rows,
               bool* stopped);
// The name of a number the book does not name, from the language file.
std::string CliNoNameText(const std::string& dataDir, const MainSettings& settings);
// Figures of the filtered records per group (CliSummary.cpp).
int RunSummary(CliContext& c);
// The codes/types commands (CliCodes.cpp).
int RunFillNames(CliContext& c);
int RunFillCodes(CliContext& c);
int RunReturnCodes(CliContext& c);
int RunChangeCode(CliContext& c);
// Numbers without a name into the abonents book.
int RunAddNoNames(CliContext& c);
// The abonents book (CliBook.cpp).
int RunBook(CliContext& c);

}  // namespace zvonar
