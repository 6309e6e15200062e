#include <gtest/gtest.h>

#include <cstdio>

#include "base/tests/TestSupport.h"
#include "cli/tests/CliTestSupport.h"

namespace zvonar {
namespace {

using testing::ReadOrEmpty;
using testing::WriteOrDie;

// owner, date-time, number, abonent, code, type, sec, min, cost, mtp, all,
// roaming.
const char kRecords[] =
    "79001\t2006.05.01 10:00:00\t79031112233\tAnn\t1\tCall\t30\t1\t1.50\t\t1.50\t\n"
    "79002\t2006.05.03 12:00:00\t79031112233\t\t8\tSMS\t0\t0\t0.50\t\t0.50\tNet\n";

class CliListsTest : public testing::CliTableTest {
 protected:
  CliListsTest() : CliTableTest(kRecords) {}
  // The records dump prints.
  std::size_t Records() {
    const std::string out = Cli({"dump"}).out;
    return static_cast<std::size_t>(std::count(out.begin(), out.end(), '\n'));
  }
};

TEST_F(CliListsTest, SaveListWritesTheFilterRowsAndLoadListPrintsThem) {
  const auto saved = Cli({"save-list", dir_.File("mine.fil"), "--owner", "79001"});
  ASSERT_EQ(0, saved.code) << saved.err;
  EXPECT_EQ("1 record written to " + dir_.File("mine.fil") + "\n", saved.out);
  EXPECT_EQ("2006.05.01 10:00:00=79031112233#Ann#1#Call#30#1#1.50##1.50#\r\n", ReadOrEmpty(dir_.File("mine.fil")));

  // Without criteria: every record; the owner read back is the file's name.
  ASSERT_EQ(0, Cli({"save-list", dir_.File("all.fil")}).code);
  const auto loaded = Cli({"load-list", dir_.File("all.fil")});
  EXPECT_EQ(0, loaded.code) << loaded.err;
  EXPECT_EQ(
      "all\t2006.05.01 10:00:00\t79031112233\tAnn\t1\tCall\t30\t1\t1.50\t\t1.50\t\n"
      "all\t2006.05.03 12:00:00\t79031112233\t\t8\tSMS\t0\t0\t0.50\t\t0.50\tNet\n",
      loaded.out);

  // Names left out when the settings say so; no rows: nothing written.
  WriteOrDie(dir_.File("settings.ini"), "[Settings]\r\nSaveAbonentNameInDetalizationFile=0\r\n");
  ASSERT_EQ(0, Cli({"save-list", dir_.File("noname"), "--owner", "79001"}).code);
  EXPECT_EQ("2006.05.01 10:00:00=79031112233##1#Call#30#1#1.50##1.50#\r\n", ReadOrEmpty(dir_.File("noname.fil")));
  EXPECT_EQ(0, Cli({"save-list", dir_.File("none.fil"), "--owner", "79009"}).code);
  EXPECT_FALSE(FileExists(dir_.File("none.fil")));
}

// Cells holding "#", a line break or a TAB are written with those replaced
// and counted, so the list loads back into its own columns.
TEST_F(CliListsTest, SaveListKeepsEveryCellInItsColumn) {
  WriteOrDie(dir_.File("more.tsv"),
             "79003\t2006.05.04 10:00:00\t79031112233\tИванов #2\t1#\ta\\r\\nb\t30\t1\t1.50\t\t1.50"
             "\tNet#1\\tX\n");
  ASSERT_EQ(0, Cli({"load-tsv", dir_.File("more.tsv")}).code);
  const auto saved = Cli({"save-list", dir_.File("odd.fil"), "--owner", "79003"});
  ASSERT_EQ(0, saved.code) << saved.err;
  EXPECT_EQ("1 record written to " + dir_.File("odd.fil") +
                "\n4 cells held \"#\", \"=\", a line break or a TAB: \"#\" was written as \"№\", the others as a "
                "blank.\n",
            saved.out);
  const auto loaded = Cli({"load-list", dir_.File("odd.fil")});
  EXPECT_EQ(0, loaded.code) << loaded.err;
  EXPECT_EQ("odd\t2006.05.04 10:00:00\t79031112233\tИванов №2\t1№\ta  b\t30\t1\t1.50\t\t1.50\tNet№1 X\n", loaded.out);
}

TEST_F(CliListsTest, ListCommandsReportBadArguments) {
  EXPECT_EQ(2, Cli({"save-list"}).code);
  EXPECT_EQ(2, Cli({"load-list"}).code);
  EXPECT_EQ(2, Cli({"load-old-base", "x"}).code);
  const auto missing = Cli({"load-list", dir_.File("missing.fil")});
  EXPECT_EQ(1, missing.code);
  EXPECT_NE(std::string::npos, missing.err.find("no such file")) << missing.err;
  EXPECT_EQ(1, Cli({"save-list", dir_.File("no/such/dir.fil")}).code);

  // FILE left out before the criteria: refused, and no file is named after
  // the option.
  for (const char* command : {"save-list", "export-csv"}) {
    EXPECT_EQ(2, Cli({command, "--exclude"}).code) << command;
    for (const char* written : {"--exclude", "--exclude.fil"}) {
      EXPECT_FALSE(FileExists(written)) << command;
      std::remove(written);
    }
  }
}

TEST_F(CliListsTest, LoadOldBaseAppendsEveryOwnerFileOnce) {
  const auto none = Cli({"load-old-base"});
  EXPECT_EQ(1, none.code);
  EXPECT_NE(std::string::npos, none.err.find("no old base in " + dir_.path())) << none.err;
  EXPECT_NE(std::string::npos, none.err.find(": no owner file OWNER.dat of detalization.dat or of Tellura.dat"))
      << none.err;

  WriteOrDie(dir_.File("Tellura.dat"), "79002\r\n79001\r\n");
  WriteOrDie(dir_.File("detalization.dat"), "79005\r\n79006\r\n79007\r\n79001\r\n");
  WriteOrDie(dir_.File("79005.dat"), "2005.01.01 09:00:00=111#Old#1#2#5#1#0.10#0.00#0.10#\r\n");
  WriteOrDie(dir_.File("79006.dat"),
             "2005.01.02 09:00:00=222##1#2#5#1#0.10#0.00#0.10#\r\n2005.01.03=333##1#2#5#1#0.10#0.00#0.10#\r\n");
  const auto run = Cli({"load-old-base"});
  ASSERT_EQ(0, run.code) << run.err;
  EXPECT_EQ("3 records added from 4 owners\n", run.out);
  const auto dump = Cli({"dump"});
  EXPECT_NE(std::string::npos, dump.out.find("79005\t2005.01.01 09:00:00\t111\tOld\t")) << dump.out;
  EXPECT_NE(std::string::npos, dump.out.find("79006\t2005.01.03\t333\t")) << dump.out;
  // The base's owners lead Tellura.dat, as the window's owner box has them.
  EXPECT_EQ("79005\r\n79006\r\n79007\r\n79001\r\n79002\r\n", ReadOrEmpty(dir_.File("Tellura.dat")));

  // The same base again is skipped, as a bill imported before is.
  const auto second = Cli({"load-old-base"});
  EXPECT_EQ(0, second.code) << second.err;
  EXPECT_NE(std::string::npos, second.out.find(dir_.File("detalization.dat") + ": already loaded on ")) << second.out;
  EXPECT_NE(std::string::npos, second.out.find(" (3 records), skipped\n")) << second.out;
  EXPECT_EQ(2u + 3u, Records());
  const auto again = Cli({"load-old-base", "--again"});
  ASSERT_EQ(0, again.code) << again.err;
  EXPECT_EQ("3 records added from 4 owners\n", again.out);
  EXPECT_EQ(2u + 3u + 3u, Records());
  EXPECT_EQ(2, Cli({"load-old-base", "--again", "x"}).code);

  // Each load is an entry of the import journal and can be taken back.
  for (int i = 0; i < 2; ++i) {
    const auto undo = Cli({"undo-import"});
    ASSERT_EQ(0, undo.code) << undo.err;
    EXPECT_EQ(dir_.File("detalization.dat") + ": 3 records removed\n", undo.out);
  }
  EXPECT_EQ(2u, Records());
}

TEST_F(CliListsTest, LoadOldBaseStoresAHalfBadBaseNotAtAll) {
  WriteOrDie(dir_.File("detalization.dat"), "79005\r\n79006\r\n");
  WriteOrDie(dir_.File("79005.dat"), "2005.01.01=1#\r\n2005.01.02=2#\r\n2005.01.03=3#\r\n");
  WriteOrDie(dir_.File("79006.dat"), "=4#no date\r\n2005.01.05=5#\r\n2005.01.06=6#\r\n");
  const std::string owners = ReadOrEmpty(dir_.File("Tellura.dat"));
  const auto run = Cli({"load-old-base"});
  EXPECT_EQ(1, run.code);
  EXPECT_EQ("", run.out);
  EXPECT_EQ("zvonar-cli: cannot load the old base: " + dir_.File("79006.dat") + ":1: no date-time\n", run.err);
  EXPECT_EQ(2u, Records());
  EXPECT_EQ(std::string::npos, ReadOrEmpty(dir_.File("imports.dat")).find("detalization.dat"));
  EXPECT_EQ(owners, ReadOrEmpty(dir_.File("Tellura.dat")));

  // Mended, it loads whole.
  WriteOrDie(dir_.File("79006.dat"), "2005.01.04=4#no date\r\n2005.01.05=5#\r\n2005.01.06=6#\r\n");
  const auto mended = Cli({"load-old-base"});
  ASSERT_EQ(0, mended.code) << mended.err;
  EXPECT_EQ("6 records added from 2 owners\n", mended.out);
}

TEST_F(CliListsTest, LoadOldBaseWithoutOwnersListLoadsTheOwnersOfTelluraDat) {
  WriteOrDie(dir_.File("Tellura.dat"), "79002\r\n79001\r\n79009\r\n");
  WriteOrDie(dir_.File("79001.dat"), "2005.01.01 09:00:00=111#Old#1#2#5#1#0.10#0.00#0.10#\r\n");
  WriteOrDie(dir_.File("79009.dat"), "2005.01.02=222##1#2#5#1#0.10#0.00#0.10#\r\n");
  const auto run = Cli({"load-old-base"});
  ASSERT_EQ(0, run.code) << run.err;
  EXPECT_EQ("2 records added from 3 owners\n", run.out);
  const auto dump = Cli({"dump", "--index", "DateTime"});
  EXPECT_NE(std::string::npos, dump.out.find("79001\t2005.01.01 09:00:00\t111\tOld\t")) << dump.out;
  EXPECT_NE(std::string::npos, dump.out.find("79009\t2005.01.02\t222\t")) << dump.out;
  EXPECT_EQ("79002\r\n79001\r\n79009\r\n", ReadOrEmpty(dir_.File("Tellura.dat")));
}

TEST_F(CliListsTest, LoadOldBaseFillsNamesUnderOtherSpellingsOnlyInModeOne) {
  WriteOrDie(dir_.File("abonents.dat"), "stamp\r\n[Abonents]\r\n9161234567=Me\r\n84951234567=Town\r\n");
  WriteOrDie(dir_.File("detalization.dat"), "79005\r\n");
  WriteOrDie(dir_.File("79005.dat"), "2005.01.01=S9161234567#\r\n2005.01.02=1234567#\r\n");
  for (const int mode : {0, 1}) {
    WriteOrDie(dir_.File("settings.ini"), "[Settings]\r\nSaveAbonentNameInDetalizationFile=0\r\nmodePhoneCode=" +
                                              std::to_string(mode) + "\r\nPhoneCodeTown=495\r\n");
    const auto run = Cli({"load-old-base", "--again"});
    ASSERT_EQ(0, run.code) << run.err;
    const std::string records = Cli({"filter", "--owner", "79005"}).out;
    const std::string names = mode == 1 ? "\tMe\t" : "\t\t";
    EXPECT_NE(std::string::npos, records.find("S9161234567" + names)) << mode << records;
    EXPECT_NE(std::string::npos, records.find("\t1234567" + std::string(mode == 1 ? "\tTown\t" : "\t\t")))
        << mode << records;
    ASSERT_EQ(0, Cli({"undo-import"}).code);
  }
}

TEST_F(CliListsTest, ExportCsvWritesTitlesAndRows) {
  const auto run = Cli({"export-csv", dir_.File("out.csv"), "--owner", "79002"});
  ASSERT_EQ(0, run.code) << run.err;
  EXPECT_EQ(
      "\xEF\xBB\xBFOwner,Date / Time,Number,Abonent,Code,Type,Sec,Min,Cost,MTP,All,Roaming\r\n"
      "79002,2006.05.03 12:00:00,79031112233,,8,SMS,0,0,0.50,,0.50,Net\r\n",
      ReadOrEmpty(dir_.File("out.csv")));
}

}  // namespace
}  // namespace zvonar
