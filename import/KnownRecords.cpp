// The bill's records are kept as (date-time, hash of the call's texts, hash
// of its code) and sorted by date-time. The table is then walked in its
// DateTime order from the bill's first date-time: within a few records the
// walk steps on, farther it seeks with FindNearest, so that a short bill in
// a large table costs a handful of seeks and a long bill one pass over its
// own period. Texts are compared as stored: cut to their field and without
// trailing blanks.
#include "import/KnownRecords.h"

#include <xxhash.h>

#include <algorithm>

#include "store/DateTimeField.h"
#include "store/DetalTable.h"

namespace zvonar {
namespace {

// Within this many records ahead the walk steps on instead of seeking.
constexpr int kStepsBeforeSeek = 16;

constexpr char kSeparator = '\x1f';

std::string_view WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::uint64_t CallHash(std::string_view owner, std::string_view number, std::string_view sec, std::string_view cost,
                       std::string* buffer) {
  buffer->assign(owner);
  for (std::string_view text : {number, sec, cost}) {
    buffer->push_back(kSeparator);
    buffer->append(text);
  }
  return XXH3_64bits(buffer->data(), buffer->size());
}

// 0 stands for no code, so a code's hash is never 0.
std::uint64_t CodeHash(std::string_view code) {
  return code.empty() ? 0 : XXH3_64bits(code.data(), code.size()) | 1;
}

std::string DateTextOf(std::int64_t when) {
  const DateTimeValue value{static_cast<std::int32_t>(when / kMsPerDay), static_cast<std::int32_t>(when % kMsPerDay)};
  return FormatDateTimeText(value);
}

}  // namespace

KnownRecords::KnownRecords(const Table& table) {
  for (int i = 0; i < table.FieldCount(); ++i) widths_.push_back(table.Field(i).width);
}

void KnownRecords::Add(const std::vector<std::string>& fields) {
  const auto ordinal = static_cast<std::uint32_t>(known_.size());
  known_.push_back(false);
  DateTimeValue when;
  if (fields.size() < kDetalFieldCount || widths_.size() < kDetalFieldCount ||
      !ParseDateTimeText(fields[kDateTimeField], &when))
    return;  // a record the table refuses is known to it neither
  const auto stored = [&](int field) {
    const std::string_view text = fields[static_cast<std::size_t>(field)];
    return WithoutTrailingBlanks(text.substr(0, static_cast<std::size_t>(widths_[static_cast<std::size_t>(field)])));
  };
  std::string buffer;
  entries_.push_back(
      Entry{DateTimeOrdinal(when),
            CallHash(stored(kOwnerField), stored(kNumberField), stored(kSecField), stored(kCostField), &buffer),
            CodeHash(stored(kCodeField)), ordinal});
}

Status KnownRecords::Find(Table* table) {
  found_ = KnownRecordsFound();
  found_.records = known_.size();
  std::fill(known_.begin(), known_.end(), false);
  if (entries_.empty() || !table->IsOpen()) return Status::Ok();
  const TableReadHold read(*table);
  if (!read.status().ok()) return read.status();
  if (table->RecordCount() == 0) return Status::Ok();
  const std::string before = table->ActiveIndex();
  const std::uint32_t recno = table->RecNo();
  // Without a DateTime index nothing can be looked up.
  if (!table->SetActiveIndex(kDateTimeIndex).ok()) return Status::Ok();
  const Status s = Walk(table);
  Status back = table->SetActiveIndex(before);
  if (back.ok() && recno > 0) back = table->GoToRecNo(recno);
  return s.ok() ? back : s;
}

Status KnownRecords::Walk(Table* table) {
  std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
    if (a.when != b.when) return a.when < b.when;
    return a.ordinal < b.ordinal;
  });
  char dateText[kDateTimeTextMax];
  char texts[5][kDateTimeTextMax];
  const auto key = [&] { return table->FieldView(kDateTimeField, dateText); };
  std::string buffer;
  std::int64_t firstKnown = 0, lastKnown = 0;
  bool placed = false;
  Status s;
  for (std::size_t from = 0; from < entries_.size();) {
    std::size_t to = from;
    while (to < entries_.size() && entries_[to].when == entries_[from].when) ++to;
    const std::string target = DateTextOf(entries_[from].when);
    int steps = 0;
    while (placed && !table->Eof() && key() < target && steps < kStepsBeforeSeek && s.ok()) {
      s = table->Next();
      ++steps;
    }
    if (s.ok() && (!placed || (!table->Eof() && key() < target))) s = table->FindNearest(target);
    if (!s.ok()) return s;
    placed = true;
    if (table->Eof() && key() < target) break;  // every later date-time of the bill is past the table's last
    while (!table->Eof() && key() == target) {
      const std::uint64_t call =
          CallHash(table->FieldView(kOwnerField, texts[0]), table->FieldView(kNumberField, texts[1]),
                   table->FieldView(kSecField, texts[2]), table->FieldView(kCostField, texts[3]), &buffer);
      if (Match(from, to, call, CodeHash(table->FieldView(kCodeField, texts[4])))) {
        if (found_.known == 1 || entries_[from].when < firstKnown) firstKnown = entries_[from].when;
        if (found_.known == 1 || entries_[from].when > lastKnown) lastKnown = entries_[from].when;
      }
      const std::uint32_t recno = table->RecNo();
      s = table->Next();
      if (!s.ok()) return s;
      if (table->RecNo() == recno) break;  // the last record: Next stayed on it
    }
    from = to;
  }
  if (found_.known > 0) {
    found_.firstDate = DateTextOf(firstKnown).substr(0, 10);
    found_.lastDate = DateTextOf(lastKnown).substr(0, 10);
  }
  return Status::Ok();
}

// Marks the first record of entries [from, to) not yet known with `call`
// and a code that equals `code`, else one whose code or `code` is empty.
bool KnownRecords::Match(std::size_t from, std::size_t to, std::uint64_t call, std::uint64_t code) {
  std::size_t loose = to;
  for (std::size_t i = from; i < to; ++i) {
    const Entry& e = entries_[i];
    if (e.call != call || known_[e.ordinal]) continue;
    if (e.code == code) {
      loose = i;
      break;
    }
    if (loose == to && (e.code == 0 || code == 0)) loose = i;
  }
  if (loose == to) return false;
  known_[entries_[loose].ordinal] = true;
  ++found_.known;
  return true;
}

}  // namespace zvonar
