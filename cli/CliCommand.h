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

// A cell as zvonar-cli prints it: UTF-8 with TAB, CR, LF and backslash
// written \t, \r, \n, \\.
std::string EscapeCell(std::string_view text);
// "zvonar-cli: message" on the error stream; returns the failure exit code.
int Fail(CliContext& c, const std::string& message);
// Opens (creating when missing) the detalization table of the data
// directory with the file type and widths of its settings.ini.
Status OpenTable(const CliContext& c, Table* table, std::string* warning);

// The table commands (CliStore.cpp); each returns the exit code.
int RunDump(CliContext& c);
int RunLoadTsv(CliContext& c);
int RunReindex(CliContext& c);
// The bill import (CliImport.cpp).
int RunImport(CliContext& c);
// The filter commands (CliFilter.cpp).
int RunFilterCommand(CliContext& c);
int RunStat(CliContext& c);
int RunCounts(CliContext& c);

}  // namespace zvonar
