#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/ResultOrder.h"

namespace zvonar {
namespace {

// A list whose column `column` holds `texts`, row by row; column 1 numbers
// the rows so that their order can be read back.
ResultRows ColumnOf(int column, const std::vector<std::string>& texts) {
  ResultRows rows;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    std::array<std::string_view, kResultColumns> cells{};
    const std::string n = std::to_string(i);
    cells[1] = n;
    cells[static_cast<std::size_t>(column)] = texts[i];
    rows.Append(cells);
  }
  return rows;
}

std::vector<std::string> Column(const ResultRows& rows, int column) {
  std::vector<std::string> texts;
  for (std::size_t r = 0; r < rows.RowCount(); ++r) texts.emplace_back(rows.Cell(r, column));
  return texts;
}

TEST(SortedByColumn, ComparesTextColumnsAsText) {
  // The number column is text: "10" before "9".
  EXPECT_EQ((std::vector<std::string>{"10", "5", "9"}), Column(SortedByColumn(ColumnOf(2, {"5", "10", "9"}), 2), 2));
  // Year-first date-times sort by time; a text before the longer one it begins.
  EXPECT_EQ((std::vector<std::string>{"2008.03.01", "2008.03.01 10:00:00", "2008.12.31 09:00:00"}),
            Column(SortedByColumn(ColumnOf(1, {"2008.12.31 09:00:00", "2008.03.01 10:00:00", "2008.03.01"}), 1), 1));
  // Column 0 is the owner.
  EXPECT_EQ((std::vector<std::string>{"79001", "79002"}),
            Column(SortedByColumn(ColumnOf(0, {"79002", "79001"}), 0), 0));
}

TEST(SortedByColumn, ComparesAmountsByValue) {
  // Sec, Min, Cost, MTP and All: an empty cell lowest, then the numbers by
  // value (negative refunds included), then what is no number, as text.
  for (int column = 6; column <= 10; ++column) {
    const ResultRows rows = ColumnOf(column, {"120", "15", "n/a", "", "20", "-3.50", "310", "45", "1O", "0.5"});
    EXPECT_EQ((std::vector<std::string>{"", "-3.50", "0.5", "15", "20", "45", "120", "310", "1O", "n/a"}),
              Column(SortedByColumn(rows, column), column))
        << column;
  }
  // Roaming, after the amounts, is text again.
  EXPECT_EQ((std::vector<std::string>{"10", "9"}), Column(SortedByColumn(ColumnOf(11, {"9", "10"}), 11), 11));
}

TEST(SortedByColumn, DescendingIsTheReverseAndKeepsEqualRowsInOrder) {
  // Column 1 numbers the rows: equal cells keep their row order both ways.
  const ResultRows rows = ColumnOf(8, {"15.00", "", "120", "15", "x"});
  const ResultRows down = SortedByColumn(rows, 8, true);
  EXPECT_EQ((std::vector<std::string>{"x", "120", "15.00", "15", ""}), Column(down, 8));
  EXPECT_EQ((std::vector<std::string>{"4", "2", "0", "3", "1"}), Column(down, 1));
  const ResultRows up = SortedByColumn(rows, 8);
  EXPECT_EQ((std::vector<std::string>{"1", "0", "3", "2", "4"}), Column(up, 1));
  // Text columns reverse too.
  EXPECT_EQ((std::vector<std::string>{"b", "A", "a"}),
            Column(SortedByColumn(ColumnOf(3, {"A", "b", "a"}), 3, true), 3));
}

TEST(SortedByColumn, FoldsOnlyLatinLetters) {
  // "ann" and "ANN" are equal and keep their order; a small Cyrillic letter
  // (code page byte above the capitals) comes after every capital one.
  const ResultRows rows = ColumnOf(3, {"\xE0\xED\xED\xE0", "ann", "Bob", "\xC0\xED\xED\xE0", "ANN", "\xDF"});
  const ResultRows sorted = SortedByColumn(rows, 3);
  EXPECT_EQ((std::vector<std::string>{"ann", "ANN", "Bob", "\xC0\xED\xED\xE0", "\xDF", "\xE0\xED\xED\xE0"}),
            Column(sorted, 3));
  EXPECT_EQ("1", sorted.Cell(0, 1));
  EXPECT_EQ("4", sorted.Cell(1, 1));
  // The other cells travel with their row.
  EXPECT_EQ("0", sorted.Cell(5, 1));
}

TEST(SortedByColumn, LeavesShortListsAsTheyAre) {
  EXPECT_TRUE(SortedByColumn(ResultRows(), 4).Empty());
  EXPECT_EQ((std::vector<std::string>{"x"}), Column(SortedByColumn(ColumnOf(4, {"x"}), 4), 4));
}

}  // namespace
}  // namespace zvonar
