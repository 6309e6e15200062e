// The filter: walks the detalization table in the order of its active index
// and keeps every record that meets the ticked criteria, as rows of the
// result list. The window and zvonar-cli both run it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ResultRows.h"
#include "base/Progress.h"
#include "base/Status.h"
#include "import/Times.h"

namespace zvonar {

class Table;

inline constexpr char kAnyIndexesNotPresentText[] = "Any Indexes not present";

// The check boxes of the control panel and the values they test.
struct FilterCriteria {
  bool owner = false, date = false, operCode = false, number = false, code = false, type = false;
  bool calls = false, sms = false, mms = false;
  bool null = true;  // records whose Cost and All are "0.00" pass only when set
  bool exclude = false;

  std::string ownerText, operCodeText, numberText, codeText, typeText;
  CalendarDate dateBegin{2000, 1, 1}, dateEnd{2000, 1, 1};

  // Settings the filter reads.
  std::string callsId = "1#2#G#m#M", smsId = "8#9", mmsId = "51#52";
  std::string phoneCodeTown;
  bool simpleDbf = false;
};

enum class FilterOutcome {
  Done,          // the scan ran to its end
  SilentStop,    // a ticked criterion has an empty value box: nothing changed
  NoIndexes,     // the table has no index: "Any Indexes not present"
  Failed,        // an error ended the scan; the rows found so far stay
};

struct FilterResult {
  FilterOutcome outcome = FilterOutcome::Done;
  // The table has fewer than twelve fields (the run goes on).
  bool baseNotCreated = false;
  ResultRows rows;
  // Why the scan failed, for FilterOutcome::Failed.
  std::string error;
};

// Makes the index the filter walks active: Owner, or DateTime when the date
// criterion is ticked or `forceDateIndex` is set. Nothing happens on a table
// without indexes.
Status ApplyFilterIndexRule(Table* table, bool forceDateIndex, bool dateTicked);

// The identifiers of a service-kind setting ("1#2#G#m#M"): the texts between
// "#", empty ones dropped.
std::vector<std::string> ServiceKindList(std::string_view setting);

// A service-kind setting prepared for a scan, its identifiers folded once.
// A record's text is of the kind when it equals an identifier or stands in
// one as a whole word (HasWholeWord), letter case ignored through
// LowerCharRu: "звонок" is of the kind "Исходящий звонок", "1" is not of the
// kind "51". An empty text is of no kind.
class ServiceKind {
 public:
  explicit ServiceKind(std::string_view setting);
  bool Holds(std::string_view text) const;

 private:
  std::vector<std::string> folded_;
};

// Whether a run over `table` may start: NoIndexes for a table without
// indexes, SilentStop when a ticked criterion has an empty value box (owner
// excepted), else Done. Looks at nothing but the criteria and the index list.
FilterOutcome CheckFilterRun(const Table& table, const FilterCriteria& c);

// Runs the filter over `table` in its active order. `progress` is called with
// the current record number and the record count. The table is left at its
// last record, as after a scan to the end. A SilentStop or NoIndexes outcome
// leaves `result->rows` empty and the table untouched. `recnos`, when given,
// gets the record number of each row.
void RunFilter(Table* table, const FilterCriteria& criteria, const ProgressFn& progress, FilterResult* result,
               std::vector<std::uint32_t>* recnos = nullptr);

// The cells of a row the filter keeps, in the columns of the result list.
using FilterRow = std::array<std::string_view, kResultColumns>;
// Takes each row the filter keeps, in scan order; the views last until it
// returns.
using FilterRowSink = std::function<void(const FilterRow&)>;

// As RunFilter, but each row kept goes to `sink` as it is found and
// `result->rows` stays empty, so a run that prints its rows holds none of
// them.
void RunFilterInto(Table* table, const FilterCriteria& criteria, const FilterRowSink& sink, FilterResult* result);

// The text "yyyy.mm.dd" of a calendar date.
std::string FormatCalendarDate(const CalendarDate& date);

}  // namespace zvonar
