// A no-name number is one whose stored name is empty and that the book
// names under none of the spellings FindAbonentName tries. Its book line is
// "number=placeholder"; a short town number is written with the country
// and town codes in front, the form a bill uses for long numbers.
#include "books/NoNameNumbers.h"

#include "analysis/ResultRows.h"
#include "books/AbonentsBook.h"
#include "import/AbonentLookup.h"
#include "import/TextUtils.h"
#include "store/History.h"
#include "store/Table.h"

namespace zvonar {
namespace {

constexpr std::size_t kLongNumberLength = 8;
constexpr int kNumberField = 2;
constexpr int kAbonentField = 3;
constexpr std::uint32_t kProgressStep = 4096;  // records between progress calls

}  // namespace

std::string NoNameLine(std::string_view number, const NoNameRules& rules) {
  if (number.size() < rules.minLength) return {};
  std::string key;
  if (number.size() < kLongNumberLength && rules.modePhoneCode == 1) key = "+7" + rules.phoneCodeTown;
  key += number;
  return key + "=" + rules.noNameText;
}

void NoNameCollector::Offer(std::string_view number, std::string_view name) {
  if (!name.empty()) return;
  if (!FindAbonentName(number, rules_.phoneCodeTown, rules_.modePhoneCode, *book_).empty()) return;
  std::string line = NoNameLine(number, rules_);
  if (line.empty()) return;
  const std::optional<std::string_view> stored = book_->ValueOf(TextBeforeFirst(line, '='));
  if ((stored && !stored->empty()) || !seen_.insert(line).second) return;
  lines_.push_back(std::move(line));
}

Status CollectNoNamesFromTable(Table* table, NoNameCollector* collector, const ProgressFn& progress) {
  if (!table->IsOpen()) return Status::Ok();
  const TableReadHold read(*table);  // one hold for the whole scan
  if (!read.status().ok()) return read.status();
  const std::uint32_t total = table->RecordCount();
  std::uint32_t done = 0;
  Status s = table->First();
  while (s.ok() && !table->Eof()) {
    collector->Offer(table->FieldText(kNumberField), table->FieldText(kAbonentField));
    if (progress && (++done % kProgressStep == 0 || done == total)) progress(done, total);
    s = table->Next();
  }
  return s;
}

void CollectNoNamesFromRows(const ResultRows& rows, NoNameCollector* collector) {
  for (std::size_t r = 0; r < rows.RowCount(); ++r)
    collector->Offer(rows.Cell(r, kNumberField), rows.Cell(r, kAbonentField));
}

Status AddNoNameLines(const std::string& path, const std::vector<std::string>& lines, std::vector<std::string>* keys,
                      std::size_t* added) {
  std::vector<AbonentEntry> entries;
  entries.reserve(lines.size());
  for (const std::string& line : lines) entries.push_back({TextBeforeFirst(line, '='), TextAfterFirst(line, '=')});
  return SaveUnnamedAbonents(path, entries, keys, added);
}

std::size_t FillNamesInRows(const ResultRows& rows, const NameValueList& book, std::string_view townCode, int mode,
                            ResultRows* filled) {
  ResultRows out;
  std::size_t changed = 0;
  for (std::size_t r = 0; r < rows.RowCount(); ++r) {
    auto cells = rows.Row(r);
    const std::string name = FindAbonentName(cells[kNumberField], townCode, mode, book);
    if (!name.empty() && name != cells[kAbonentField]) {
      cells[kAbonentField] = name;
      ++changed;
    }
    out.Append(cells);
  }
  *filled = std::move(out);
  return changed;
}

Status FillNamesInTable(Table* table, const NameValueList& book, std::string_view townCode, int mode,
                        const ProgressFn& progress, std::uint32_t* changed, LeftRecords* left,
                        const HistoryPlace& history) {
  *changed = 0;
  if (table == nullptr || !table->IsOpen()) return Status::Invalid("the table is not open");
  const auto width = static_cast<std::size_t>(table->Field(kAbonentField).width);
  LeftRecords skipped;
  std::string name;  // the text the rewrite stores, kept until it is encoded
  const FieldRewriteFn fill = [&](FieldRewrite& record) {
    name = FindAbonentName(record.texts[0], townCode, mode, book);
    if (name.size() > width) {
      if (skipped.count++ == 0) skipped = {1, "Abonent", name, static_cast<int>(width)};
    } else if (!name.empty()) {
      record.store[1] = name;
    }
  };
  const std::vector<int> fields = {kNumberField, kAbonentField};
  const Status s = history.dataDir.empty()
                       ? table->RewriteFields(fields, fill, progress, changed)
                       : RecordChange(history, table, kChangeFillNames, {}, [&](const Table::ChangedRecordFn& note) {
                           return table->RewriteFields(fields, fill, progress, changed, note);
                         });
  if (left != nullptr) *left = std::move(skipped);
  return s;
}

}  // namespace zvonar
