// Command-line parsing and dispatch of zvonar-cli. Global options come before
// the command; each command finds the data directory the same way the window
// program does unless --dir names one.
#include "cli/Cli.h"

#include <functional>
#include <map>

#include "base/DataDir.h"
#include "cli/CliCommand.h"

namespace zvonar {
namespace {

using CommandFn = std::function<int(CliContext&)>;

struct CommandInfo {
  const char* usage;
  CommandFn run;
};

const std::map<std::string, CommandInfo>& Commands() {
  static const std::map<std::string, CommandInfo> commands = {
      {"datadir",
       {"datadir                 print the data directory",
        [](CliContext& c) {
          if (!c.args.empty()) return kExitUsage;
          c.out << c.dataDir << '\n';
          return kExitOk;
        }}},
      {"dump", {"dump [--index Owner|DateTime]   print every record, one per line, cells separated by TAB", RunDump}},
      {"import",
       {"import FILE...          add operator bills (text or HTML), each month summary beside its bill", RunImport}},
      {"load-tsv",
       {"load-tsv FILE|-         append the records of FILE or standard input (the form dump prints)", RunLoadTsv}},
      {"filter", {"filter [CRITERIA]       print the records the filter finds, as dump prints them", RunFilterCommand}},
      {"stat", {"stat [CRITERIA]         print the filter statistic: Type, Sec, Min, Cost", RunStat}},
      {"counts", {"counts [CRITERIA] | counts --table   print the activity counts row", RunCounts}},
      {"reindex", {"reindex                 rebuild the index file Tellura.MDX from the records", RunReindex}},
  };
  return commands;
}

void PrintUsage(std::ostream& os) {
  os << "usage: zvonar-cli [--dir DIR] COMMAND [ARGS]\n\ncommands:\n";
  for (const auto& [name, info] : Commands()) os << "  " << info.usage << '\n';
  os << "\nCRITERIA: --owner TEXT  --from YYYY.MM.DD [--to YYYY.MM.DD]  --oper CODE  --number TEXT\n"
        "          --code TEXT  --type TEXT  --calls  --sms  --mms  --no-null  --exclude\n";
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
      PrintUsage(out);
      return kExitOk;
    } else {
      break;
    }
  }
  if (i >= args.size()) {
    PrintUsage(err);
    return kExitUsage;
  }
  const auto found = Commands().find(args[i]);
  if (found == Commands().end()) {
    err << "zvonar-cli: unknown command \"" << args[i] << "\"\n";
    PrintUsage(err);
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
  const int code = found->second.run(context);
  if (code == kExitUsage) err << "usage: zvonar-cli [--dir DIR] " << found->second.usage << '\n';
  return code;
}

}  // namespace zvonar
