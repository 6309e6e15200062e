// The old base lies in the data directory: detalization.dat lists the
// owner numbers, one per line (code page 1251, CR LF), and every owner has
// a file owner.dat in the filtered-list line format, written by the old
// release with or without abonent names.
#include "analysis/OldBase.h"

#include "analysis/ListFiles.h"
#include "base/TextFile.h"
#include "books/CodesTypes.h"
#include "import/AbonentLookup.h"
#include "import/TextUtils.h"
#include "store/DetalTable.h"
#include "store/ImportJournal.h"
#include "store/Table.h"

namespace zvonar {
namespace {

constexpr std::size_t kNumberTail = 10;

// Builds a copy of `rows` in which `change` may replace cells; returns how
// many rows it changed.
template <typename ChangeFn>
std::size_t RewriteRows(ResultRows* rows, ChangeFn change) {
  ResultRows out;
  std::size_t changed = 0;
  std::array<std::string, kResultColumns> owned;
  for (std::size_t r = 0; r < rows->RowCount(); ++r) {
    auto cells = rows->Row(r);
    if (change(&cells, &owned)) ++changed;
    out.Append(cells);
  }
  if (changed > 0) *rows = std::move(out);
  return changed;
}

}  // namespace

Status LoadOldBase(const std::string& programDir, const std::string& ownersPath, const OldBaseOptions& options,
                   const StageFn& stage, const ProgressFn& lineProgress, std::vector<std::string>* owners,
                   ResultRows* rows, bool* ownersRead) {
  if (ownersRead != nullptr) *ownersRead = false;
  if (FileExists(ownersPath)) {
    std::vector<std::string> lines;
    Status s = ReadTextLines(ownersPath, &lines);
    if (!s.ok()) return s;
    *owners = std::move(lines);
    if (ownersRead != nullptr) *ownersRead = true;
  }
  if (owners->empty()) return Status::Ok();
  rows->Clear();
  LoadListOptions load;
  load.clear = false;
  load.lastLines = options.lastLines;
  load.progress = lineProgress;
  const int stages = static_cast<int>(owners->size());
  for (int i = 0; i < stages; ++i) {
    if (stage) stage(i + 1, stages);
    Status s = LoadListFile(programDir, (*owners)[static_cast<std::size_t>(i)], kOldBaseExtension, load, rows);
    if (!s.ok()) return s;
  }
  if (!options.namesInFiles) {
    const std::string bookPath = JoinPath(programDir, "abonents.dat");
    if (FileExists(bookPath)) {
      std::vector<std::string> lines;
      Status s = ReadTextLines(bookPath, &lines);
      if (!s.ok()) return s;
      FillListNames(rows, NameValueList::FromLines(std::move(lines)), options.phoneCodeTown, options.modePhoneCode);
    }
  }
  if (options.fillCodesTypes) {
    const std::string codesPath = CodeTypePath(programDir);
    if (FileExists(codesPath)) {
      std::vector<std::string> lines;
      Status s = ReadTextLines(codesPath, &lines);
      if (!s.ok()) return s;
      ReplaceListCodesTypes(rows, NameValueList::FromLines(std::move(lines)));
    }
  }
  return Status::Ok();
}

std::size_t FillListNames(ResultRows* rows, const NameValueList& book, std::string_view townCode, int mode) {
  return RewriteRows(rows, [&](auto* cells, auto* owned) {
    std::string_view number = (*cells)[kNumberField];
    if (number.empty()) return false;
    std::string name = book.Values(number);
    if (name.empty() && number.front() == 'S' && number.size() >= kNumberTail)
      number = number.substr(number.size() - kNumberTail);
    if (name.empty()) name = FindAbonentName(number, townCode, mode, book);
    if (name.empty() || name == (*cells)[kAbonentField]) return false;
    (*owned)[kAbonentField] = std::move(name);
    (*cells)[kAbonentField] = (*owned)[kAbonentField];
    return true;
  });
}

std::size_t ReplaceListCodesTypes(ResultRows* rows, const NameValueList& codeTypes) {
  return RewriteRows(rows, [&](auto* cells, auto* owned) {
    bool changed = false;
    for (std::size_t field : {std::size_t{kCodeField}, std::size_t{kTypeField}}) {
      const std::string_view text = (*cells)[field];
      if (text.empty()) continue;
      std::string indication = codeTypes.Values(CodeTypeKey(text));
      if (indication.empty() || indication == text) continue;
      (*owned)[field] = std::move(indication);
      (*cells)[field] = (*owned)[field];
      changed = true;
    }
    return changed;
  });
}

namespace {

// The fingerprint the journal gives an old base: of its rows' texts.
std::string OldBaseFingerprint(const ResultRows& rows) {
  FingerprintBuilder builder;
  for (std::size_t r = 0; r < rows.RowCount(); ++r)
    for (std::string_view cell : rows.Row(r)) {
      builder.Add(cell);
      builder.Add("\t");
    }
  return builder.Fingerprint();
}

}  // namespace

Status CopyListToTable(const ResultRows& rows, Table* table, const ProgressFn& progress, std::size_t* appended,
                       const std::string& journalDir) {
  if (appended != nullptr) *appended = 0;
  if (!table->IsOpen() || rows.Empty()) return Status::Ok();
  Status s = table->BeginBulkAppend();
  if (!s.ok()) return s;
  const std::size_t fields = static_cast<std::size_t>(std::min(table->FieldCount(), kResultColumns));
  std::vector<std::string> texts(static_cast<std::size_t>(table->FieldCount()));
  std::size_t done = 0;
  for (std::size_t r = 0; r < rows.RowCount() && s.ok(); ++r) {
    for (std::size_t f = 0; f < fields; ++f) texts[f] = rows.Cell(r, static_cast<int>(f));
    s = table->BulkAppend(texts);
    if (!s.ok()) {
      s = Status::Error(s.kind(), "row " + std::to_string(r + 1) + " (" + std::string(rows.Cell(r, 0)) + ", " +
                                      std::string(rows.Cell(r, 1)) + "): " + s.message());
      break;
    }
    ++done;
    if (progress) progress(static_cast<int64_t>(r + 1), static_cast<int64_t>(rows.RowCount()));
  }
  const Status end = journalDir.empty() ? table->EndBulkAppend()
                                        : EndJournaledAppend(journalDir, table, journalDir + kOldBaseOwnersFile,
                                                             OldBaseFingerprint(rows));
  if (end.ok() && appended != nullptr) *appended = done;
  return s.ok() ? end : s;
}

}  // namespace zvonar
