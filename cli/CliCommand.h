// What a zvonar-cli command gets: the data directory, its own arguments and
// the two output streams. Shared by the files that implement commands.
#pragma once

#include <ostream>
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

class Table;
struct MainSettings;
enum class TableAccess;

// "zvonar-cli: message" on the error stream; returns the failure exit code.
int Fail(CliContext& c, const std::string& message);
// Reads settings.ini of the data directory; a refused DB_Type is reported
// on the error stream (the default is used).
Status LoadCliSettings(CliContext& c, MainSettings* settings);
// Opens (creating when missing) the detalization table of the data
// directory with the file type and widths of `settings`. A missing index
// file is reported on the error stream and sets `*indexMissing` (may be
// null).
Status OpenTable(CliContext& c, const MainSettings& settings, TableAccess access, Table* table,
                 bool* indexMissing = nullptr);

// The table commands (CliStore.cpp); each returns the exit code.
int RunDump(CliContext& c);
int RunLoadTsv(CliContext& c);
int RunReindex(CliContext& c);
// The bill import and its undo (CliImport.cpp).
int RunImport(CliContext& c);
int RunUndoImport(CliContext& c);
// The filter commands (CliFilter.cpp).
int RunFilterCommand(CliContext& c);
int RunStat(CliContext& c);
int RunCounts(CliContext& c);
// The codes/types commands (CliCodes.cpp).
int RunFillCodes(CliContext& c);
int RunReturnCodes(CliContext& c);
int RunChangeCode(CliContext& c);
// Numbers without a name into the abonents book.
int RunAddNoNames(CliContext& c);
// The abonents book (CliBook.cpp).
int RunBook(CliContext& c);

}  // namespace zvonar
