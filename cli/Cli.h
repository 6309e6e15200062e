// zvonar-cli: batch work over the same core as the window program.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zvonar {

// Exit codes of zvonar-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Runs one command line (without the program name). Output goes to `out`,
// messages to `err`; both UTF-8. Returns the exit code.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zvonar
