#include "analysis/ResultRows.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zvonar
