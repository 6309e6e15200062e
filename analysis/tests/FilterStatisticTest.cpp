#include <gtest/gtest.h>

#include "analysis/FilterStatistic.h"

namespace zvonar {
namespace {

TEST(FormatGeneral, SevenSignificantDigitsAndExponentForm) {
  struct Case {
    double in;
    const char* want;
  };
  const Case cases[] = {
      {125.5, "125.5"},
      {300, "300"},
      {0, "0"},
      {1.5, "1.5"},
      {3.0, "3"},
      {-2.25, "-2.25"},
      {1234567, "1234567"},
      {12345678, "1.234568E+07"},
      {150000000, "1.5E+08"},
      {0.1 + 0.2, "0.3"},
      {0.00012345678, "0.0001234568"},
      {0.000001, "1E-06"},
      {-0.0000025, "-2.5E-06"},
      {99999.996, "100000"},
      {9999999.6, "1E+07"},
      // The edge of the exponent form for small values.
      {0.00001, "0.00001"},
      {-0.00001, "-0.00001"},
      {0.000012, "0.000012"},
      {0.0000099, "9.9E-06"},
      {0.00000999999999, "1E-05"},
      {0.0001, "0.0001"},
      {0.1, "0.1"},
      {1e-20, "1E-20"},
      {1e-100, "1E-100"},
      {1e100, "1E+100"},
      {1.0000001, "1"},
      {1234567.4, "1234567"},
      {0.5, "0.5"},
      {-300, "-300"},
  };
  for (const Case& t : cases) EXPECT_EQ(t.want, FormatGeneral(t.in)) << t.in;
}

ResultRows Rows(std::initializer_list<std::array<const char*, 4>> typeSecMinCost) {
  ResultRows rows;
  for (const auto& r : typeSecMinCost)
    rows.Append({"A", "2006.05.01", "1", "", "1", r[0], r[1], r[2], r[3], "", r[3], ""});
  return rows;
}

TEST(ComputeFilterStatistic, SumsPerTypeDropsZeroRowsAndTotals) {
  const ResultRows rows = Rows({{"Call", "30", "1", "1.5"},
                                {"Call", "45", "1", "1.5"},
                                {"SMS", "0", "0", "0"},
                                {"call", "100", "2", "9"},
                                {"GPRS", "", "", "0.01"}});
  std::vector<StatRow> stat = BuildStatRows({"Call", "SMS", "GPRS", "Never"}, "All");
  ASSERT_TRUE(ComputeFilterStatistic(rows, &stat).ok());
  ASSERT_EQ(4u, stat.size());
  EXPECT_EQ("Call", stat[0].caption);
  EXPECT_EQ("75", stat[0].sec);
  EXPECT_EQ("2", stat[0].min);
  EXPECT_EQ("3", stat[0].cost);
  EXPECT_EQ("GPRS", stat[1].caption);
  EXPECT_EQ("0.01", stat[1].cost);
  // "call" in other letter case is no caption of the box: a row of its own
  // after the box's, so that the total is the list's.
  EXPECT_EQ("call", stat[2].caption);
  EXPECT_EQ("100", stat[2].sec);
  EXPECT_EQ("All", stat[3].caption);
  EXPECT_EQ("175", stat[3].sec);
  EXPECT_EQ("4", stat[3].min);
  EXPECT_EQ("12.01", stat[3].cost);
}

TEST(ComputeFilterStatistic, TypesNoCaptionNamesGetRowsInTheOrderTheyFirstAppear) {
  // A fresh import: the types are still raw codes, and one charge has none.
  const ResultRows rows = Rows({{"2", "60", "1", "1.50"},
                                {"", "0", "0", "120.00"},
                                {"1", "30", "1", "2.00"},
                                {"2", "90", "2", "3.00"},
                                {"8", "0", "0", "0"}});
  std::vector<StatRow> stat = BuildStatRows({"Outgoing", "Incoming"}, "All");
  ASSERT_TRUE(ComputeFilterStatistic(rows, &stat, "(none)").ok());
  std::vector<std::string> captions;
  for (const StatRow& row : stat) captions.push_back(row.caption);
  // "8" has only zero sums and goes, as any such row.
  EXPECT_EQ((std::vector<std::string>{"2", "(none)", "1", "All"}), captions);
  EXPECT_EQ("150", stat[0].sec);
  EXPECT_EQ("4.5", stat[0].cost);
  EXPECT_EQ("120", stat[1].cost);
  EXPECT_EQ("180", stat[3].sec);
  EXPECT_EQ("4", stat[3].min);
  EXPECT_EQ("126.5", stat[3].cost);
  // Without a caption box at all the total is still the list's.
  std::vector<StatRow> bare = BuildStatRows({}, "All");
  ASSERT_TRUE(ComputeFilterStatistic(rows, &bare).ok());
  EXPECT_EQ("(no type)", bare[1].caption);
  EXPECT_EQ("126.5", bare.back().cost);
}

TEST(ComputeFilterStatistic, ARowWithAnyNonZeroSumStaysAndCountsInTheTotal) {
  const ResultRows rows = Rows({{"Free", "60", "0", "0"}, {"Min", "0", "3", "0.00"}, {"Nothing", "0", "0", "0"}});
  std::vector<StatRow> stat = BuildStatRows({"Free", "Min", "Nothing"}, "All");
  ASSERT_TRUE(ComputeFilterStatistic(rows, &stat).ok());
  ASSERT_EQ(3u, stat.size());
  EXPECT_EQ("Free", stat[0].caption);
  EXPECT_EQ("60", stat[0].sec);
  EXPECT_EQ("0", stat[0].min);
  EXPECT_EQ("0", stat[0].cost);
  EXPECT_EQ("Min", stat[1].caption);
  EXPECT_EQ("3", stat[1].min);
  EXPECT_EQ("All", stat[2].caption);
  EXPECT_EQ("60", stat[2].sec);
  EXPECT_EQ("3", stat[2].min);
  EXPECT_EQ("0", stat[2].cost);
}

TEST(ComputeFilterStatistic, EmptyResultKeepsOnlyTheZeroTotal) {
  std::vector<StatRow> stat = BuildStatRows({"Call"}, "All");
  ASSERT_TRUE(ComputeFilterStatistic(ResultRows(), &stat).ok());
  ASSERT_EQ(1u, stat.size());
  EXPECT_EQ("0", stat[0].sec);
  EXPECT_EQ("0", stat[0].cost);
}

TEST(ComputeFilterStatistic, CellThatIsNoNumberStopsWithRowsBeforeKept) {
  const ResultRows rows = Rows({{"A", "10", "1", "1.00"}, {"B", "10", "1", "12,50"}});
  std::vector<StatRow> stat = BuildStatRows({"A", "B"}, "All");
  const Status s = ComputeFilterStatistic(rows, &stat);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(std::string::npos, s.message().find("12,50"));
  EXPECT_EQ("10", stat[0].sec);
  EXPECT_EQ("", stat[2].sec);
}

// Types interleaved row by row and a caption given twice sum as caption
// after caption would; with two bad cells the one of the earlier caption is
// told, though a later row holds it.
TEST(ComputeFilterStatistic, InterleavedTypesRepeatedCaptionsAndTheFirstBadCellByCaption) {
  const ResultRows rows = Rows({{"B", "0.1", "1", "0.2"},
                                {"A", "0.7", "2", "0.3"},
                                {"B", "0.2", "3", "0.1"},
                                {"A", "0.1", "4", "1e-3"},
                                {"C", "1", "1", "1"}});  // no caption names C
  std::vector<StatRow> stat = BuildStatRows({"A", "B", "A"}, "All");
  ASSERT_TRUE(ComputeFilterStatistic(rows, &stat).ok());
  ASSERT_EQ(5u, stat.size());
  const std::string a[] = {FormatGeneral(0.7 + 0.1), FormatGeneral(6), FormatGeneral(0.3 + 1e-3)};
  for (const std::size_t r : {0u, 2u}) {
    EXPECT_EQ("A", stat[r].caption);
    EXPECT_EQ(a[0], stat[r].sec);
    EXPECT_EQ(a[1], stat[r].min);
    EXPECT_EQ(a[2], stat[r].cost);
  }
  EXPECT_EQ(FormatGeneral(0.1 + 0.2), stat[1].sec);
  EXPECT_EQ("C", stat[3].caption);
  // A repeated caption shows its sums twice and counts once: the total is
  // the list's.
  EXPECT_EQ(FormatGeneral((0.7 + 0.1) + (0.1 + 0.2) + 1), stat[4].sec);
  EXPECT_EQ(FormatGeneral(6 + 4 + 1), stat[4].min);

  // A cell that is no number still ends the statistic, in a row no caption names too.
  std::vector<StatRow> other = BuildStatRows({"A"}, "All");
  EXPECT_FALSE(ComputeFilterStatistic(Rows({{"A", "1", "1", "1"}, {"Z", "x", "1", "1"}}), &other).ok());

  const ResultRows bad = Rows({{"B", "1,5", "1", "1"}, {"A", "2", "1", "2,5"}});
  std::vector<StatRow> badStat = BuildStatRows({"A", "B"}, "All");
  const Status s = ComputeFilterStatistic(bad, &badStat);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(std::string::npos, s.message().find("2,5")) << s.message();
}

TEST(ComputeFilterStatistic, SumThatOverflowsIsAnErrorNotZero) {
  for (const ResultRows& rows : {Rows({{"A", "1e308", "1", "1.00"}, {"A", "1e308", "1", "1.00"}}),
                                 Rows({{"A", "1e308", "1", "1.00"}, {"B", "1e308", "1", "1.00"}})}) {
    std::vector<StatRow> stat = BuildStatRows({"A", "B"}, "All");
    const Status s = ComputeFilterStatistic(rows, &stat);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(std::string::npos, s.message().find("too large")) << s.message();
  }
}

}  // namespace
}  // namespace zvonar
