#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/TextFile.h"
#include "base/tests/TestSupport.h"
#include "cli/tests/CliTestSupport.h"
#include "import/tests/BillTestSupport.h"
#include "store/DetalTable.h"

namespace zvonar {
namespace {

using testing::Bill;
using testing::CliRun;

TEST(CliImport, ReportsEachBillAndExitsWithOneAfterAStop) {
  testing::TempDir dir;
  const std::string good = dir.File("good.txt");
  const std::string bad = dir.File("bad.txt");
  testing::WriteOrDie(
      good, Bill({"Счет клиента : 1234567", "Клиент : Петров", "СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА", "БАЛАНС НА 31.03.2008",
                  "Ведомость разговоров +7/9161112233", "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50",
                  "07.03.2008 12:00 4951234567 М 1", "Ведомость разговоров +7/9035556677",
                  "02.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50"}));
  testing::WriteOrDie(
      bad, Bill({"Ведомость разговоров +7/9161112233", "03.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50",
                 "31.02.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50",
                 "04.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50"}));
  testing::WriteOrDie(dir.File("Tellura.dat"), "9160000000\r\n9161112233\r\n");

  const CliRun run = testing::RunArgs({"--dir", dir.path(), "import", good, bad});
  EXPECT_EQ(kExitFailure, run.code);
  EXPECT_EQ(good + ": 2 records added\n" + bad + ": 1 records added\n", run.out);
  EXPECT_EQ("Data not Corrected, so not Stored: 2008.03.07 12:00 4951234567\n" + bad +
                ": stopped at line 3: 31.02.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50\n",
            run.err);
  std::vector<std::string> owners;
  ASSERT_TRUE(ReadTextLines(dir.File("Tellura.dat"), &owners).ok());
  EXPECT_EQ((std::vector<std::string>{"9160000000", "9161112233", "9035556677"}), owners);
  EXPECT_TRUE(FileExists(dir.File("1234567-[2008.Mart].sum")));

  const CliRun dump = testing::RunArgs({"--dir", dir.path(), "dump"});
  EXPECT_EQ(3, std::count(dump.out.begin(), dump.out.end(), '\n'));
  EXPECT_EQ(kExitOk, testing::RunArgs({"--dir", dir.path(), "import", good}).code);
  EXPECT_EQ(kExitUsage, testing::RunArgs({"--dir", dir.path(), "import"}).code);
}

TEST(CliImport, FoldersWithAnyNameKeepBillTableAndSummaryTogether) {
  // Cyrillic letters and a space, then letters code page 1251 lacks; the
  // data directory is the same folder, and the summary carries the Russian
  // month name.
  for (const std::string folder : {"Счета 2008", "Счета Ω 日本"}) {
    testing::TempDir top;
    const std::string dir = top.File(folder) + "/";
    ASSERT_TRUE(std::filesystem::create_directory(dir));
    testing::WriteOrDie(dir + "settings.ini", "[Settings]\r\nLanguage=russian\r\n");
    const std::string bill = dir + "март.txt";
    testing::WriteOrDie(bill, Bill({"Счет клиента : 1234567", "Клиент : Петров", "СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА",
                                    "БАЛАНС НА 31.03.2008", "Ведомость разговоров +7/9161112233",
                                    "01.03.2008 12:30:05 4951234567 M 1 60 1.00 2.50 0.00 2.50"}));
    const CliRun run = testing::RunArgs({"--dir", dir, "import", bill});
    EXPECT_EQ(kExitOk, run.code) << run.err;
    EXPECT_EQ(bill + ": 1 records added\n", run.out);
    EXPECT_TRUE(FileExists(dir + "1234567-[2008.Март].sum")) << folder;
    EXPECT_TRUE(FileExists(dir + "Tellura.dbf")) << folder;
    const CliRun dump = testing::RunArgs({"--dir", dir, "dump"});
    EXPECT_EQ(1, std::count(dump.out.begin(), dump.out.end(), '\n')) << dump.err;
  }
}

TEST(CliImport, NumberThatDoesNotFitIsNotStoredAndABusyTableChangesNothing) {
  testing::TempDir dir;
  const std::string bill = dir.File("bill.txt");
  testing::WriteOrDie(bill, Bill({"Счет клиента : 1234567", "СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА", "БАЛАНС НА 31.03.2008",
                                  "Ведомость разговоров +7/9161112233",
                                  "01.03.2008 12:30:05 4951234567 М 1 123456789 1.00 2.50 0.00 2.50",
                                  "02.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50"}));
  Table reader;  // another program reading: the import waits, then gives up
  std::string warning;
  ASSERT_TRUE(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &reader, &warning, TableAccess::Read).ok());
  const CliRun busy = testing::RunArgs({"--dir", dir.path(), "import", bill, bill});
  EXPECT_EQ(kExitFailure, busy.code);
  EXPECT_EQ("zvonar-cli: " + bill + ": " + kTableInUseText + "\n", busy.err);
  EXPECT_FALSE(FileExists(dir.File("1234567-[2008.Mart].sum")));
  ASSERT_TRUE(reader.Close().ok());

