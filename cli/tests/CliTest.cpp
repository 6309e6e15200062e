#include "cli/Cli.h"

#include <gtest/gtest.h>

#include "base/tests/TestSupport.h"
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

}  // namespace
}  // namespace zvonar
