// Sorting the result list by one column. The rows are ordered through an
// index vector and copied once, so a list of a million rows is sorted
// without moving its texts more than once. Amount cells are read once into
// sort keys, not at every comparison.
#include "analysis/ResultOrder.h"

#include <algorithm>
#include <charconv>
#include <numeric>
#include <string_view>
#include <vector>

#include "books/AbonentsBook.h"

namespace zvonar {
namespace {

constexpr int kFirstAmountColumn = 6;  // Sec
constexpr int kLastAmountColumn = 10;  // All

// Where an amount cell sorts: empty cells first, numbers by value, then
// cells that are no number by their text.
enum class AmountRank { Empty, Number, Text };

struct AmountKey {
  AmountRank rank = AmountRank::Empty;
  double value = 0;
};

AmountKey AmountKeyOf(std::string_view text) {
  if (text.empty()) return {};
  const char* first = text.data();
  const char* last = text.data() + text.size();
  double value = 0;
  const auto [end, err] = std::from_chars(first, last, value);
  if (err != std::errc() || end != last) return {AmountRank::Text, 0};
  return {AmountRank::Number, value};
}

}  // namespace

bool IsAmountColumn(int column) {
  return column >= kFirstAmountColumn && column <= kLastAmountColumn;
}

ResultRows SortedByColumn(const ResultRows& rows, int column, bool descending) {
  std::vector<std::size_t> order(rows.RowCount());
  std::iota(order.begin(), order.end(), std::size_t{0});
  // a before b in ascending order.
  auto less = [&rows, column](std::size_t a, std::size_t b) {
    return BookTextLess(rows.Cell(a, column), rows.Cell(b, column));
  };
  std::vector<AmountKey> keys;
  if (IsAmountColumn(column)) {
    keys.reserve(rows.RowCount());
    for (std::size_t r = 0; r < rows.RowCount(); ++r) keys.push_back(AmountKeyOf(rows.Cell(r, column)));
  }
  auto amountLess = [&](std::size_t a, std::size_t b) {
    const AmountKey& ka = keys[a];
    const AmountKey& kb = keys[b];
    if (ka.rank != kb.rank) return ka.rank < kb.rank;
    if (ka.rank == AmountRank::Number) return ka.value < kb.value;
    return ka.rank == AmountRank::Text && less(a, b);
  };
  // Descending swaps the operands, so that equal rows still keep their order.
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (descending) std::swap(a, b);
    return keys.empty() ? less(a, b) : amountLess(a, b);
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
