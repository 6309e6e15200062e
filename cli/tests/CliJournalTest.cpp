// The import journal from the command line: a bill imported twice, --again,
// undo-import after import and load-tsv, and a bill saved as UTF-8.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/tests/TestSupport.h"
#include "cli/tests/CliTestSupport.h"
#include "import/tests/BillTestSupport.h"
#include "store/ImportJournal.h"

namespace zvonar {
namespace {

using testing::Bill;
using testing::CliRun;

class CliJournalTest : public ::testing::Test {
 protected:
  CliRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", dir_.path()});
    return testing::RunArgs(args);
  }
  std::string WriteBill(const std::string& name, const std::string& day) {
    testing::WriteOrDie(dir_.File(name), Bill({"Ведомость разговоров +7/9161112233",
                                               day + ".03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50",
                                               day + ".03.2008 14:00:00 4957654321 М 1 30 1.00 1.50 0.00 1.50"}));
    return dir_.File(name);
  }
  long Records() {
    const CliRun dump = Cli({"dump"});
    return std::count(dump.out.begin(), dump.out.end(), '\n');
  }
  testing::TempDir dir_;
};

TEST_F(CliJournalTest, ABillImportedBeforeIsSkippedUnlessAgain) {
  const std::string march = WriteBill("march.txt", "01");
  ASSERT_EQ(kExitOk, Cli({"import", march}).code);
  std::vector<ImportEntry> entries;
  ASSERT_TRUE(ReadImportJournal(dir_.path(), &entries).ok());
  ASSERT_EQ(1u, entries.size());

  const CliRun twice = Cli({"import", march});
  EXPECT_EQ(kExitOk, twice.code);
  EXPECT_EQ(march + ": already imported on " + entries[0].when + ", skipped\n", twice.out);
  EXPECT_EQ(2, Records());

  const CliRun again = Cli({"import", "--again", march});
  EXPECT_EQ(kExitOk, again.code);
  EXPECT_EQ(march + ": 2 records added\n", again.out);
  EXPECT_EQ(4, Records());
}

TEST_F(CliJournalTest, UndoImportTakesBackTheLastImportsOneByOne) {
  const std::string march = WriteBill("march.txt", "01");
  const std::string april = WriteBill("april.txt", "02");
  ASSERT_EQ(kExitOk, Cli({"import", march, april}).code);
  testing::WriteOrDie(dir_.File("more.tsv"), "9161112233\t2008.03.05 10:00:00\t495\t\t\t\t\t\t\t\t\t\n");
  ASSERT_EQ(kExitOk, Cli({"load-tsv", dir_.File("more.tsv")}).code);
  EXPECT_EQ(5, Records());

  CliRun undo = Cli({"undo-import"});
  EXPECT_EQ(kExitOk, undo.code);
  EXPECT_EQ(dir_.File("more.tsv") + ": 1 records removed\n", undo.out);
  EXPECT_EQ(4, Records());
  undo = Cli({"undo-import"});
  EXPECT_EQ(april + ": 2 records removed\n", undo.out);
  EXPECT_EQ(2, Records());
  // Taken back, the bill imports without a question.
  EXPECT_EQ(april + ": 2 records added\n", Cli({"import", april}).out);
  EXPECT_EQ(april + ": 2 records removed\n", Cli({"undo-import"}).out);
  EXPECT_EQ(march + ": 2 records removed\n", Cli({"undo-import"}).out);
  EXPECT_EQ(0, Records());

  undo = Cli({"undo-import"});
  EXPECT_EQ(kExitFailure, undo.code);
  EXPECT_EQ("zvonar-cli: no import to undo\n", undo.err);
  EXPECT_EQ(kExitUsage, Cli({"undo-import", "extra"}).code);
}

TEST_F(CliJournalTest, ABillSavedAsUtf8ImportsAndCountsWhatCodePage1251Lacks) {
  testing::WriteOrDie(dir_.File("saved.txt"),
                      "Ведомость разговоров +7/9161112233 (北)\r\n"
                      "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50\r\n");
  const CliRun run = Cli({"import", dir_.File("saved.txt")});
  EXPECT_EQ(kExitOk, run.code);
  EXPECT_EQ(dir_.File("saved.txt") + ": 1 records added\n", run.out);
  EXPECT_EQ("zvonar-cli: " + dir_.File("saved.txt") +
                ": 1 characters of the UTF-8 text have no place in code page 1251 and were read as \"?\"\n",
            run.err);
  const CliRun dump = Cli({"dump"});
  EXPECT_EQ(0u, dump.out.find("9161112233\t2008.03.01 12:30:05\t4951234567\t")) << dump.out;
  EXPECT_NE(std::string::npos, dump.out.find("\tМ\t")) << dump.out;
}

}  // namespace
}  // namespace zvonar
