#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/ResultRows.h"

namespace zvonar {
namespace {

TEST(ResultRows, KeepsEveryCellIncludingEmptyOnes) {
  ResultRows rows;
  rows.Append({"79001", "2024.03.15 14:30:05", "", "Ann", "1", "", "60", "1", "1.50", "", "1.50", ""});
  rows.Append({"", "", "", "", "", "", "", "", "", "", "", "last"});
  ASSERT_EQ(2u, rows.RowCount());
  EXPECT_EQ("79001", rows.Cell(0, 0));
  EXPECT_EQ("", rows.Cell(0, 2));
  EXPECT_EQ("Ann", rows.Cell(0, 3));
  EXPECT_EQ("", rows.Cell(0, 11));
  EXPECT_EQ("", rows.Cell(1, 0));
  EXPECT_EQ("last", rows.Row(1)[11]);
  rows.Clear();
  EXPECT_TRUE(rows.Empty());
}

// Rows laid out again keep every cell, across the chunks the texts fill,
// through a second reordering and rows appended after.
TEST(ResultRows, ReorderedRowsKeepTheirCells) {
  ResultRows rows;
  std::vector<std::string> owners;
  for (int i = 0; i < 12; ++i) {
    owners.push_back(std::string(1000000 + i, static_cast<char>('a' + i)));  // twelve megabytes: two chunks
    rows.Append({owners.back(), std::to_string(i), "", "", "", "", "", "", "", "", "", "end " + std::to_string(i)});
  }
  LargeVector<std::uint32_t> order;
  for (std::uint32_t i = 12; i-- > 0;) order.push_back(i);
  rows.Reorder(order);
  ASSERT_EQ(12u, rows.RowCount());
  for (std::size_t r = 0; r < 12; ++r) {
    const std::size_t was = 11 - r;
    EXPECT_EQ(owners[was], rows.Cell(r, 0)) << r;
    EXPECT_EQ(std::to_string(was), rows.Cell(r, 1));
    EXPECT_EQ("end " + std::to_string(was), rows.Row(r)[11]);
  }
  // Swapping the first two of the reversed list: rows 11 and 10 trade places.
  order.clear();
  order.push_back(1);
  order.push_back(0);
  for (std::uint32_t i = 2; i < 12; ++i) order.push_back(i);
  rows.Reorder(order);
  EXPECT_EQ("10", rows.Cell(0, 1));
  EXPECT_EQ("11", rows.Cell(1, 1));
  EXPECT_EQ("9", rows.Cell(2, 1));
  rows.Append({"new", "12", "", "", "", "", "", "", "", "", "", "end 12"});
  ASSERT_EQ(13u, rows.RowCount());
  EXPECT_EQ("end 12", rows.Cell(12, 11));
  EXPECT_EQ("end 0", rows.Cell(11, 11));
  const ResultRows copy = rows;
  EXPECT_EQ("10", copy.Cell(0, 1));
  rows.Clear();
  rows.Append({"only", "", "", "", "", "", "", "", "", "", "", "x"});
  EXPECT_EQ("only", rows.Cell(0, 0));
}

}  // namespace
}  // namespace zvonar
