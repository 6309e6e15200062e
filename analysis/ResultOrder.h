// The order of the result list after a click on a column header.
#pragma once

#include "analysis/ResultRows.h"

namespace zvonar {

// `rows` sorted ascending by the texts of `column` (0 = Owner): Latin
// letters without regard to case, every other character by its code page
// 1251 code, a text before every longer text it begins. Every column
// compares as text, so "10" comes before "9". Rows with equal texts keep
// their order.
ResultRows SortedByColumn(const ResultRows& rows, int column);

}  // namespace zvonar
