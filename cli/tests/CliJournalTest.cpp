// The import journal from the command line: a bill imported twice, --again,
// undo-import after import and load-tsv, a bill whose records have gone, a
// journal that is no journal, and a bill saved as UTF-8.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>

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

// A large load keeps its hashes in the history folder, and they count
// toward its bounds: past HistoryChanges the load is listed as one that
// cannot be undone, and undo stops before it.
TEST_F(CliJournalTest, ALargeLoadPastTheBoundsIsListedAndRefused) {
  std::string tsv;
  for (int id = 0; id < 300; ++id)
    tsv += "9161112233\t2008.03.05 1" + std::to_string(id / 60) + ":" + std::to_string(10 + id % 50) + ":00\t" +
           std::to_string(4950000 + id) + "\t\t1\t\t60\t1\t1.00\t\t1.00\t\n";
  testing::WriteOrDie(dir_.File("big.tsv"), tsv);
  testing::WriteOrDie(dir_.File("settings.ini"), "[Settings]\r\nHistoryChanges=1\r\n");
  ASSERT_EQ(kExitOk, Cli({"load-tsv", dir_.File("big.tsv")}).code);
  EXPECT_NE(std::string::npos, Cli({"history"}).out.find("\t300 records\tcan be undone\n"));
  testing::WriteOrDie(dir_.File("codetype.dat"), "1=Outgoing\r\n");
  EXPECT_EQ("300 records changed\n", Cli({"fill-codes"}).out);

  const std::string history = Cli({"history"}).out;
  EXPECT_NE(std::string::npos, history.find("\tFill Codes / Types\t300 records\tcan be undone\n")) << history;
  EXPECT_NE(std::string::npos,
            history.find("\tImport " + dir_.File("big.tsv") +
                         "\t300 records\tcannot be undone: its record hashes were dropped\n"))
      << history;
  EXPECT_NE(std::string::npos, Cli({"undo"}).out.find(": 300 records put back\n"));
  const CliRun refused = Cli({"undo"});
  EXPECT_EQ(kExitFailure, refused.code);
  EXPECT_NE(std::string::npos, refused.err.find("can no longer be undone: its record hashes were dropped"))
      << refused.err;
  EXPECT_EQ(300, Records());
}

