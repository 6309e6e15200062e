// Equal records are found by sorting the filter's rows on the fields that
// make a call (DateTime first, so the groups come in date-time order, then
// the record number) and cutting the runs of equal calls into groups by
// their codes. Deleting walks the DateTime index to each record to delete
// to make sure it is still the one found, then marks them all at once.
#include "analysis/Duplicates.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <span>

#include "store/DetalTable.h"
#include "store/Table.h"

namespace zvonar {
namespace {

constexpr std::array<int, 5> kCallFields = {kDateTimeField, kOwnerField, kNumberField, kSecField, kCostField};

// The current record of `table` holds exactly the texts of `row`.
bool HoldsRow(const Table& table, const std::array<std::string_view, kResultColumns>& row) {
  char dateText[kDateTimeTextMax];
  for (int field = 0; field < kResultColumns; ++field)
    if (table.FieldView(field, dateText) != row[static_cast<std::size_t>(field)]) return false;
  return true;
}

// Adds the groups of one run of rows with the same call, in record order:
// a group per code, the rows without a code joining the first.
void AddGroups(const ResultRows& rows, const std::vector<std::uint32_t>& recnos, std::span<const std::size_t> run,
               DuplicateGroups* groups) {
  std::vector<std::vector<std::size_t>> byCode;
  std::vector<std::size_t> codeless;
  for (std::size_t row : run) {
    const std::string_view code = rows.Cell(row, kCodeField);
    if (code.empty()) {
      codeless.push_back(row);
      continue;
    }
    auto same = std::find_if(byCode.begin(), byCode.end(), [&](const std::vector<std::size_t>& g) {
      return rows.Cell(g.front(), kCodeField) == code;
    });
    if (same == byCode.end()) same = byCode.emplace(byCode.end());
    same->push_back(row);
  }
  if (byCode.empty()) byCode.emplace_back();
  byCode.front().insert(byCode.front().end(), codeless.begin(), codeless.end());
  std::sort(byCode.front().begin(), byCode.front().end(),
            [&](std::size_t a, std::size_t b) { return recnos[a] < recnos[b]; });
  for (const std::vector<std::size_t>& group : byCode) {
    if (group.size() < 2) continue;
    groups->starts.push_back(groups->recnos.size());
    for (std::size_t row : group) {
      groups->rows.Append(rows.Row(row));
      groups->recnos.push_back(recnos[row]);
    }
  }
}

}  // namespace

void FindDuplicates(Table* table, const FilterCriteria& criteria, const ProgressFn& progress, DuplicateGroups* groups) {
  *groups = DuplicateGroups();
  FilterResult found;
  std::vector<std::uint32_t> recnos;
  RunFilter(table, criteria, progress, &found, &recnos);
  groups->outcome = found.outcome;
  groups->error = found.error;
  const ResultRows& rows = found.rows;
  const auto sameCall = [&](std::size_t a, std::size_t b) {
    for (int field : kCallFields)
      if (rows.Cell(a, field) != rows.Cell(b, field)) return false;
    return true;
  };
  std::vector<std::size_t> order(rows.RowCount());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    for (int field : kCallFields) {
      const int c = rows.Cell(a, field).compare(rows.Cell(b, field));
      if (c != 0) return c < 0;
    }
    return recnos[a] < recnos[b];
  });
  for (std::size_t from = 0; from < order.size();) {
    std::size_t to = from + 1;
    while (to < order.size() && sameCall(order[from], order[to])) ++to;
    if (to - from > 1) AddGroups(rows, recnos, std::span(order).subspan(from, to - from), groups);
    from = to;
  }
}

Status DeleteDuplicates(const HistoryPlace& place, Table* table, const DuplicateGroups& groups,
                        std::uint32_t* deleted) {
  *deleted = 0;
  std::vector<std::size_t> doomed;  // rows, in record order
  for (std::size_t g = 0; g < groups.GroupCount(); ++g)
    for (std::size_t row = groups.starts[g] + 1; row < groups.GroupEnd(g); ++row) doomed.push_back(row);
  if (doomed.empty()) return Status::Ok();
  std::sort(doomed.begin(), doomed.end(),
            [&](std::size_t a, std::size_t b) { return groups.recnos[a] < groups.recnos[b]; });
  const std::string before = table->ActiveIndex();
  Status s = table->SetActiveIndex(kDateTimeIndex);
  if (!s.ok()) return s;
  s = RecordChange(place, table, kChangeDelete, {}, [&](const Table::ChangedRecordFn& note) {
    // The records that still hold what was found, in record order.
    std::vector<std::uint32_t> sure;
    char dateText[kDateTimeTextMax];
    for (std::size_t row : doomed) {
      const std::uint32_t recno = groups.recnos[row];
      const std::array<std::string_view, kResultColumns> cells = groups.rows.Row(row);
      Status moved = table->FindNearest(cells[kDateTimeField]);
      while (moved.ok() && !table->Eof() && table->RecNo() != recno &&
             table->FieldView(kDateTimeField, dateText) == cells[kDateTimeField])
        moved = table->Next();
      if (!moved.ok()) return moved;
      if (table->RecNo() == recno && HoldsRow(*table, cells)) sure.push_back(recno);
    }
    if (sure.empty()) return Status::Ok();
    // Each record's bytes go to the history before any is marked; then all
    // are marked in one pass, the index sorted once.
    Status noted;
    std::vector<std::uint32_t> marked;
    Status visited = table->VisitRecords(sure.front(), sure.back(), [&](std::uint32_t recno, std::string_view record) {
      if (!noted.ok() || !std::binary_search(sure.begin(), sure.end(), recno)) return;
      std::string after(record);
      after[0] = kDeletedFlag;
      noted = note(recno, record, after);
      if (noted.ok()) marked.push_back(recno);
    });
    if (visited.ok()) visited = noted;
    if (marked.empty()) return visited;
    const Status marks = table->DeleteRecords(
        marked.front(), marked.back(),
        [&](std::uint32_t recno, std::string_view) { return std::binary_search(marked.begin(), marked.end(), recno); },
        deleted);
    return visited.ok() ? marks : visited;
  });
  const Status back = table->SetActiveIndex(before);
  return s.ok() ? back : s;
}

}  // namespace zvonar
