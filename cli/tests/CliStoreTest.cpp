#include <gtest/gtest.h>

#include <filesystem>

#include "base/tests/TestSupport.h"
#include "cli/tests/CliTestSupport.h"
#include "store/DetalTable.h"

namespace zvonar {
namespace {

using testing::CliRun;

class CliStoreTest : public ::testing::Test {
 protected:
  CliRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", dir_.path()});
    return testing::RunArgs(args);
  }
  std::string Load(const std::string& content) {
    const std::string path = dir_.File("in.tsv");
    testing::WriteOrDie(path, content);
    return path;
  }

  testing::TempDir dir_;
};

// Twelve cells: Owner, DateTime, Number, Abonent, Code, Type, Sec, Min, Cost, MTP, All, Roaming.
const std::string kFirst =
    "79161234567\t2024.03.15 14:30:05\t79031112233\tИван Петров\tc\\t1\tout\t61\t2\t1.50\t\t1.50\t";
const std::string kSecond = "79160000000\t2024.03.01\t0611\ta\\\\b \\n c\t\t\t\t\t0.00\t\t0.00\tМТС Беларусь";

TEST_F(CliStoreTest, DumpAndLoadTsvRoundTrip) {
  const CliRun load = Run({"load-tsv", Load(kFirst + "\r\n" + kSecond)});  // CR LF, then no final line end
  ASSERT_EQ(kExitOk, load.code) << load.err;
  const CliRun dump = Run({"dump"});
  ASSERT_EQ(kExitOk, dump.code) << dump.err;
  EXPECT_EQ(kFirst + "\n" + kSecond + "\n", dump.out);
  EXPECT_EQ(kSecond + "\n" + kFirst + "\n", Run({"dump", "--index", "Owner"}).out);
  EXPECT_EQ(kSecond + "\n" + kFirst + "\n", Run({"dump", "--index", "DateTime"}).out);

  ASSERT_EQ(kExitOk, Run({"load-tsv", Load(dump.out)}).code);  // the dump loads back as it is
  EXPECT_EQ(dump.out + dump.out, Run({"dump"}).out);
}

TEST_F(CliStoreTest, LoadTsvChecksTheWholeFileBeforeAppendingAnything) {
  struct Case {
    std::string line2;
    std::string want;
  };
  const std::string date = "\t2024.03.15\t";
  const Case cases[] = {
      {"a\tb", ":2: 2 cells, expected 12"},
      {kFirst + "\textra", ":2: 13 cells, expected 12"},
      {"own\t2024.02.30\t\t\t\t\t\t\t\t\t\t", ":2: DateTime \"2024.02.30\" is not a date-time"},
      {"own\t\t\t\t\t\t\t\t\t\t\t", ":2: DateTime \"\" is not a date-time"},
      {"own" + date + "中\t\t\t\t\t\t\t\t\t", ":2: Number: "},
      {"own" + date + "\\x\t\t\t\t\t\t\t\t\t", ":2: Number: unknown escape \\x"},
  };
  for (const Case& c : cases) {
    const std::string path = Load(kFirst + "\n" + c.line2 + "\n" + kSecond + "\n");
    const CliRun run = Run({"load-tsv", path});
    EXPECT_EQ(kExitFailure, run.code) << c.line2;
    EXPECT_NE(std::string::npos, run.err.find(path + c.want)) << run.err;
    EXPECT_EQ("", Run({"dump"}).out) << c.line2;
  }
}

TEST_F(CliStoreTest, LongTextIsCutToItsField) {
  ASSERT_EQ(kExitOk, Run({"load-tsv", Load("123456789012345\t2024.01.02 03:04:05\t\t\t\t\t\t\t\t\t\t\n")}).code);
  EXPECT_EQ("123456789012\t2024.01.02 03:04:05\t\t\t\t\t\t\t\t\t\t\n", Run({"dump"}).out);
}

TEST_F(CliStoreTest, UsageErrorsExitWithTwo) {
  EXPECT_EQ(kExitUsage, Run({"dump", "--index", "Number"}).code);
  EXPECT_EQ(kExitUsage, Run({"dump", "extra"}).code);
  EXPECT_EQ(kExitUsage, Run({"load-tsv"}).code);
  EXPECT_EQ(kExitUsage, Run({"reindex", "now"}).code);
  EXPECT_EQ(kExitFailure, Run({"load-tsv", dir_.File("missing.tsv")}).code);
}

TEST_F(CliStoreTest, ReindexRegainsAMissingIndex) {
  ASSERT_EQ(kExitOk, Run({"load-tsv", Load(kFirst + "\n" + kSecond + "\n")}).code);
  std::filesystem::remove(dir_.File("Tellura.MDX"));
  const CliRun plain = Run({"dump"});
  EXPECT_EQ(kExitOk, plain.code);
  EXPECT_NE(std::string::npos, plain.err.find(kIndexNotExistText));
  const CliRun ordered = Run({"dump", "--index", "Owner"});
  EXPECT_EQ(kExitFailure, ordered.code);
  EXPECT_NE(std::string::npos, ordered.err.find(kIndexNotExistText));

  ASSERT_EQ(kExitOk, Run({"reindex"}).code);
  const CliRun after = Run({"dump", "--index", "Owner"});
  EXPECT_EQ(kExitOk, after.code);
  EXPECT_EQ("", after.err);
  EXPECT_EQ(kSecond + "\n" + kFirst + "\n", after.out);
}

TEST_F(CliStoreTest, TableInUseIsAClearFailure) {
  ASSERT_EQ(kExitOk, Run({"dump"}).code);  // creates the table
  Table table;
  ASSERT_TRUE(table.Open(DetalTablePath(dir_.path(), "dbf")).ok());
  const CliRun run = Run({"load-tsv", Load(kFirst + "\n")});
  EXPECT_EQ(kExitFailure, run.code);
  EXPECT_NE(std::string::npos, run.err.find("in use")) << run.err;
  ASSERT_TRUE(table.Close().ok());
  EXPECT_EQ(kExitOk, Run({"load-tsv", Load(kFirst + "\n")}).code);
}

}  // namespace
}  // namespace zvonar
