// One filter run: optional start by key (begin date or owner), then for each
// record nine match flags (owner, date, operator code, number, code, type,
// calls, SMS, MMS); Exclude flips the flags of all but owner and date, and a
// record passes when every criterion's check state equals its flag.
//
// The scan stops early where no later record in the active order can pass:
// after the wanted owner's block in the Owner order, and past the end date in
// the DateTime order. The rows are exactly those of a scan to the end.
#include "analysis/FilterEngine.h"

#include <algorithm>
#include <functional>

#include "import/TextUtils.h"
#include "store/DetalTable.h"
#include "store/Table.h"

namespace zvonar {
namespace {

// The ten digits after the country prefix of an 11- or 12-character number;
// the number itself otherwise.
std::string_view NationalForm(std::string_view n) {
  if (n.size() == 11) return n.substr(1, 10);
  if (n.size() == 12) return n.substr(2, 10);
  return n;
}

std::string_view Tail(std::string_view s, std::size_t count) {
  return s.substr(s.size() - std::min(count, s.size()));
}

bool OperatorCodeMatches(std::string_view code, std::string_view number, std::string_view townCode) {
  if (number.find(code) != std::string_view::npos) {
    std::string_view slice;
    if (number.size() == 10)
      slice = number.substr(0, 3);
    else if (number.size() == 11)
      slice = number.substr(1, 3);
    else if (number.size() == 12)
      slice = number.substr(2, 3);
    return slice == code;
  }
  // A local number: the code must be the town's own.
  return (number.size() == 6 || number.size() == 7) && townCode.find(code) != std::string_view::npos;
}

// A short number on either side matches as a tail of the other; two long
// numbers match on their national forms. An empty number matches no filter.
bool NumberMatches(std::string_view filter, std::string_view number) {
  if (number.empty()) return filter.empty();
  const std::size_t nl = filter.size();
  const std::size_t rl = number.size();
  const std::string_view fk = nl == 10 ? filter : NationalForm(filter);
  if (rl > nl) return nl >= 10 ? NationalForm(number) == fk : Tail(number, nl) == filter;
  return rl >= 10 ? NationalForm(number) == fk : Tail(filter, rl) == number;
}

// The texts of the current record, each looked at in the record's bytes at
// most once, without a copy; valid until the table moves on.
class RecordTexts {
 public:
  explicit RecordTexts(const Table* table) : table_(table) {}
  void Reset() { read_.fill(false); }
  std::string_view Get(int field) {
    const auto f = static_cast<std::size_t>(field);
    if (!read_[f]) {
      texts_[f] = table_->FieldView(field, dateTexts_[f]);
      read_[f] = true;
    }
    return texts_[f];
  }