  const CliRun run = testing::RunArgs({"--dir", dir.path(), "import", bill});
  EXPECT_EQ(kExitOk, run.code);
  EXPECT_EQ(bill + ": 1 records added\n", run.out);
  EXPECT_EQ(
      "Data not Corrected, so not Stored: 2008.03.01 12:30:05 4951234567 Sec \"123456789\" does not fit the "
      "field (7 characters)\n",
      run.err);
}

TEST(CliImport, CutCellsAreNamedByLineAndField) {
  testing::TempDir dir;
  const std::string bill = dir.File("bill.txt");
  testing::WriteOrDie(
      bill, Bill({"Ведомость разговоров +7/9161112233", "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50",
                  "02.03.2008 12:30:05 4957654321 М 1 60 1.00 2.50 0.00 2.50"}));
  testing::WriteOrDie(dir.File("abonents.dat"),
                      Bill({"Zvonar v.2.3.3.65, (39500.5)", "[Abonents]", "4957654321=" + std::string(51, 'n')}));
  const CliRun one = testing::RunArgs({"--dir", dir.path(), "import", bill});
  EXPECT_EQ(kExitOk, one.code);
  EXPECT_EQ("zvonar-cli: " + bill + ": 1 text cell longer than its field was cut: line 3, Abonent\n", one.err);

  testing::WriteOrDie(dir.File("abonents.dat"),
                      Bill({"Zvonar v.2.3.3.65, (39500.5)", "[Abonents]", "4951234567=" + std::string(51, 'n'),
                            "4957654321=" + std::string(51, 'n')}));
  const CliRun two = testing::RunArgs({"--dir", dir.path(), "import", "--again", bill});
  EXPECT_EQ(kExitOk, two.code) << two.err;
  EXPECT_EQ(
      "zvonar-cli: " + bill + ": 2 text cells longer than their field were cut: line 2, Abonent; line 3, Abonent\n",
      two.err);
}

TEST(CliImport, AnImportWhileTheWindowReadsSaysSoAndTheWindowsNextReadShowsIt) {
  testing::TempDir dir;
  const std::string bill = dir.File("bill.txt");
  testing::WriteOrDie(bill, Bill({"Счет клиента : 1234567", "СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА", "БАЛАНС НА 31.03.2008",
                                  "Ведомость разговоров +7/9161112233",
                                  "02.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50"}));
  Table window;  // the window's table: locked only while it reads
  window.LockOnlyWhileReading();
  std::string warning;
  ASSERT_TRUE(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &window, &warning).ok());
  ASSERT_TRUE(window.BeginRead().ok());
  const CliRun busy = testing::RunArgs({"--dir", dir.path(), "import", bill});
  EXPECT_EQ(kExitFailure, busy.code);
  EXPECT_EQ("zvonar-cli: " + bill + ": " + kTableReadByWindowText + "\n", busy.err);
  window.EndRead();

  const CliRun run = testing::RunArgs({"--dir", dir.path(), "import", bill});
  EXPECT_EQ(kExitOk, run.code) << run.err;
  EXPECT_EQ(0u, window.RecordCount());
  ASSERT_TRUE(window.First().ok());
  EXPECT_EQ(1u, window.RecordCount());
  EXPECT_EQ("4951234567", window.FieldText(kNumberField));
}

}  // namespace
}  // namespace zvonar
