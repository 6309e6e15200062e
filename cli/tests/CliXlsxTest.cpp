#include <gtest/gtest.h>

#include "analysis/tests/XlsxReadBack.h"
#include "base/tests/TestSupport.h"
#include "cli/tests/CliTestSupport.h"

namespace zvonar {
namespace {

using testing::ReadOrEmpty;
using testing::CellsDiffer;
using testing::ReadXlsxBack;
using testing::WriteOrDie;

// owner, date-time, number, abonent, code, type, sec, min, cost, mtp, all,
// roaming. The last record's Min is no number.
const char kRecords[] =
    "79001\t2006.05.01 10:00:00\t79031112233\tAnn\t1\tCall\t30\t1\t1.50\t\t1.50\t\n"
    "79001\t2006.05.02 11:00:00\t79031112233\t\t1\tCall\t90\t2\t3.00\t\t3.00\t\n"
    "79002\t2006.05.03 12:00:00\t79031112233\t\t8\tSMS\t0\t0\t0.50\t\t0.50\tNet\n"
    "79003\t2006.05.04 13:00:00\t790\t\t1\tCall\t5\tfive\t0.10\t\t0.10\t\n";

class CliXlsxTest : public testing::CliTableTest {
 protected:
  CliXlsxTest() : CliTableTest(kRecords) {}
};

TEST_F(CliXlsxTest, WritesRowsStatisticAndCriteria) {
  const std::string file = dir_.File("out.xlsx");
  const auto run = Cli({"export-xlsx", file, "--owner", "79001", "--code", "1"});
  ASSERT_EQ(0, run.code) << run.err;
  EXPECT_EQ("2 rows written to " + file + "\n", run.out);
  EXPECT_EQ("", run.err);
  auto cells = ReadXlsxBack(file);
  EXPECT_EQ("Calls,Statistic,Criteria", cells["sheets"]);
  EXPECT_EQ("", CellsDiffer(cells, "Calls",
                            {{"filter", "A1:L3"},
                             {"B3", "d|dd.mm.yyyy hh:mm:ss|-|2006-05-02 11:00:00"},
                             {"G3", "n|0|-|90"},
                             {"I3", "n|0.00|-|3"}}));
  // The statistic as stat counts it, the total a formula; the criteria given.
  EXPECT_EQ("", CellsDiffer(cells, "Statistic",
                            {{"A2", "s|General|-|Call"}, {"B2", "n|0|-|120"}, {"D3", "f|0.00|bold|=SUM(D2:D2)"}}));
  EXPECT_EQ("", CellsDiffer(cells, "Criteria",
                            {{"A2", "s|General|-|Owner"},
                             {"B2", "s|General|-|79001"},
                             {"A3", "s|General|-|Code"},
                             {"B3", "s|General|-|1"}}));
}

TEST_F(CliXlsxTest, CellsThatAreNoNumbersAreCountedAndTheStatisticExplained) {
  const std::string file = dir_.File("out.xlsx");
  const auto run = Cli({"export-xlsx", file});
  ASSERT_EQ(0, run.code) << run.err;
  EXPECT_EQ("4 rows written to " + file + "\n1 cells that are not numbers kept as text\n", run.out);
  EXPECT_NE(std::string::npos, run.err.find("the statistic was not counted: \"five\"")) << run.err;
  auto cells = ReadXlsxBack(file);
  EXPECT_EQ("s|General|-|five", cells["Calls!H5"]);
  EXPECT_EQ("s|General|-|The statistic was not counted: \"five\" is not a valid floating point value",
            cells["Statistic!A2"]);
  EXPECT_EQ("s|General|-|None: every record of the table", cells["Criteria!A2"]);
}

TEST_F(CliXlsxTest, RefusalsWriteNothing) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"export-xlsx"}, {"export-xlsx", "--owner", "79001"}, {"export-xlsx", "a.xlsx", "--bad"}})
    EXPECT_EQ(2, Cli(args).code) << args.back();

  const std::string settings = ReadOrEmpty(dir_.File("settings.ini"));
  auto run = Cli({"export-xlsx", dir_.File("settings.ini")});
  EXPECT_EQ(1, run.code);
  EXPECT_NE(std::string::npos, run.err.find("the program's own file settings.ini")) << run.err;
  EXPECT_EQ(settings, ReadOrEmpty(dir_.File("settings.ini")));

  run = Cli({"export-xlsx", dir_.File("no/such.xlsx")});
  EXPECT_EQ(1, run.code);
  EXPECT_NE(std::string::npos, run.err.find("no/such.xlsx")) << run.err;

  // An empty criterion finds nothing and writes nothing.
  WriteOrDie(dir_.File("kept.xlsx"), "kept");
  run = Cli({"export-xlsx", dir_.File("kept.xlsx"), "--number", ""});
  EXPECT_EQ(0, run.code) << run.err;
  EXPECT_TRUE(ReadOrEmpty(dir_.File("kept.xlsx")) == "kept");
  EXPECT_EQ("a criterion has an empty value: no records found; " + dir_.File("kept.xlsx") + " not written\n", run.out);
}

}  // namespace
}  // namespace zvonar
