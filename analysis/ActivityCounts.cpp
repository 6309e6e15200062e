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

std::string Fold(std::string_view value) {
  std::string folded(value);
  for (char& ch : folded) ch = LowerCharRu(ch);
  return folded;
}

class Counter {
 public:
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

void FrequencyTable::Add(std::string_view value) {
  if (value.empty()) return;
  const auto [it, inserted] = indexOf_.try_emplace(Fold(value), values_.size());
  if (inserted) {
    values_.emplace_back(value);
    counts_.push_back(1);
  } else {
    ++counts_[it->second];
  }
}

std::string FrequencyTable::MostFrequent() const {
  std::size_t best = 0;
  std::string result;
  for (std::size_t i = 0; i < values_.size(); ++i) {
    if (counts_[i] > best) {
      best = counts_[i];
      result = values_[i];
    }
  }
  return result;
}

Status CountActivityInRows(const ResultRows& rows, const NameValueList* book, CountsRow* row) {
  Counter counter;
  for (std::size_t r = 0; r < rows.RowCount(); ++r) {
    const Status s = counter.Add([&](int column) { return rows.Cell(r, column); });
    if (!s.ok()) return s;
  }
  counter.WriteTo(book, row);
  return Status::Ok();
}

Status CountActivityInTable(Table* table, const NameValueList* book, CountsRow* row) {
  Counter counter;
  std::array<std::string, kResultColumns> texts;
  for (Status m = table->First(); !table->Eof() && table->RecordCount() > 0; m = table->Next()) {
    if (!m.ok()) return m;
    for (int f : {kNumber, kCode, kType, kFirstSum, kFirstSum + 1, kFirstSum + 2, kFirstSum + 3, kFirstSum + 4,
                  kRoaming})
      texts[static_cast<std::size_t>(f)] = table->FieldText(f);
    const Status s = counter.Add([&](int column) { return std::string_view(texts[static_cast<std::size_t>(column)]); });
    if (!s.ok()) return s;
  }
  counter.WriteTo(book, row);
  return Status::Ok();
}

}  // namespace zvonar
