// Command-line parsing and dispatch of zvonar-cli. Global options come before
// the command; each command finds the data directory the same way the window
// program does unless --dir names one.
#include "cli/Cli.h"

#include <functional>
#include <map>

#include "base/DataDir.h"
#include "base/Version.h"
#include "cli/CliCommand.h"
#include "cli/CliHelp.h"

namespace zvonar {
namespace {

using CommandFn = std::function<int(CliContext&)>;

const std::map<std::string, CommandFn>& Commands() {
  static const std::map<std::string, CommandFn> commands = {
      {"datadir",
       [](CliContext& c) {
         if (!c.args.empty()) return kExitUsage;
         c.out << c.dataDir << '\n';
         return kExitOk;
       }},
      {"dump", RunDump},
      {"import", RunImport},
      {"undo-import", RunUndoImport},
      {"undo", RunUndo},
      {"history", RunHistory},
      {"load-tsv", RunLoadTsv},
      {"filter", RunFilterCommand},
      {"stat", RunStat},
      {"counts", RunCounts},
      {"duplicates", RunDuplicates},
      {"summary", RunSummary},
      {"reindex", RunReindex},
      {"fill-names", RunFillNames},
      {"fill-codes", RunFillCodes},
      {"return-codes", RunReturnCodes},
      {"change-code", RunChangeCode},
      {"book", RunBook},
      {"add-nonames", RunAddNoNames},
      {"save-list", RunSaveList},
      {"load-list", RunLoadList},
      {"load-old-base", RunLoadOldBase},
      {"export-csv", RunExportCsv},
      {"export-xlsx", RunExportXlsx},
      {"report", RunReport},
  };
  return commands;
}

// "help" lists the commands, "help COMMAND" shows one; neither needs the
// data directory.
int RunHelp(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    PrintOverview(out);
    return kExitOk;
  }
  if (args.size() == 1 && PrintCommandHelp(args[0], out)) return kExitOk;
  if (args.size() == 1) err << "zvonar-cli: unknown command \"" << args[0] << "\"\n";
  PrintCommandUsage("help", err);
  return kExitUsage;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string dir;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    if (args[i] == "--dir") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        err << "zvonar-cli: --dir needs a directory\n";
        return kExitUsage;
      }
      dir = args[++i];
    } else if (args[i] == "--help" || args[i] == "-h") {
      PrintFullHelp(out);
      return kExitOk;
    } else if (args[i] == "--version") {
      out << VersionLine() << '\n';
      return kExitOk;
    } else {
      break;
    }
  }
  if (i >= args.size()) {
    PrintOverview(err);
    return kExitUsage;
  }
  if (args[i] == "help")
    return RunHelp(std::vector<std::string>(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end()), out, err);
  const auto found = Commands().find(args[i]);
  if (found == Commands().end()) {
    err << "zvonar-cli: unknown command \"" << args[i] << "\"\n";
    PrintOverview(err);
    return kExitUsage;
  }
  Status s = dir.empty() ? FindDataDir(&dir) : MakeDirectories(dir);
  if (!s.ok()) {
    err << "zvonar-cli: " << s.message() << '\n';
    return kExitFailure;
  }
  if (dir.back() != '/') dir.push_back('/');
  CliContext context{dir, std::vector<std::string>(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end()),
                     out, err};
  const int code = found->second(context);
  if (code == kExitUsage) PrintCommandUsage(found->first, err);
  return code;
}

}  // namespace zvonar
