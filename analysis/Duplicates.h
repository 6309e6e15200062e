// Equal records already in the table: calls imported twice before the
// import learned to skip them, or kept on purpose. The records a filter
// finds are grouped by the call they stand for (the same Owner, DateTime,
// Number, Sec and Cost, and Code unless one has none); the window lists
// the groups and deletes all but the first record of each, as one change of
// the history that one undo takes back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/FilterEngine.h"
#include "analysis/ResultRows.h"
#include "base/Progress.h"
#include "base/Status.h"
#include "store/History.h"

namespace zvonar {

class Table;

struct DuplicateGroups {
  FilterOutcome outcome = FilterOutcome::Done;
  std::string error;  // why the filter failed, for FilterOutcome::Failed
  // The records of every group, group after group; in a group, in the
  // order they were added. Groups come in date-time order.
  ResultRows rows;
  std::vector<std::uint32_t> recnos;  // the record number of each row
  std::vector<std::size_t> starts;    // the first row of each group

  std::size_t GroupCount() const { return starts.size(); }
  // Rows of group `g`: from starts[g] to GroupEnd(g), exclusive.
  std::size_t GroupEnd(std::size_t g) const { return g + 1 < starts.size() ? starts[g + 1] : recnos.size(); }
  // Records beyond the first of their group: what DeleteDuplicates deletes.
  std::size_t Extra() const { return recnos.size() - starts.size(); }
};

// Runs the filter of `criteria` over `table` (in the order ApplyFilterIndexRule
// chose) and groups the records it finds that are the same call. Records of
// the same Owner, DateTime, Number, Sec and Cost whose codes differ are
// groups of their own; one without a code joins the earliest of them.
// `progress` as RunFilter's.
void FindDuplicates(Table* table, const FilterCriteria& criteria, const ProgressFn& progress, DuplicateGroups* groups);

// Deletes every record of `groups` but the first of each group, as one
// change of kind "delete" in the history of `place`. A record that no longer
// holds the call it was found with is left alone. The table's active index
// is restored. `deleted` counts the records deleted.
Status DeleteDuplicates(const HistoryPlace& place, Table* table, const DuplicateGroups& groups, std::uint32_t* deleted);

}  // namespace zvonar
