#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/tests/TestSupport.h"

namespace zvonar {
namespace {

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

CliRun RunArgs(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = RunCli(args, out, err);
  return {code, out.str(), err.str()};
}

TEST(RunCli, UsageErrorsExitWithTwo) {
  EXPECT_EQ(kExitUsage, RunArgs({}).code);
  EXPECT_EQ(kExitUsage, RunArgs({"--dir"}).code);
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

}  // namespace
}  // namespace zvonar
