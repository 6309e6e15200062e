// zvonar-cli export-xlsx in the statically linked program: the spreadsheet
// library is a shared one, so the command runs in zvonar-cli-shared, the
// same commands linked against shared libraries, on the same data
// directory.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "cli/Cli.h"
#include "cli/CliCommand.h"

namespace zvonar {

int RunExportXlsx(CliContext& c) {
  std::string program;
  const Status s = FindCompanionProgram("zvonar-cli-shared", &program);
  if (!s.ok()) return Fail(c, s.message());
  std::vector<std::string> words = {program, "--dir", c.dataDir, "export-xlsx"};
  words.insert(words.end(), c.args.begin(), c.args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  c.out.flush();
  c.err.flush();
  std::cout.flush();
  std::cerr.flush();
  ::execv(program.c_str(), argv.data());
  return Fail(c, "cannot run " + program + ": " + std::strerror(errno));
}

}  // namespace zvonar
