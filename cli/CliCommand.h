// What a zvonar-cli command gets: the data directory, its own arguments and
// the two output streams. Shared by the files that implement commands.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zvonar {

struct CliContext {
  std::string dataDir;            // ends with "/"
  std::vector<std::string> args;  // the command's own arguments
  std::ostream& out;
  std::ostream& err;
};

// The table commands (CliStore.cpp); each returns the exit code.
int RunDump(CliContext& c);
int RunLoadTsv(CliContext& c);
int RunReindex(CliContext& c);
// The bill import (CliImport.cpp).
int RunImport(CliContext& c);

}  // namespace zvonar
