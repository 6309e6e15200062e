// Both versions read each record once: five sums and four frequency tables
// at a time. The frequency tables count in first-appearance order, so the
// result is the one a separate walk per column would give.
#include "analysis/ActivityCounts.h"

#include "analysis/FilterStatistic.h"
#include "import/NameValueList.h"
#include "import/TextUtils.h"
#include "store/DetalTable.h"
#include "store/Table.h"

namespace zvonar {
namespace {

// Columns (= table fields) the counts read.
constexpr int kNumber = 2, kAbonent = 3, kCode = 4, kType = 5, kFirstSum = 6, kRoaming = 11;
constexpr int kSums = 5;  // Sec, Min, Cost, MTP, All

std::uint64_t FoldedHash(std::string_view value) {
  std::uint64_t h = 14695981039346656037ull;  // FNV-1a
  for (char ch : value) h = (h ^ static_cast<unsigned char>(LowerCharRu(ch))) * 1099511628211ull;
  return h;
}

bool SameFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && LowerCharRu(a[i]) != LowerCharRu(b[i])) return false;
  return true;
}

class Counter {
 public:
  // Numbers are nearly all distinct in a large table, so their table is
  // sized for every row at once; codes, types and roaming texts are few.
  explicit Counter(std::size_t rows) { number_.Reserve(rows); }

  // Takes one row's texts by column; fails on a sum column without a number.
  template <typename CellFn>
  Status Add(const CellFn& cell) {
    for (int k = 0; k < kSums; ++k) {
      const Status s = AddAmount(cell(kFirstSum + k), &sums_[k]);
      if (!s.ok()) return s;
    }
    number_.Add(cell(kNumber));
    code_.Add(cell(kCode));
    type_.Add(cell(kType));
    roaming_.Add(cell(kRoaming));
    return Status::Ok();
  }

  void WriteTo(const NameValueList* book, CountsRow* row) const {
    for (int k = 0; k < kSums; ++k) (*row)[static_cast<std::size_t>(kFirstSum + k)] = FormatGeneral(sums_[k]);
    const std::string number = number_.MostFrequent();
    (*row)[kNumber] = number;
    (*row)[kCode] = code_.MostFrequent();
    (*row)[kType] = type_.MostFrequent();
    (*row)[kRoaming] = roaming_.MostFrequent();
    if (book != nullptr && !number.empty()) {
      const std::string name = book->Values(number);
      if (!name.empty()) (*row)[kAbonent] = name;
    }
  }

 private:
  double sums_[kSums] = {0, 0, 0, 0, 0};
  FrequencyTable number_, code_, type_, roaming_;
};

}  // namespace

std::string_view FrequencyTable::Value(std::size_t i) const {
  const std::uint64_t end = i + 1 < start_.size() ? start_[i + 1] : text_.size();
  return std::string_view(text_).substr(start_[i], end - start_[i]);
}

void FrequencyTable::Reserve(std::size_t values) {
  std::size_t slots = 1024;
  while (slots < values * 2) slots *= 2;
  if (slots > slots_.size()) Grow(slots);
  start_.reserve(values);
  hash_.reserve(values);
  count_.reserve(values);
}

void FrequencyTable::Grow(std::size_t size) {
  LargeVector<std::uint32_t> slots(size, 0);
  const std::size_t mask = slots.size() - 1;
  for (std::size_t i = 0; i < hash_.size(); ++i) {
    std::size_t at = hash_[i] & mask;
    while (slots[at] != 0) at = (at + 1) & mask;
    slots[at] = static_cast<std::uint32_t>(i + 1);
  }
  slots_ = std::move(slots);
}

void FrequencyTable::Add(std::string_view value) {
  if (value.empty()) return;
  if ((hash_.size() + 1) * 2 > slots_.size()) Grow(slots_.empty() ? 1024 : slots_.size() * 2);
  const std::uint64_t hash = FoldedHash(value);
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  for (; slots_[at] != 0; at = (at + 1) & mask) {
    const std::size_t i = slots_[at] - 1;
    if (hash_[i] == hash && SameFolded(Value(i), value)) {
      ++count_[i];
      return;
    }
  }
  slots_[at] = static_cast<std::uint32_t>(hash_.size() + 1);
  start_.push_back(text_.size());
  text_.append(value);
  hash_.push_back(hash);
  count_.push_back(1);
}

std::string FrequencyTable::MostFrequent() const {
  std::uint32_t best = 0;
  std::size_t result = count_.size();
  for (std::size_t i = 0; i < count_.size(); ++i) {
    if (count_[i] > best) {
      best = count_[i];
      result = i;
    }
  }
  return result < count_.size() ? std::string(Value(result)) : std::string();
}

Status CountActivityInRows(const ResultRows& rows, const NameValueList* book, CountsRow* row) {
  Counter counter(rows.RowCount());
  for (std::size_t r = 0; r < rows.RowCount(); ++r) {
    const Status s = counter.Add([&](int column) { return rows.Cell(r, column); });
    if (!s.ok()) return s;
  }
  counter.WriteTo(book, row);
  return Status::Ok();
}

Status CountActivityInTable(Table* table, const NameValueList* book, CountsRow* row) {
  const TableReadHold read(*table);  // one hold for the whole count
  if (!read.status().ok()) return read.status();
  Counter counter(table->RecordCount());
  // The counted fields are texts, read in place in the current record.
  char unused[kResultColumns][kDateTimeTextMax];
  for (Status m = table->First(); !table->Eof() && table->RecordCount() > 0; m = table->Next()) {
    if (!m.ok()) return m;
    const Status s = counter.Add([&](int column) { return table->FieldView(column, unused[column]); });
    if (!s.ok()) return s;
  }
  counter.WriteTo(book, row);
  return Status::Ok();
}

}  // namespace zvonar
