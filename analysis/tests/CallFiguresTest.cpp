#include <gtest/gtest.h>

#include "analysis/CallFigures.h"
#include "import/NameValueList.h"

namespace zvonar {
namespace {

struct Row {
  const char* date;
  const char* number;
  const char* abonent;
  const char* type;
  const char* sec;
  const char* min;
  const char* cost;
};

ResultRows Rows(std::initializer_list<Row> rows) {
  ResultRows out;
  for (const Row& r : rows)
    out.Append({"A", r.date, r.number, r.abonent, "M", r.type, r.sec, r.min, r.cost, "", r.cost, ""});
  return out;
}

// The figures of `rows`, without a book.
CallFigures Figures(std::initializer_list<Row> rows) {
  return ComputeCallFigures(Rows(rows), nullptr, "");
}

FigureSums Sums(std::uint64_t count, std::int64_t sec, std::int64_t min, std::int64_t cost) {
  return {count, sec, min, cost};
}

std::vector<std::string> Keys(const std::vector<FigureGroup>& groups) {
  std::vector<std::string> keys;
  for (const FigureGroup& g : groups) keys.push_back(g.key);
  return keys;
}

TEST(ComputeCallFigures, MonthsRunAcrossTheYearEndWithEmptyMonthsAndMissingTypes) {
  const CallFigures f = Figures({
      {"2023.11.30 23:59:59", "1", "", "out", "60", "1", "1.10"},
      {"2024.01.01", "2", "", "in", "30", "1", "0.20"},
      {"2023.11.01 08:00:00", "1", "", "in", "15", "1", "0.05"},
  });
  EXPECT_EQ((std::vector<std::string>{"2023.11", "2023.12", "2024.01"}), Keys(f.months));
  EXPECT_EQ(Sums(2, 7500, 200, 115), f.months[0].sums);
  EXPECT_EQ(Sums(0, 0, 0, 0), f.months[1].sums);  // no record in December
  EXPECT_EQ(Sums(1, 3000, 100, 20), f.months[2].sums);
  EXPECT_EQ((std::vector<std::string>{"out", "in"}), Keys(f.types));
  ASSERT_EQ(3u, f.monthTypes.size());
  for (const auto& perType : f.monthTypes) EXPECT_EQ(2u, perType.size());
  EXPECT_EQ(Sums(1, 6000, 100, 110), f.monthTypes[0][0]);
  EXPECT_EQ(Sums(1, 1500, 100, 5), f.monthTypes[0][1]);
  EXPECT_EQ(Sums(0, 0, 0, 0), f.monthTypes[2][0]);  // no "out" in January
  EXPECT_EQ(Sums(1, 3000, 100, 20), f.monthTypes[2][1]);
  EXPECT_EQ(Sums(3, 10500, 300, 135), f.total);
}

TEST(ComputeCallFigures, MoneyAddsUpExactlyInHundredths) {
  ResultRows rows;
  for (int i = 0; i < 1000; ++i) rows.Append({"A", "2024.03.01", "1", "", "", "t", "1", "0.01", "0.10", "", "", ""});
  const CallFigures f = ComputeCallFigures(rows, nullptr, "");
  EXPECT_EQ(10000, f.total.cost);
  EXPECT_EQ("100", FormatHundredths(f.total.cost));
  EXPECT_EQ("10", FormatHundredths(f.total.min));
  // Every form the number grammar allows, to the hundredth.
  const CallFigures forms = Figures({
      {
          "2024.03.01",
          "1",
          "",
          "t",
          "12.5",
          "1.",
          ".5",
      },
      {
          "2024.03.01",
          "1",
          "",
          "t",
          "-0.30",
          "+2",
          "1.239",
      },
      {
          "2024.03.01",
          "1",
          "",
          "t",
          "1e2",
          "0.001",
          "007.07",
      },
  });
  EXPECT_EQ(0u, forms.badCells);
  EXPECT_EQ(Sums(3, 1250 - 30 + 10000, 100 + 200 + 0, 50 + 124 + 707), forms.total);
  EXPECT_EQ("125.5", FormatHundredths(12550));
  EXPECT_EQ("-0.3", FormatHundredths(-30));
}

TEST(ComputeCallFigures, CellsThatAreNoNumberAreSkippedAndCounted) {
  const CallFigures f = Figures({
      {"2024.03.01 10:00:00", "1", "", "out", "6O", "1", "2.50"},
      {"2024.03.01 10:30:00", "1", "", "out", "60", "", "x"},
      {"someday", "1", "", "out", "10", "1", "1e400"},
  });
  EXPECT_EQ(3u, f.badCells);
  EXPECT_EQ(1u, f.undated);
  EXPECT_EQ(Sums(3, 7000, 200, 250), f.total);  // every record counted
  EXPECT_EQ(Sums(2, 6000, 100, 250), f.hours[10]);
  ASSERT_EQ(1u, f.months.size());
  EXPECT_EQ(2u, f.months[0].sums.count);
}

TEST(ComputeCallFigures, HoursAndWeekdaysMondayFirst) {
  const CallFigures f = Figures({
      {"2024.03.04 00:00:01", "1", "", "t", "1", "1", "1"},  // Monday
      {"2024.03.10 23:10:00", "1", "", "t", "1", "1", "1"},  // Sunday
      {"2024.03.10", "1", "", "t", "1", "1", "1"},           // midnight
      {"2024.02.29 25:00:00", "1", "", "t", "1", "1", "1"},  // no hour 25
      {"2023.02.29 10:00:00", "1", "", "t", "1", "1", "1"},  // no such day
  });
  EXPECT_EQ(2u, f.undated);
  EXPECT_EQ(2u, f.hours[0].count);
  EXPECT_EQ(1u, f.hours[23].count);
  EXPECT_EQ(1u, f.weekdays[0].count);
  EXPECT_EQ(2u, f.weekdays[6].count);
  const auto weekdays = FigureGroups(f, FigureGrouping::Weekday);
  ASSERT_EQ(7u, weekdays.size());
  EXPECT_EQ("1", weekdays[0].key);
  EXPECT_EQ("7", weekdays[6].key);
  const auto hours = FigureGroups(f, FigureGrouping::Hour);
  ASSERT_EQ(24u, hours.size());
  EXPECT_EQ("23", hours[23].key);
  EXPECT_EQ(1u, hours[23].sums.count);
}

TEST(ComputeCallFigures, NumbersNamedByTheBookThenTheRowsThenTheNoNameText) {
  const NameValueList book = NameValueList::FromLines({"stamp", "[Abonents]", "79001=Ann"});
  const CallFigures f = ComputeCallFigures(Rows({
                                               {"2024.03.01", "79001", "Old", "t", "1", "1", "1"},
                                               {"2024.03.01", "79002", "", "t", "1", "1", "1"},
                                               {"2024.03.01", "79002", "Bob", "t", "1", "1", "1"},
                                               {"2024.03.01", "79003", "", "t", "1", "1", "1"},
                                           }),
                                           &book, "NoName");
  ASSERT_EQ(3u, f.numbers.size());
  EXPECT_EQ("Ann", f.numbers[0].name);
  EXPECT_EQ("Bob", f.numbers[1].name);
  EXPECT_EQ("NoName", f.numbers[2].name);
  EXPECT_EQ(2u, f.numbers[1].sums.count);
}

TEST(ComputeCallFigures, NoRowsGiveNoMonthsAndZeroHours) {
  const CallFigures f = ComputeCallFigures(ResultRows(), nullptr, "");
  EXPECT_TRUE(f.months.empty());
  EXPECT_TRUE(f.types.empty());
  EXPECT_EQ(24u, FigureGroups(f, FigureGrouping::Hour).size());
  EXPECT_EQ(Sums(0, 0, 0, 0), f.total);
}

TEST(TopGroups, LargestFirstTiesInOrderOfAppearance) {
  const CallFigures f = Figures({
      {"2024.03.01", "a", "", "t", "10", "1", "5"},
      {"2024.03.01", "b", "", "t", "20", "3", "5"},
      {"2024.03.01", "c", "", "t", "20", "3", "9"},
      {"2024.03.01", "a", "", "t", "10", "1", "0"},
  });
  const auto numbers = FigureGroups(f, FigureGrouping::Number);
  EXPECT_EQ((std::vector<std::string>{"c", "a", "b"}), Keys(TopGroups(numbers, FigureOrder::Cost, 0)));
  EXPECT_EQ((std::vector<std::string>{"b", "c"}), Keys(TopGroups(numbers, FigureOrder::Min, 2)));
  EXPECT_EQ((std::vector<std::string>{"a"}), Keys(TopGroups(numbers, FigureOrder::Count, 1)));
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), Keys(TopGroups(numbers, FigureOrder::Sec, 5)));  // all equal
}

}  // namespace
}  // namespace zvonar
