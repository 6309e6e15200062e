// Sorting the result list by one column. The rows are ordered through an
// index vector and copied once, so a list of a million rows is sorted
// without moving its texts more than once.
#include "analysis/ResultOrder.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "books/AbonentsBook.h"

namespace zvonar {

ResultRows SortedByColumn(const ResultRows& rows, int column) {
  std::vector<std::size_t> order(rows.RowCount());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&rows, column](std::size_t a, std::size_t b) {
    return BookTextLess(rows.Cell(a, column), rows.Cell(b, column));
  });
  ResultRows sorted;
  std::size_t bytes = 0;
  for (std::size_t r = 0; r < rows.RowCount(); ++r)
    for (int c = 0; c < kResultColumns; ++c) bytes += rows.Cell(r, c).size();
  sorted.Reserve(rows.RowCount(), bytes);
  for (std::size_t r : order) sorted.Append(rows.Row(r));
  return sorted;
}

}  // namespace zvonar