// Import, fill the codes, fill the names: three undos leave the table and
// its index as they were before the import, byte for byte. The fill is
// taken back before the import, so every record of the import goes.
TEST_F(CliJournalTest, UndoTakesBackFillsThenTheImportByteForByte) {
  const std::string first = WriteBill("first.txt", "01");
  ASSERT_EQ(kExitOk, Cli({"import", first}).code);
  const std::string dbf = testing::ReadOrEmpty(dir_.File("Tellura.dbf"));
  const std::string mdx = testing::ReadOrEmpty(dir_.File("Tellura.MDX"));
  ASSERT_FALSE(mdx.empty());
  const std::string march = WriteBill("march.txt", "02");
  ASSERT_EQ(kExitOk, Cli({"import", march}).code);
  testing::WriteOrDie(dir_.File("codetype.dat"), "1=Outgoing\r\n");
  EXPECT_EQ("4 records changed\n", Cli({"fill-codes"}).out);  // both bills' records
  testing::WriteOrDie(dir_.File("abonents.dat"), "[Abonents]\r\n4951234567=Office\r\n");
  EXPECT_EQ("2 records changed\n", Cli({"fill-names"}).out);

  const std::string history = Cli({"history"}).out;
  EXPECT_EQ(0u, history.find(history.substr(0, 19) + "\tFill Number Abonent\t2 records\tcan be undone\n"))
      << history;
  EXPECT_NE(std::string::npos, history.find("\tFill Codes / Types\t4 records\tcan be undone\n")) << history;
  EXPECT_NE(std::string::npos, history.find("\tImport " + march + "\t2 records\tcan be undone\n")) << history;

  // undo-import keeps its promise: only an import.
  const CliRun refused = Cli({"undo-import"});
  EXPECT_EQ(kExitFailure, refused.code);
  EXPECT_NE(std::string::npos, refused.err.find("the newest change is Fill Number Abonent of ")) << refused.err;

  CliRun undo = Cli({"undo"});
  EXPECT_EQ(kExitOk, undo.code) << undo.err;
  EXPECT_NE(std::string::npos, undo.out.find("Fill Number Abonent of ")) << undo.out;
  EXPECT_NE(std::string::npos, undo.out.find(": 2 records put back\n")) << undo.out;
  undo = Cli({"undo"});
  EXPECT_NE(std::string::npos, undo.out.find("Fill Codes / Types of ")) << undo.out;
  undo = Cli({"undo-import"});
  EXPECT_EQ(march + ": 2 records removed\n", undo.out);
  EXPECT_TRUE(testing::ReadOrEmpty(dir_.File("Tellura.dbf")) == dbf);
  EXPECT_TRUE(testing::ReadOrEmpty(dir_.File("Tellura.MDX")) == mdx);
  const std::string left = Cli({"history"}).out;
  EXPECT_EQ(1, std::count(left.begin(), left.end(), '\n')) << left;
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

TEST_F(CliJournalTest, ABillWhoseRecordsHaveGoneImportsAgainWithANote) {
  const std::string march = WriteBill("march.txt", "01");
  ASSERT_EQ(kExitOk, Cli({"import", march}).code);
  std::vector<ImportEntry> entries;
  ASSERT_TRUE(ReadImportJournal(dir_.path(), &entries).ok());
  ASSERT_EQ(1u, entries.size());
  // The table emptied another way: a new one in its place.
  std::filesystem::remove(dir_.File("Tellura.dbf"));
  std::filesystem::remove(dir_.File("Tellura.MDX"));
  ASSERT_EQ(0, Records());
  const CliRun again = Cli({"import", march});
  EXPECT_EQ(kExitOk, again.code) << again.err;
  EXPECT_EQ(march + ": 2 records added\n", again.out);
  EXPECT_NE(std::string::npos,
            again.err.find(march + ": imported on " + entries[0].when +
                           ", but its records are no longer in the table: imported again"))
      << again.err;
  EXPECT_EQ(2, Records());
  // The stale entry made room for the new one; its records back, the bill
  // counts as imported.
  ASSERT_TRUE(ReadImportJournal(dir_.path(), &entries).ok());
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ(march + ": already imported on " + entries[0].when + ", skipped\n", Cli({"import", march}).out);
}

TEST_F(CliJournalTest, AJournalThatIsNoJournalIsRefusedAtOnce) {
  const std::string march = WriteBill("march.txt", "01");
  ASSERT_EQ(kExitOk, Cli({"import", march}).code);
  const std::string journal = dir_.File(kImportJournalName);
  const std::string good = testing::ReadOrEmpty(journal);
  testing::WriteOrDie(dir_.File("more.tsv"), "9161112233\t2008.03.05 10:00:00\t495\t\t\t\t\t\t\t\t\t\n");
  const std::string table = testing::ReadOrEmpty(dir_.File("Tellura.dbf"));
  struct Case {
    const char* what;
    std::function<void()> make;
    std::string why;
  };
  const Case cases[] = {
      {"a FIFO", [&] { ASSERT_EQ(0, ::mkfifo(journal.c_str(), 0644)); }, "is a FIFO, not a regular file"},
      {"sparse, 1 GiB",
       [&] {
         const int fd = ::open(journal.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
         ASSERT_GE(fd, 0);
         ASSERT_EQ(0, ::ftruncate(fd, off_t{1} << 30));
         ::close(fd);
       },
       "imports.dat:1: not an entry of the import journal"},
      {"100 MB of text",
       [&] {
         std::string text;
         while (text.size() < 100u << 20) text += "the quick brown fox jumps over the lazy dog\tand more\r\n";
         testing::WriteOrDie(journal, text);
       },
       "imports.dat:1: not an entry of the import journal"},
      {"good lines, then a damaged one",
       [&] { testing::WriteOrDie(journal, good + good + "2008.03.01 12:00:00\tzz\t1\r\n" + good); },
       "imports.dat:3: not an entry of the import journal"},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    std::filesystem::remove(journal);
    t.make();
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"import", "--again", march}, std::vector<std::string>{"undo-import"},
          std::vector<std::string>{"load-tsv", dir_.File("more.tsv")}}) {
      const auto start = std::chrono::steady_clock::now();
      const CliRun run = Cli(command);
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << command[0];
      EXPECT_EQ(kExitFailure, run.code) << command[0];
      EXPECT_NE(std::string::npos, run.err.find(t.why)) << command[0] << ": " << run.err;
      EXPECT_EQ(table, testing::ReadOrEmpty(dir_.File("Tellura.dbf"))) << command[0];
    }
  }
  std::filesystem::remove(journal);
}

TEST_F(CliJournalTest, UndoOfAnImportWhoseRecordsAreGoneRemovesOnlyItsEntry) {
  const std::string march = WriteBill("march.txt", "01");
  const std::string april = WriteBill("april.txt", "02");
  ASSERT_EQ(kExitOk, Cli({"import", march}).code);
  ASSERT_EQ(kExitOk, Cli({"import", april}).code);
  // april's entry back after its records were taken back another way.
  std::vector<ImportEntry> entries;
  ASSERT_TRUE(ReadImportJournal(dir_.path(), &entries).ok());
  ASSERT_EQ(2u, entries.size());
  std::string journal = testing::ReadOrEmpty(dir_.File(kImportJournalName));
  const std::string orphan = journal.substr(journal.find("\r\n") + 2);
  ASSERT_EQ(kExitOk, Cli({"undo-import"}).code);
  testing::WriteOrDie(dir_.File(kImportJournalName), testing::ReadOrEmpty(dir_.File(kImportJournalName)) + orphan);
  EXPECT_EQ(2, Records());

  const CliRun undo = Cli({"undo-import"});
  EXPECT_EQ(kExitOk, undo.code);
  EXPECT_EQ(april + ": 0 records removed\n", undo.out);
  EXPECT_NE(std::string::npos, undo.err.find("only its journal entry was removed")) << undo.err;
  EXPECT_EQ(2, Records());  // march's records stay
  EXPECT_EQ(march + ": 2 records removed\n", Cli({"undo-import"}).out);
}

}  // namespace
}  // namespace zvonar
