#include <gtest/gtest.h>

#include "base/tests/TestSupport.h"
#include "cli/tests/CliTestSupport.h"

namespace zvonar {
namespace {

// Owner, date-time, number, abonent, code, type, sec, min, cost, mtp, all,
// roaming: a year end, an empty month, two types and two numbers.
const char kRecords[] =
    "79001\t2023.12.31 23:30:00\t79031112233\t\t1\tCall\t60\t1\t2.50\t\t2.50\t\n"
    "79001\t2024.02.05 10:00:00\t79265554433\tBob\t1\tCall\t120\t2\t5.00\t\t5.00\t\n"
    "79002\t2024.02.06 10:15:00\t79031112233\t\t8\tSMS\t0\t0\t0.75\t\t0.75\t\n"
    "79001\t2024.02.07 11:00:00\t79265554433\tBob\t8\tSMS\t0\t0\t0.75\t\t0.75\t\n";

class CliSummaryTest : public testing::CliTableTest {
 protected:
  CliSummaryTest() : CliTableTest(kRecords) {}

  std::string Out(const std::vector<std::string>& args) {
    const auto run = Cli(args);
    EXPECT_EQ(0, run.code) << run.err;
    return run.out;
  }
  // The line of `out` that begins with `head` and a TAB.
  static std::string LineOf(const std::string& out, const std::string& head) {
    const auto at = out.find(head + "\t") == 0 ? 0 : out.find("\n" + head + "\t");
    if (at == std::string::npos) return "";
    const auto begin = at == 0 ? 0 : at + 1;
    return out.substr(begin, out.find('\n', begin) - begin);
  }
};

TEST_F(CliSummaryTest, MonthsComeInOrderAcrossTheYearEndWithEmptyMonths) {
  EXPECT_EQ(
      "December 2023\t1\t60\t1\t2.5\n"
      "January 2024\t0\t0\t0\t0\n"
      "February 2024\t3\t120\t2\t6.5\n",
      Out({"summary", "--by", "month"}));
  EXPECT_EQ("2024.02\t2\t120\t2\t5.75\n",
            Out({"summary", "--by", "month", "--keys", "--from", "2024.02.01", "--owner", "79001"}));
  EXPECT_EQ("2023.12\t1\t60\t1\t2.5\n", Out({"summary", "--by", "month", "--top", "1", "--keys"}));
  // A Russian window's names.
  testing::WriteOrDie(dir_.File("settings.ini"), "[Settings]\r\nLanguage=russian\r\n");
  EXPECT_EQ("Декабрь 2023\t1\t60\t1\t2.5\n", Out({"summary", "--by", "month", "--top", "1"}));
  EXPECT_EQ(0u, Out({"summary", "--by", "weekday"}).find("Пн\t1\t120\t2\t5\n"));
}

// Types whose records still hold a raw code are named by codetype.dat and
// counted together with the records already filled with that text.
TEST_F(CliSummaryTest, RawCodesAreNamedByTheCodeTypeTable) {
  testing::WriteOrDie(dir_.File("more.tsv"),
                      "79001\t2024.02.08 10:00:00\t79031112233\t\t1\t1\t30\t1\t1.25\t\t1.25\t\n"
                      "79001\t2024.02.08 11:00:00\t79031112233\t\t51\t51\t0\t0\t9.00\t\t9.00\t\n");
  ASSERT_EQ(0, Cli({"load-tsv", dir_.File("more.tsv")}).code);
  const std::string raw = "51\t1\t0\t0\t9\nCall\t2\t180\t3\t7.5\nSMS\t2\t0\t0\t1.5\n1\t1\t30\t1\t1.25\n";
  EXPECT_EQ(raw, Out({"summary", "--by", "type"}));
  testing::WriteOrDie(dir_.File("codetype.dat"), "1=Call\r\n8=SMS\r\n");
  EXPECT_EQ("51\t1\t0\t0\t9\nCall\t3\t210\t4\t8.75\nSMS\t2\t0\t0\t1.5\n", Out({"summary", "--by", "type"}));
  EXPECT_EQ(raw, Out({"summary", "--by", "type", "--keys"}));
}

TEST_F(CliSummaryTest, TypesAndNumbersLargestFirstWithNames) {
  testing::WriteOrDie(dir_.File("abonents.dat"), "stamp\r\n[Abonents]\r\n79031112233=Ann\r\n");
  EXPECT_EQ("Call\t2\t180\t3\t7.5\nSMS\t2\t0\t0\t1.5\n", Out({"summary", "--by", "type"}));
  EXPECT_EQ("79265554433\tBob\t2\t120\t2\t5.75\n79031112233\tAnn\t2\t60\t1\t3.25\n",
            Out({"summary", "--by", "number"}));
  // Equal counts keep the order the numbers were first met in.
  EXPECT_EQ("79031112233\tAnn\t2\t60\t1\t3.25\n", Out({"summary", "--by", "number", "--order", "count", "--top", "1"}));
  EXPECT_EQ("79265554433\tBob\t2\t120\t2\t5.75\n", Out({"summary", "--order", "sec", "--by", "number", "--top", "1"}));
}

TEST_F(CliSummaryTest, EveryHourAndWeekdayInOrder) {
  const std::string hours = Out({"summary", "--by", "hour"});
  EXPECT_EQ(24, std::count(hours.begin(), hours.end(), '\n'));
  EXPECT_EQ(0u, hours.find("0\t0\t0\t0\t0\n1\t0\t"));
  EXPECT_EQ("10\t2\t120\t2\t5.75", LineOf(hours, "10"));
  EXPECT_EQ("23\t1\t60\t1\t2.5", LineOf(hours, "23"));
  EXPECT_EQ(
      "Mon\t1\t120\t2\t5\n"
      "Tue\t1\t0\t0\t0.75\n"
      "Wed\t1\t0\t0\t0.75\n"
      "Thu\t0\t0\t0\t0\nFri\t0\t0\t0\t0\nSat\t0\t0\t0\t0\n"
      "Sun\t1\t60\t1\t2.5\n",  // 31 December 2023, a Sunday
      Out({"summary", "--by", "weekday"}));
  EXPECT_EQ(0u, Out({"summary", "--by", "weekday", "--keys"}).find("1\t1\t120\t2\t5\n2\t"));
}

TEST_F(CliSummaryTest, UsageAndSilentStop) {
  EXPECT_EQ(2, Cli({"summary"}).code);
  EXPECT_EQ(2, Cli({"summary", "--by"}).code);
  EXPECT_EQ(1, Cli({"summary", "--by", "year"}).code);
  EXPECT_EQ(1, Cli({"summary", "--by", "type", "--order", "name"}).code);
  EXPECT_EQ(1, Cli({"summary", "--by", "type", "--top", "0"}).code);
  EXPECT_EQ(1, Cli({"summary", "--by", "type", "--top", "2x"}).code);
  EXPECT_EQ(2, Cli({"summary", "--by", "type", "--bogus"}).code);
  const auto silent = Cli({"summary", "--by", "hour", "--type", ""});
  EXPECT_EQ(0, silent.code);
  EXPECT_EQ("", silent.out);
  const auto help = Cli({"help", "summary"});
  EXPECT_EQ(0, help.code);
  EXPECT_NE(std::string::npos, help.out.find("--by GROUP"));
}

}  // namespace
}  // namespace zvonar
