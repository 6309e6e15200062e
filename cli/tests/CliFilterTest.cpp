#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "base/tests/TestSupport.h"
#include "cli/tests/CliTestSupport.h"

namespace zvonar {
namespace {

using testing::RunArgs;
using testing::TempDir;

// Records in the form load-tsv reads: owner, date-time, number, abonent,
// code, type, sec, min, cost, mtp, all, roaming.
const char kRecords[] =
    "79001\t2006.05.01 10:00:00\t79031112233\t\t1\tCall\t30\t1\t1.50\t\t1.50\t\n"
    "79001\t2006.05.20 11:00:00\t79265554433\t\t1\tCall\t45\t1\t1.50\t\t1.50\t\n"
    "79002\t2006.05.03 12:00:00\t79031112233\t\t8\tSMS\t0\t0\t0.50\t\t0.50\t\n"
    "79001\t2006.06.01 00:00:00\t79031112233\t\t1\tCall\t10\t1\t0.00\t\t0.00\tNet\n";

class CliFilterTest : public testing::CliTableTest {
 protected:
  CliFilterTest() : CliTableTest(kRecords) {}
};

TEST_F(CliFilterTest, FilterPrintsRowsInIndexOrder) {
  const auto all = Cli({"filter"});
  EXPECT_EQ(0, all.code) << all.err;
  EXPECT_EQ(4, std::count(all.out.begin(), all.out.end(), '\n'));
  EXPECT_EQ(0u, all.out.rfind("79001\t2006.05.01 10:00:00\t79031112233", 0));

  // --from without --to runs to the month's end, as the window proposes.
  const auto may = Cli({"filter", "--from", "2006.05.02", "--no-null"});
  EXPECT_EQ("79002\t2006.05.03 12:00:00\t79031112233\t\t8\tSMS\t0\t0\t0.50\t\t0.50\t\n"
            "79001\t2006.05.20 11:00:00\t79265554433\t\t1\tCall\t45\t1\t1.50\t\t1.50\t\n",
            may.out);
  const auto june = Cli({"filter", "--owner", "79001", "--from", "2006.06.01", "--to", "2006.06.01"});
  EXPECT_EQ("79001\t2006.06.01\t79031112233\t\t1\tCall\t10\t1\t0.00\t\t0.00\tNet\n", june.out);
}

TEST_F(CliFilterTest, OutcomesAndUsage) {
  const auto silent = Cli({"filter", "--type", ""});
  EXPECT_EQ(0, silent.code);
  EXPECT_EQ("", silent.out);
  EXPECT_EQ(2, Cli({"filter", "--to", "2006.05.01"}).code);
  EXPECT_EQ(2, Cli({"filter", "--owner"}).code);
  EXPECT_EQ(1, Cli({"filter", "--from", "2006.02.30"}).code);
  EXPECT_EQ(1, Cli({"filter", "--type", "日本"}).code);
  ASSERT_EQ(0, std::remove(dir_.File("Tellura.MDX").c_str()));
  const auto noIndex = Cli({"filter"});
  EXPECT_EQ(1, noIndex.code);
  EXPECT_NE(std::string::npos, noIndex.err.find("Any Indexes not present"));
}

TEST_F(CliFilterTest, AnEmptyValueStopsSilentlyWhereAValueMatchingNothingCounts) {
  // The statistic tells the two apart: a run over no rows still prints its
  // total row, a silent stop prints nothing.
  for (const char* option : {"--oper", "--number", "--code", "--type"}) {
    const auto silent = Cli({"stat", option, ""});
    EXPECT_EQ(0, silent.code) << option << silent.err;
    EXPECT_EQ("", silent.out) << option;
    const auto none = Cli({"stat", option, "000"});
    EXPECT_EQ(0, none.code) << option << none.err;
    EXPECT_EQ(1, std::count(none.out.begin(), none.out.end(), '\n')) << option << ": " << none.out;
  }
}

TEST_F(CliFilterTest, ExcludeKeepsTheRecordsTheCriterionRefuses) {
  const auto sms = Cli({"filter", "--type", "SMS"});
  EXPECT_EQ(1, std::count(sms.out.begin(), sms.out.end(), '\n')) << sms.out;
  const auto others = Cli({"filter", "--type", "SMS", "--exclude"});
  EXPECT_EQ(0, others.code) << others.err;
  EXPECT_EQ(3, std::count(others.out.begin(), others.out.end(), '\n')) << others.out;
  EXPECT_EQ(std::string::npos, others.out.find("\tSMS\t"));
}

TEST_F(CliFilterTest, StatUsesTheCodeTypeTextsAndTheLanguageTotal) {
  testing::WriteOrDie(dir_.File("codetype.dat"), "1=Call\r\n8=SMS\r\n9=MMS\r\n");
  testing::WriteOrDie(dir_.File("settings.ini"), "[Settings]\r\nLanguage=short\r\n");
  std::string lang;
  for (int i = 0; i < 87; ++i) lang += i == 86 ? "Total\r\n" : "x\r\n";
  testing::WriteOrDie(dir_.File("short.lng"), lang);
  const auto stat = Cli({"stat", "--owner", "79001"});
  EXPECT_EQ(0, stat.code) << stat.err;
  EXPECT_EQ("Call\t85\t3\t3\nTotal\t85\t3\t3\n", stat.out);
}

// stat sums the rows as the filter finds them, and gives what the window's
// statistic of the listed rows gives: types no caption names after the
// captions in the order met, the empty type under its own caption, and a
// cell that is no number ends it after the captions before its own.
TEST_F(CliFilterTest, StatOfRowsAsTheyComeMatchesTheStatisticOfTheList) {
  testing::WriteOrDie(dir_.File("codetype.dat"), "8=SMS\r\n1=Call\r\n");
  testing::WriteOrDie(dir_.File("more.tsv"),
                      "79003\t2006.05.02 10:00:00\t1\t\t\tFax\t5\t1\t0.10\t\t0.10\t\n"
                      "79003\t2006.05.04 10:00:00\t2\t\t\t\t7\t1\t0.20\t\t0.20\t\n"
                      "79003\t2006.05.05 10:00:00\t3\t\t\tFax\t5\t1\t0.30\t\t0.30\t\n"
                      "79004\t2006.05.06 10:00:00\t4\t\t\tCall\t5\t1\t1,50\t\t1.50\t\n"
                      "79004\t2006.05.07 10:00:00\t5\t\t\tSMS\t0\t0\t0.50\t\t0.50\t\n");
  ASSERT_EQ(0, Cli({"load-tsv", dir_.File("more.tsv")}).code);
  const auto stat = Cli({"stat", "--owner", "79003"});
  EXPECT_EQ(0, stat.code) << stat.err;
  EXPECT_EQ("Fax\t10\t2\t0.4\n(no type)\t7\t1\t0.2\nAll\t17\t3\t0.6\n", stat.out);
  const auto bad = Cli({"stat", "--owner", "79004"});
  EXPECT_EQ(1, bad.code);
  EXPECT_EQ("SMS\t0\t0\t0.5\nCall\t\t\t\nAll\t\t\t\n", bad.out);
  EXPECT_EQ("zvonar-cli: \"1,50\" is not a valid floating point value\n", bad.err);
}

// The statistic's rows come from every line of codetype.dat: a table of a
// megabyte costs a moment, not the seconds a pass per line over all rows
// would (14 s measured), and the rows without sums still drop out.
TEST_F(CliFilterTest, StatOverALargeCodeTypeTableTakesAMoment) {
  std::string table;
  for (int i = 0; table.size() < 1024 * 1024; ++i)
    table += std::to_string(i) + "=Indication " + std::to_string(i) + "\r\n";
  table += "1=Call\r\n8=SMS\r\n";
  testing::WriteOrDie(dir_.File("codetype.dat"), table);
  const auto start = std::chrono::steady_clock::now();
  const auto stat = Cli({"stat"});
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(0, stat.code) << stat.err;
  EXPECT_EQ("Call\t85\t3\t3\nSMS\t0\t0\t0.5\nAll\t85\t3\t3.5\n", stat.out);
  EXPECT_LT(took, std::chrono::seconds(5));
}

TEST_F(CliFilterTest, CountsOverTheFilterAndOverTheTable) {
  testing::WriteOrDie(dir_.File("abonents.dat"), "stamp\r\n[Abonents]\r\n79031112233=Ann\r\n");
  const auto filtered = Cli({"counts", "--owner", "79002"});
  EXPECT_EQ("\t\t79031112233\tAnn\t8\tSMS\t0\t0\t0.5\t0\t0.5\t\n", filtered.out);
  const auto table = Cli({"counts", "--table"});
  EXPECT_EQ("\t\t79031112233\tAnn\t1\tCall\t85\t3\t3.5\t0\t3.5\tNet\n", table.out);
  const auto none = Cli({"counts", "--owner", "nobody"});
  EXPECT_EQ("\t\t\t\t\t\t\t\t\t\t\t\n", none.out);
}

}  // namespace
}  // namespace zvonar
