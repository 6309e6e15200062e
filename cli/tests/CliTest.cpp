#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/tests/TestSupport.h"
#include "cli/CliHelp.h"
#include "cli/tests/CliTestSupport.h"

namespace zvonar {
namespace {

using testing::CliRun;
using testing::RunArgs;

TEST(RunCli, UsageErrorsExitWithTwo) {
  EXPECT_EQ(kExitUsage, RunArgs({}).code);
  EXPECT_EQ(kExitUsage, RunArgs({"--dir"}).code);
  EXPECT_EQ(kExitUsage, RunArgs({"--dir", "", "datadir"}).code);  // never the default directory
  const CliRun unknown = RunArgs({"frobnicate"});
  EXPECT_EQ(kExitUsage, unknown.code);
  EXPECT_NE(std::string::npos, unknown.err.find("frobnicate"));
  EXPECT_EQ(kExitOk, RunArgs({"--help"}).code);
}

TEST(RunCli, DirOptionNamesTheDataDirectory) {
  testing::TempDir dir;
  const std::string sub = dir.path() + "data";
  const CliRun run = RunArgs({"--dir", sub, "datadir"});
  EXPECT_EQ(kExitOk, run.code) << run.err;
  EXPECT_EQ(sub + "/\n", run.out);
}

TEST(RunCli, VersionNeedsNoDataDirectory) {
  const CliRun run = RunArgs({"--dir", "/proc/no-such-dir", "--version"});
  EXPECT_EQ(kExitOk, run.code);
  EXPECT_EQ("Zvonar " ZVONAR_VERSION "\n", run.out);
}

// The tags of a help section: "  --from YYYY.MM.DD    text" gives
// "--from YYYY.MM.DD".
std::vector<std::string> SectionTags(const std::string& help, const std::string& heading) {
  std::vector<std::string> tags;
  std::istringstream in(help.substr(help.find("\n" + heading) + 1));
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line) && !line.empty()) {
    if (line.rfind("  -", 0) == 0) tags.push_back(line.substr(2, line.find("  ", 2) - 2));
  }
  return tags;
}

TEST(RunCliHelp, ListsEveryCommandWithoutTheDataDirectory) {
  const CliRun run = RunArgs({"--dir", "/proc/no-such-dir", "help"});
  EXPECT_EQ(kExitOk, run.code) << run.err;
  for (std::string_view name : HelpCommandNames())
    EXPECT_NE(std::string::npos, run.out.find("\n  " + std::string(name) + " ")) << name;
}

TEST(RunCliHelp, EveryListedCommandRunsAndShowsItsUsage) {
  testing::TempDir dir;
  for (std::string_view name : HelpCommandNames()) {
    const CliRun help = RunArgs({"help", std::string(name)});
    EXPECT_EQ(kExitOk, help.code) << name;
    EXPECT_EQ(0u, help.out.find("Usage: zvonar-cli [--dir DIR] " + std::string(name))) << help.out;
    if (name == "help") continue;
    // Known to the dispatcher: a stray option is the command's usage error.
    const CliRun run = RunArgs({"--dir", dir.path(), std::string(name), "--no-such-option"});
    EXPECT_EQ(std::string::npos, run.err.find("unknown command")) << name;
  }
}

TEST(RunCliHelp, ShowsEachCommandsOptions) {
  struct Case {
    std::string command;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {"dump", {"--index Owner", "--index DateTime"}},
      {"counts", {"counts [CRITERIA | --table]", "--table ", "--owner TEXT"}},
      {"filter", {"--owner TEXT", "--from YYYY.MM.DD", "--to YYYY.MM.DD", "--exclude", "--no-null"}},
      {"stat", {"--calls", "--sms", "--mms"}},
      {"import", {"import [--again] [--keep-duplicates] FILE...", "--again ", "--keep-duplicates "}},
      {"undo-import", {"undo-import"}},
      {"load-tsv", {"load-tsv FILE"}},
  };
  for (const Case& t : cases) {
    const std::string out = RunArgs({"help", t.command}).out;
    for (const std::string& want : t.want) EXPECT_NE(std::string::npos, out.find(want)) << t.command << ": " << want;
  }
  EXPECT_EQ(std::string::npos, RunArgs({"help", "dump"}).out.find("--owner"));
}

TEST(RunCliHelp, EveryCriterionShownIsOneTheFilterTakes) {
  testing::TempDir dir;
  const std::vector<std::string> tags = SectionTags(RunArgs({"help", "filter"}).out, "Criteria");
  ASSERT_EQ(12u, tags.size());
  for (const std::string& tag : tags) {
    std::vector<std::string> args = {"--dir", dir.path(), "filter"};
    if (tag.rfind("--to ", 0) == 0) args.insert(args.end(), {"--from", "2009.06.01"});
    const std::size_t blank = tag.find(' ');
    args.push_back(tag.substr(0, blank));
    if (blank != std::string::npos) args.push_back(tag.find("YYYY") != std::string::npos ? "2009.06.30" : "7");
    EXPECT_NE(kExitUsage, RunArgs(args).code) << tag;
  }
}

TEST(RunCliHelp, UnknownOrTooManyNamesAreUsageErrors) {
  const CliRun unknown = RunArgs({"help", "frobnicate"});
  EXPECT_EQ(kExitUsage, unknown.code);
  EXPECT_NE(std::string::npos, unknown.err.find("frobnicate"));
  EXPECT_EQ(kExitUsage, RunArgs({"help", "dump", "filter"}).code);
}

TEST(RunCliHelp, UsageErrorShowsTheCommandsSynopsis) {
  testing::TempDir dir;
  const CliRun run = RunArgs({"--dir", dir.path(), "counts", "--table", "--owner"});
  EXPECT_EQ(kExitUsage, run.code);
  EXPECT_NE(std::string::npos, run.err.find("usage: zvonar-cli [--dir DIR] counts [CRITERIA | --table]\n"));
  EXPECT_NE(std::string::npos, run.err.find("zvonar-cli help counts"));
}

// The manual page is made from the full help, so it must hold every
// command's usage and fit the usual 79 columns.
TEST(RunCliHelp, FullHelpHoldsEveryCommandInNarrowLines) {
  const CliRun run = RunArgs({"--help"});
  EXPECT_EQ(kExitOk, run.code);
  for (std::string_view name : HelpCommandNames()) {
    const std::string usage = RunArgs({"help", std::string(name)}).out;
    const std::string synopsis = usage.substr(7, usage.find('\n') - 7);  // after "Usage: "
    EXPECT_NE(std::string::npos, run.out.find("\n  " + synopsis + "\n")) << synopsis;
  }
  for (const char* section : {"\nCriteria", "\nExit status:", "\nFiles:"})
    EXPECT_NE(std::string::npos, run.out.find(section)) << section;
  std::istringstream lines(run.out);
  std::string line;
  while (std::getline(lines, line)) EXPECT_LE(line.size(), 79u) << line;
}

}  // namespace
}  // namespace zvonar