 private:
  const Table* table_;
  std::array<std::string_view, kResultColumns> texts_;
  std::array<bool, kResultColumns> read_{};
  char dateTexts_[kResultColumns][kDateTimeTextMax];
};

// Index names compare without regard to letter case, as the index file
// keeps them in capitals.
bool IsIndex(const Table& table, std::string_view name) {
  return LowerTextRu(table.ActiveIndex()) == LowerTextRu(name);
}

}  // namespace

std::string FormatCalendarDate(const CalendarDate& d) {
  char text[16];
  const auto two = [](int v, char* at) {
    at[0] = static_cast<char>('0' + v / 10 % 10);
    at[1] = static_cast<char>('0' + v % 10);
  };
  two(d.year / 100, text);
  two(d.year % 100, text + 2);
  text[4] = '.';
  two(d.month, text + 5);
  text[7] = '.';
  two(d.day, text + 8);
  return std::string(text, 10);
}

std::vector<std::string> ServiceKindList(std::string_view setting) {
  std::vector<std::string> list;
  std::size_t start = 0;
  while (start <= setting.size()) {
    const std::size_t hash = setting.find('#', start);
    const std::size_t end = hash == std::string_view::npos ? setting.size() : hash;
    if (end > start) list.emplace_back(setting.substr(start, end - start));
    if (hash == std::string_view::npos) break;
    start = hash + 1;
  }
  return list;
}

ServiceKind::ServiceKind(std::string_view setting) {
  for (const std::string& item : ServiceKindList(setting)) folded_.push_back(LowerCharsRu(item));
}

bool ServiceKind::Holds(std::string_view text) const {
  if (text.empty()) return false;
  const std::string folded = LowerCharsRu(text);
  for (const std::string& item : folded_)
    if (HasWholeWord(item, folded)) return true;
  return false;
}

Status ApplyFilterIndexRule(Table* table, bool forceDateIndex, bool dateTicked) {
  if (!table->IsOpen() || table->IndexNames().empty()) return Status::Ok();
  const char* wanted = !forceDateIndex && !dateTicked ? kOwnerIndex : kDateTimeIndex;
  if (IsIndex(*table, wanted)) return Status::Ok();
  return table->SetActiveIndex(wanted);
}

FilterOutcome CheckFilterRun(const Table& table, const FilterCriteria& c) {
  if (table.IndexNames().empty()) return FilterOutcome::NoIndexes;
  if ((c.operCode && c.operCodeText.empty()) || (c.number && c.numberText.empty()) || (c.code && c.codeText.empty()) ||
      (c.type && c.typeText.empty()))
    return FilterOutcome::SilentStop;
  return FilterOutcome::Done;
}

namespace {

// Takes a row the scan keeps; false stops the scan there.
using KeepRow = std::function<bool(const FilterRow&)>;

// The scan of RunFilter, each kept row given to `keep`; *stopped tells
// whether `keep` stopped it.
void Scan(Table* table, const FilterCriteria& c, const ProgressFn& progress, const KeepRow& keep, FilterResult* result,
          bool* stopped = nullptr) {
  if (stopped != nullptr) *stopped = false;
  result->rows.Clear();
  result->error.clear();
  result->baseNotCreated = table->FieldCount() < kDetalFieldCount;
  result->outcome = CheckFilterRun(*table, c);
  if (result->outcome != FilterOutcome::Done) return;
  // One hold of the table for the whole run, not one per record.
  const TableReadHold read(*table);
  if (!read.status().ok()) {
    result->outcome = FilterOutcome::Failed;
    result->error = read.status().message();
    return;
  }
  ServiceKind calls(c.callsId), sms(c.smsId), mms(c.mmsId);
  const std::string beginText = FormatCalendarDate(c.dateBegin);
  const std::string endText = FormatCalendarDate(c.dateEnd);
  const bool ownerOrder = IsIndex(*table, kOwnerIndex);
  const bool dateOrder = IsIndex(*table, kDateTimeIndex);

  const auto fail = [&](const Status& s) {
    result->outcome = FilterOutcome::Failed;
    result->error = s.message();
    (void)table->Last();
  };
  Status s = table->First();
  if (!s.ok()) return fail(s);
  if (!c.simpleDbf && (c.owner || c.date)) {
    // A failed positioning leaves the scan where the table stands.
    if (c.date)
      (void)table->FindNearest(beginText);
    else if (!c.ownerText.empty())
      (void)table->FindNearest(c.ownerText);
  }

  const int64_t total = table->RecordCount();
  bool ownerSeen = false;
  RecordTexts r(table);
  while (!table->Eof() && table->RecordCount() > 0) {
    if (progress) progress(table->RecNo(), total);
    r.Reset();
    bool pass = c.null || r.Get(kCostField) != "0.00" || r.Get(kAllField) != "0.00";
    if (pass) {
      bool ownerFlag = false;
      if (c.owner) {
        ownerFlag = r.Get(kOwnerField) == c.ownerText;
        if (!c.date) {
          if (ownerFlag)
            ownerSeen = true;
          else if (ownerSeen && ownerOrder)
            break;  // past the owner's block
        }
      }
      pass = c.owner == ownerFlag;
    }
    if (pass && c.date) {
      const std::string_view day = r.Get(kDateTimeField).substr(0, 10);
      if (dateOrder && day > endText) break;  // every later record is later still
      pass = day >= beginText && day <= endText;
    }
    if (pass && c.operCode)
      pass = OperatorCodeMatches(c.operCodeText, r.Get(kNumberField), c.phoneCodeTown) != c.exclude;
    if (pass && c.number) pass = NumberMatches(c.numberText, r.Get(kNumberField)) != c.exclude;
    if (pass && c.code) pass = (r.Get(kCodeField) == c.codeText) != c.exclude;
    if (pass && c.type) pass = (r.Get(kTypeField) == c.typeText) != c.exclude;
    if (pass && c.calls) {
      const std::string_view code = r.Get(kCodeField);
      pass = (calls.Holds(r.Get(kTypeField)) && (code.empty() || calls.Holds(code))) != c.exclude;
    }
    if (pass && c.sms) pass = (sms.Holds(r.Get(kTypeField)) && sms.Holds(r.Get(kCodeField))) != c.exclude;
    if (pass && c.mms) pass = mms.Holds(r.Get(kTypeField)) != c.exclude;
    if (pass && !keep({r.Get(0), r.Get(1), r.Get(2), r.Get(3), r.Get(4), r.Get(5), r.Get(6), r.Get(7), r.Get(8),
                       r.Get(9), r.Get(10), r.Get(11)})) {
      if (stopped != nullptr) *stopped = true;
      return;
    }
    s = table->Next();
    if (!s.ok()) return fail(s);
  }
  if (total > 0) {
    s = table->Last();
    if (!s.ok()) return fail(s);
  }
  result->outcome = FilterOutcome::Done;
}

// Rows a run in file order gathers before it gives way to the walk in the
// active order, when its order keys are too long to sort as two numbers.
constexpr std::size_t kFileOrderRows = 65536;

// A row found in file order, with its place in the active order: the order
// key and the record number after it, as big-endian numbers.
struct Place {
  std::uint64_t high = 0, low = 0;
  std::uint32_t row = 0, recno = 0;
  bool operator<(const Place& other) const { return high != other.high ? high < other.high : low < other.low; }
};

Place PlaceOf(std::string_view key, std::uint32_t row, std::uint32_t recno) {
  Place p{0, 0, row, recno};
  for (std::size_t i = 0; i < 16; ++i) {
    const std::uint64_t byte = i < key.size() ? static_cast<unsigned char>(key[i]) : 0;
    (i < 8 ? p.high : p.low) |= byte << (56 - 8 * (i % 8));
  }
  return p;
}

// A run with no owner or date to start from visits every record. It then
// reads the records in file order, one pass through the file instead of a
// walk through the index, and lays the rows found out in the active order
// after: the same rows in the same order. False, with nothing kept, when
// the run does not qualify, or finds too many rows to sort by longer keys.
bool RunInFileOrder(Table* table, const FilterCriteria& c, const ProgressFn& progress, FilterResult* result,
                    std::vector<std::uint32_t>* recnos) {
  const std::string order = table->ActiveIndex();
  if (order.empty() || (c.owner && !c.simpleDbf) || (c.date && !c.simpleDbf) ||
      CheckFilterRun(*table, c) != FilterOutcome::Done)
    return false;
  // Keys of up to twelve bytes (owner numbers, date-times) and the record
  // number fit in two numbers, which sort fast at any count.
  const bool numeric = table->OrderKey(order).size() <= 16;
  if (!table->SetActiveIndex("").ok()) return false;
  ResultRows found;
  LargeVector<Place> numbered;
  struct Found {
    std::string place;  // in the active order
    std::uint32_t row = 0, recno = 0;
    bool operator<(const Found& other) const { return place < other.place; }
  };
  std::vector<Found> places;
  const KeepRow keep = [&](const FilterRow& row) {
    const std::uint32_t n = static_cast<std::uint32_t>(numeric ? numbered.size() : places.size());
    if (numeric)
      numbered.push_back(PlaceOf(table->OrderKey(order), n, table->RecNo()));
    else if (places.size() < kFileOrderRows)
      places.push_back({table->OrderKey(order), n, table->RecNo()});
    else
      return false;
    found.Append(row);
    return true;
  };
  bool stopped = false;
  Scan(table, c, progress, keep, result, &stopped);
  const Status back = table->SetActiveIndex(order);
  if (!back.ok()) {
    result->outcome = FilterOutcome::Failed;
    result->error = back.message();
  } else if (stopped) {
    return false;
  }
  LargeVector<std::uint32_t> laidOut;
  if (numeric) {
    std::sort(numbered.begin(), numbered.end());
    laidOut.reserve(numbered.size());
    for (const Place& p : numbered) {
      laidOut.push_back(p.row);
      if (recnos != nullptr) recnos->push_back(p.recno);
    }
  } else {
    std::sort(places.begin(), places.end());
    laidOut.reserve(places.size());
    for (const Found& f : places) {
      laidOut.push_back(f.row);
      if (recnos != nullptr) recnos->push_back(f.recno);
    }
  }
  result->rows = std::move(found);
  result->rows.Reorder(std::move(laidOut));
  // The walk in the active order ends on its last record: so does this run.
  if (back.ok() && result->outcome == FilterOutcome::Done && table->RecordCount() > 0) {
    const Status s = table->Last();
    if (!s.ok()) {
      result->outcome = FilterOutcome::Failed;
      result->error = s.message();
    }
  }
  return true;
}

}  // namespace

void RunFilter(Table* table, const FilterCriteria& c, const ProgressFn& progress, FilterResult* result,
               std::vector<std::uint32_t>* recnos) {
  if (recnos != nullptr) recnos->clear();
  if (RunInFileOrder(table, c, progress, result, recnos)) return;
  if (recnos != nullptr) recnos->clear();
  const KeepRow keep = [table, result, recnos](const FilterRow& row) {
    result->rows.Append(row);
    if (recnos != nullptr) recnos->push_back(table->RecNo());
    return true;
  };
  Scan(table, c, progress, keep, result);
}

void RunFilterInto(Table* table, const FilterCriteria& c, const FilterRowSink& sink, FilterResult* result) {
  Scan(
      table, c, nullptr,
      [&sink](const FilterRow& row) {
        sink(row);
        return true;
      },
      result);
}

}  // namespace zvonar
