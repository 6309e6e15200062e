// The old base lies in the data directory: detalization.dat lists the
// owner numbers, one per line (code page 1251, CR LF), and every owner has
// a file owner.dat in the filtered-list line format, written by the old
// release with or without abonent names.
#include "analysis/OldBase.h"

#include "analysis/ListFiles.h"
#include "base/Cp1251.h"
#include "base/TextFile.h"
#include "books/CodesTypes.h"
#include "import/AbonentLookup.h"
#include "import/TextUtils.h"
#include "store/DateTimeField.h"
#include "store/DetalTable.h"
#include "store/ImportJournal.h"
#include "store/Table.h"

namespace zvonar {
namespace {

constexpr std::size_t kNumberTail = 10;
// modePhoneCode: look a number up under its other spellings too.
constexpr int kModeNumberVariants = 1;

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

// One file of the base in its fingerprint: name, size and bytes, so that
// bytes moved from one file to the next change it.
void AddToFingerprint(const std::string& name, std::string_view bytes, FingerprintBuilder* fingerprint) {
  fingerprint->Add(name);
  fingerprint->Add(std::string_view("\0", 1));
  fingerprint->Add(std::to_string(bytes.size()));
  fingerprint->Add(std::string_view("\0", 1));
  fingerprint->Add(bytes);
}

// The rows from `from` on came from the lines of `path` from index
// `firstLine` on, one row a line; each must hold a DateTime the table
// takes, or the error names the file and the line.
Status CheckDateTimes(const ResultRows& rows, std::size_t from, const std::string& path, std::size_t firstLine) {
  for (std::size_t r = from; r < rows.RowCount(); ++r) {
    const std::string_view text = rows.Cell(r, kDateTimeField);
    DateTimeValue value;
    if (ParseDateTimeText(text, &value)) continue;
    const std::string where = path + ":" + std::to_string(firstLine + (r - from) + 1) + ": ";
    if (text.empty()) return Status::Invalid(where + "no date-time");
    return Status::Invalid(where + "\"" + Cp1251ToUtf8(text) +
                           "\" is not a date-time (yyyy.mm.dd hh:mm:ss or yyyy.mm.dd)");
  }
  return Status::Ok();
}

}  // namespace

Status LoadOldBase(const std::string& programDir, const std::string& ownersPath, const OldBaseOptions& options,
                   const StageFn& stage, const ProgressFn& lineProgress, std::vector<std::string>* owners,
                   ResultRows* rows, OldBaseFound* found) {
  OldBaseFound met;
  FingerprintBuilder fingerprint;
  Status s = Status::Ok();
  std::string bytes;
  if (FileExists(ownersPath)) {
    s = ReadWholeFile(ownersPath, &bytes);
    if (s.ok()) {
      AddToFingerprint(kOldBaseOwnersFile, bytes, &fingerprint);
      *owners = SplitLines(bytes);
      met.ownersListRead = true;
    }
  }
  if (s.ok() && !owners->empty()) {
    rows->Clear();
    LoadListOptions load;
    load.clear = false;
    load.lastLines = options.lastLines;
    load.progress = lineProgress;
    const int stages = static_cast<int>(owners->size());
    for (int i = 0; i < stages && s.ok(); ++i) {
      if (stage) stage(i + 1, stages);
      const std::string& owner = (*owners)[static_cast<std::size_t>(i)];
      const std::string path = ListFilePath(programDir, owner, kOldBaseExtension);
      if (!FileExists(path)) continue;
      s = ReadWholeFile(path, &bytes);
      if (!s.ok()) break;
      ++met.ownerFiles;
      AddToFingerprint(owner + '.' + kOldBaseExtension, bytes, &fingerprint);
      const std::size_t before = rows->RowCount();
      const std::size_t firstLine = AppendListLines(SplitLines(bytes), owner, load, rows);
      s = CheckDateTimes(*rows, before, path, firstLine);
    }
  }
  met.fingerprint = fingerprint.Fingerprint();
  if (found != nullptr) *found = std::move(met);
  if (!s.ok() || owners->empty()) return s;
  if (!options.namesInFiles) {
    const std::string bookPath = JoinPath(programDir, "abonents.dat");
    if (FileExists(bookPath)) {
      std::vector<std::string> lines;
      s = ReadTextLines(bookPath, &lines, kBookFileLimit);
      if (!s.ok()) return s;
      FillListNames(rows, NameValueList::FromLines(std::move(lines)), options.phoneCodeTown, options.modePhoneCode);
    }
  }
  if (options.fillCodesTypes) {
    const std::string codesPath = CodeTypePath(programDir);
    if (FileExists(codesPath)) {
      std::vector<std::string> lines;
      s = ReadTextLines(codesPath, &lines, kBookFileLimit);
      if (!s.ok()) return s;
      ReplaceListCodesTypes(rows, NameValueList::FromLines(std::move(lines)));
    }
  }
  return Status::Ok();
}

std::string OldBaseJournalName(const std::string& programDir) {
  return JoinPath(programDir, kOldBaseOwnersFile);
}

Status FindOldBaseLoad(const std::string& programDir, Table* table, const std::string& fingerprint,
                       std::optional<ImportEntry>* previous) {
  if (table == nullptr || !table->IsOpen()) return Status::Invalid("the detalization table is not open");
  PreviousImport found;
  const Status s = CheckPreviousImport(programDir, table, fingerprint, &found);
  if (s.ok()) *previous = std::move(found.live);
  return s;
}

std::size_t FillListNames(ResultRows* rows, const NameValueList& book, std::string_view townCode, int mode) {
  return RewriteRows(rows, [&](auto* cells, auto* owned) {
    std::string_view number = (*cells)[kNumberField];
    if (number.empty()) return false;
    std::string name = book.Values(number);
    if (name.empty() && mode == kModeNumberVariants) {
      if (number.front() == 'S' && number.size() >= kNumberTail) number = number.substr(number.size() - kNumberTail);
      name = FindAbonentName(number, townCode, mode, book);
    }
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

Status CopyListToTable(const ResultRows& rows, Table* table, const ProgressFn& progress, std::size_t* appended,
                       const std::string& journalDir, const std::string& fingerprint) {
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
      s = Status::Error(s.kind(), "row " + std::to_string(r + 1) + " (" + Cp1251ToUtf8(rows.Cell(r, 0)) + ", " +
                                      Cp1251ToUtf8(rows.Cell(r, 1)) + "): " + s.message());
      // Whole or not at all: a base stored in part could not be loaded
      // again without doubling the part.
      const Status cancelled = table->CancelBulkAppend();
      return cancelled.ok() ? s : Status::Error(s.kind(), s.message() + "; " + cancelled.message());
    }
    ++done;
    if (progress) progress(static_cast<int64_t>(r + 1), static_cast<int64_t>(rows.RowCount()));
  }
  const Status end = journalDir.empty()
                         ? table->EndBulkAppend()
                         : EndJournaledAppend(journalDir, table, OldBaseJournalName(journalDir), fingerprint);
  if (end.ok() && appended != nullptr) *appended = done;
  return s.ok() ? end : s;
}

}  // namespace zvonar
