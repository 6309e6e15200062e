// Runs zvonar-cli command lines in the test process with string streams.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace zvonar::testing {

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

inline CliRun RunArgs(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = RunCli(args, out, err);
  return {code, out.str(), err.str()};
}

}  // namespace zvonar::testing
