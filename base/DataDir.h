// Where the program keeps its files (the program directory of both programs):
// a portable install keeps them beside the executable, otherwise they live in
// the user's data directory.
#pragma once

#include <string>

#include "base/Status.h"

namespace zvonar {

// Directory of the running executable, with a trailing "/".
std::string ExecutableDir();

// The data directory for an executable in `exeDir`, given the values of
// XDG_DATA_HOME and HOME (null when unset): `exeDir` when it holds
// settings.ini; else XDG_DATA_HOME/zvonar/ when that is an absolute path; else
// HOME/.local/share/zvonar/. The result ends with "/" and is created when
// missing.
Status ResolveDataDir(const std::string& exeDir, const char* xdgDataHome, const char* home, std::string* dir);

// ResolveDataDir for this process and its environment.
Status FindDataDir(std::string* dir);

// Creates `dir` and its missing parents.
Status MakeDirectories(const std::string& dir);

}  // namespace zvonar
