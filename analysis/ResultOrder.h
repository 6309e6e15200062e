// The order of the result list after a click on a column header.
#pragma once

#include "analysis/ResultRows.h"

namespace zvonar {

// True for the columns whose texts are amounts: Sec, Min, Cost, MTP, All.
bool IsAmountColumn(int column);

// `rows` sorted by `column` (0 = Owner), ascending or, with `descending`,
// in exactly the reverse order. Amount columns compare by value: an empty
// cell lowest, then the numbers, then cells that are no number, among
// themselves as text. Every other column compares as text: Latin letters
// without regard to case, every other character by its code page 1251
// code, a text before every longer text it begins. Rows with equal cells
// keep their order either way.
ResultRows SortedByColumn(const ResultRows& rows, int column, bool descending = false);

}  // namespace zvonar
