#include "analysis/ActivityCounts.h"

#include <gtest/gtest.h>

#include "base/tests/TestSupport.h"
#include "import/NameValueList.h"
#include "store/DetalTable.h"
#include "store/Table.h"

namespace zvonar {
namespace {

ResultRows Rows(std::initializer_list<std::array<const char*, 5>> numberCodeTypeCostRoaming) {
  ResultRows rows;
  for (const auto& r : numberCodeTypeCostRoaming)
    rows.Append({"A", "2006.05.01", r[0], "", r[1], r[2], "60", "1", r[3], "0.00", r[3], r[4]});
  return rows;
}

TEST(FrequencyTable, TiesGoToTheFirstMetAndCaseIsIgnored) {
  FrequencyTable numbers;
  for (const char* n : {"1", "2", "1", "2", "3"}) numbers.Add(n);
  EXPECT_EQ("1", numbers.MostFrequent());
  FrequencyTable types;
  for (const char* t : {"\xC2\xF5", "SMS", "\xE2\xF5", "sms", "sms"}) types.Add(t);  // Вх, вх
  EXPECT_EQ("SMS", types.MostFrequent());
  FrequencyTable none;
  none.Add("");
  EXPECT_EQ("", none.MostFrequent());
}

TEST(FrequencyTable, CountsSurviveGrowthPastThousandsOfValues) {
  FrequencyTable numbers;
  const int distinct = 5000;
  for (int round = 0; round < 2; ++round)
    for (int i = 0; i < distinct; ++i) numbers.Add((round == 0 ? "N" : "n") + std::to_string(i));
  EXPECT_EQ("N0", numbers.MostFrequent());  // all counted twice: the first met wins
  numbers.Add("n4321");
  EXPECT_EQ("N4321", numbers.MostFrequent());
  for (int i = 0; i < 2; ++i) numbers.Add("N777");
  EXPECT_EQ("N777", numbers.MostFrequent());
}

TEST(CountActivityInRows, SumsMostFrequentAndName) {
  const ResultRows rows = Rows({{"79001", "1", "out", "1.50", ""}, {"79002", "2", "in", "0.25", ""},
                                {"79001", "1", "out", "1.00", ""}});
  const NameValueList book = NameValueList::FromLines({"stamp", "[Abonents]", "79001=Ann"});
  CountsRow row;
  row[0] = "keep";
  ASSERT_TRUE(CountActivityInRows(rows, &book, &row).ok());
  EXPECT_EQ("keep", row[0]);
  EXPECT_EQ("79001", row[2]);
  EXPECT_EQ("Ann", row[3]);
  EXPECT_EQ("1", row[4]);
  EXPECT_EQ("out", row[5]);
  EXPECT_EQ("180", row[6]);
  EXPECT_EQ("3", row[7]);
  EXPECT_EQ("2.75", row[8]);
  EXPECT_EQ("0", row[9]);
  EXPECT_EQ("", row[11]);  // all Roaming texts empty
}

TEST(CountActivityInRows, UnknownNumberKeepsTheAbonentCellAndBadNumberWritesNothing) {
  CountsRow row;
  row[3] = "before";
  ASSERT_TRUE(CountActivityInRows(Rows({{"79009", "1", "out", "1.50", "Net"}}), nullptr, &row).ok());
  EXPECT_EQ("before", row[3]);
  EXPECT_EQ("1.5", row[8]);
  EXPECT_EQ("Net", row[11]);
  CountsRow bad;
  EXPECT_FALSE(CountActivityInRows(Rows({{"1", "1", "out", "x", ""}}), nullptr, &bad).ok());
  EXPECT_EQ("", bad[2]);
}

TEST(CountActivityInTable, WalksEveryRecord) {
  testing::TempDir dir;
  Table table;
  std::string warning;
  ASSERT_TRUE(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
  for (const char* number : {"5", "6", "6"}) {
    ASSERT_TRUE(table.Append().ok());
    const std::string texts[12] = {"A", "2006.05.01", number, "", "1", "out", "10", "1", "0.50", "", "0.50", ""};
    for (int i = 0; i < 12; ++i) ASSERT_TRUE(table.SetFieldText(i, texts[i]).ok());
    ASSERT_TRUE(table.Post().ok());
  }
  CountsRow row;
  ASSERT_TRUE(CountActivityInTable(&table, nullptr, &row).ok());
  EXPECT_EQ("6", row[2]);
  EXPECT_EQ("30", row[6]);
  EXPECT_EQ("1.5", row[8]);
}

}  // namespace
}  // namespace zvonar
