// The import of one bill: read it whole once, hand the bytes to the month
// summary and to the detalization parser, and keep the table consistent
// whatever happens in between.
#include "import/BillImport.h"

#include <algorithm>
#include <unordered_set>

#include "base/Cp1251.h"
#include "base/TextFile.h"
#include "config/AddedTexts.h"
#include "import/KnownRecords.h"
#include "import/MonthSummary.h"
#include "import/NameValueList.h"
#include "import/TextUtils.h"
#include "store/DetalTable.h"

namespace zvonar {
namespace {

// A table of more fields than a record has gets blanks in the rest:
// `fields` as the table stores them, in `padded` when they need it.
const std::vector<std::string>& FieldsOfTable(const std::vector<std::string>& fields,
                                              std::vector<std::string>* padded) {
  if (fields.size() == padded->size()) return fields;
  std::copy_n(fields.begin(), std::min(fields.size(), padded->size()), padded->begin());
  return *padded;
}

// Notes the records an import would store, for the look-up of those the
// table holds already; stores nothing.
class KnownSink : public RecordSink {
 public:
  KnownSink(const Table& table, KnownRecords* known)
      : table_(table), known_(known), texts_(static_cast<std::size_t>(table.FieldCount())) {}

  Status Store(const std::vector<std::string>& fields, std::size_t) override {
    const std::vector<std::string>& texts = FieldsOfTable(fields, &texts_);
    std::size_t cut = 0;
    const Status s = CheckDetalCells(table_, texts, &cut);
    if (s.ok()) known_->Add(texts);
    return s;
  }

 private:
  const Table& table_;
  KnownRecords* known_;
  std::vector<std::string> texts_;
};

// Appends the parser's records to a table in bulk-append mode. A table with
// more fields than a record gets them blank. A record whose number does not
// fit its field is refused (InvalidInput: the parser reports the line as not
// stored); a failed write is kept, since it is the table's fault, not the
// bill's. ShowCounter reports the last stored record's number and the record
// count, when they have changed.
class TableSink : public RecordSink {
 public:
  // The records `known` tells, counted as KnownSink noted them, are passed
  // over (may be null: every record is stored).
  TableSink(Table* table, const ProgressFn& progress, const KnownRecords* known)
      : table_(table),
        progress_(progress),
        known_(known),
        texts_(static_cast<std::size_t>(table->FieldCount())),
        count_(table->RecordCount()),
        shown_(count_) {}

  Status Store(const std::vector<std::string>& fields, std::size_t lineNo) override {
    const std::vector<std::string>* texts = &FieldsOfTable(fields, &texts_);
    std::size_t cut = 0;
    cutFields_.clear();
    Status s = CheckDetalCells(*table_, *texts, &cut, &cutFields_);
    if (!s.ok()) return s;
    if (known_ != nullptr && known_->IsKnown(ordinal_++)) {
      ++skipped_;
      return Status::Ok();
    }
    s = table_->BulkAppend(*texts);
    if (s.ok()) {
      cut_ += cut;
      for (std::size_t i = 0; i < cutFields_.size() && cutAt_.size() < kCutCellsKept; ++i)
        cutAt_.push_back(CutCell{lineNo, cutFields_[i]});
      ++count_;
    } else if (s.kind() != StatusKind::InvalidInput) {
      writeError_ = s;
    }
    return s;
  }

  void ShowCounter() {
    if (!progress_ || count_ == shown_) return;
    shown_ = count_;
    progress_(count_, count_);
  }

  std::size_t Cut() const { return cut_; }
  std::size_t Skipped() const { return skipped_; }
  const std::vector<CutCell>& CutAt() const { return cutAt_; }
  const Status& WriteError() const { return writeError_; }

 private:
  Table* table_;
  const ProgressFn& progress_;
  const KnownRecords* known_;
  std::size_t ordinal_ = 0;  // of the next record that fits the table
  std::size_t skipped_ = 0;
  std::vector<std::string> texts_;
  int64_t count_;  // records of the table, the last appended included
  int64_t shown_;  // the count last reported
  std::size_t cut_ = 0;
  std::vector<int> cutFields_;  // of the record being stored
  std::vector<CutCell> cutAt_;
  Status writeError_;
};

Status LoadBook(const std::string& path, NameValueList* book) {
  std::vector<std::string> lines;
  Status s = ReadTextLinesIfExists(path, &lines, kBookFileLimit);
  if (s.ok()) *book = NameValueList::FromLines(std::move(lines));
  return s;
}

// The directory a bill lies in, where its summary goes.
std::string BillDir(const std::string& billPath) {
  const std::size_t slash = billPath.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : billPath.substr(0, slash);
}

}  // namespace

Status ImportBill(const ImportRequest& request, Table* table, const ProgressFn& progress, ImportResult* result) {
  *result = ImportResult();
  if (progress) progress(0, 1);
  LargeString bytes;
  std::string converted;
  Status s = ReadWholeFile(request.billPath, &bytes);
  const std::string fingerprint = FileFingerprint(bytes);
  // Whether the bill is in the table already; a table that is not open is
  // refused below.
  PreviousImport previous;
  if (s.ok() && table != nullptr && table->IsOpen())
    s = CheckPreviousImport(request.dataDir, table, fingerprint, &previous);
  if (s.ok() && !request.again) {
    result->previous = previous.live;
    if (result->previous) return s;
  }
  if (s.ok() && !previous.live) result->vanished = previous.gone;
  if (s.ok()) {
    result->encoding = DetectBillEncoding(bytes);
    if (result->encoding != BillEncoding::Cp1251) {
      s = ConvertBillToCp1251(bytes, result->encoding, &converted, &result->replacedChars);
      LargeString().swap(bytes);  // the converted text takes its place
    }
    if (!s.ok()) s = Status::Invalid(request.billPath + ": " + s.message());
  }
  // The bill in code page 1251: as read, or as converted.
  const std::string_view content = result->encoding == BillEncoding::Cp1251 ? std::string_view(bytes) : converted;
  NameValueList abonents, codeTypes;
  if (s.ok()) s = LoadBook(JoinPath(request.dataDir, "abonents.dat"), &abonents);
  if (s.ok()) s = LoadBook(JoinPath(request.dataDir, "codetype.dat"), &codeTypes);
  // A summary name taken by a link or a non-file refuses the whole bill
  // before anything is stored: the records alone could only be imported
  // again with the summary by doubling them.
  SummaryFile summaryFile;
  if (s.ok()) {
    s = PrepareMonthSummary(request.billPath, content, request.fields, request.settings.language,
                            BillDir(request.billPath), &summaryFile);
    if (!s.ok()) s = Status::Error(s.kind(), "no month summary: " + s.message() + "; nothing was imported");
  }
  if (!s.ok()) return s;
  if (table == nullptr || !table->IsOpen() || table->FieldCount() < kDetalFieldCount)
    return Status::Invalid("the detalization table is not open or has fewer than " + std::to_string(kDetalFieldCount) +
                           " fields");
  const BillContext context{request.fields, request.settings, abonents, codeTypes};
  // The records the table holds already, found before anything is written
  // (a walk of the bill that stores nothing): skipped unless kept.
  std::optional<KnownRecords> known;
  bool anyRecord = false;
  if (!request.keepKnown && !request.again) {
    const TableReadHold read(*table);  // what other programs appended counts too
    anyRecord = read.status().ok() && table->RecordCount() > 0;
  }
  if (anyRecord) {
    known.emplace(*table);
    KnownSink noter(*table, &*known);
    DetalizationResult dryRun;
    ParseDetalizationFile(request.billPath, content, context, &noter, nullptr, &dryRun);
    s = known->Find(table);
    if (!s.ok()) return s;
    result->known = known->Found();
    if (result->known.known == 0 || (request.skipKnown && !request.skipKnown(result->known))) known.reset();
  }
  // The write lock first: a table another program keeps changes nothing,
  // the summary included.
  // A call line is some 60 to 80 bytes: a hint for the index's room.
  s = table->BeginBulkAppend(static_cast<std::uint32_t>(std::min<std::size_t>(content.size() / 64, 1u << 28)));
  if (!s.ok()) return s;
  result->droppedUncommitted = table->DroppedUncommitted();

  if (!summaryFile.path.empty()) {
    const Status summary = WriteMonthSummary(summaryFile);
    if (summary.ok())
      result->summaryPath = summaryFile.path;
    else
      result->summaryError = summary.message();
  }

  TableSink sink(table, progress, known ? &*known : nullptr);
  // The walk reports now and then and at its end; each report shows the
  // record counter, so a large bill does not repaint the splash per record.
  const ProgressFn counter = [&sink](int64_t, int64_t) { sink.ShowCounter(); };
  ParseDetalizationFile(request.billPath, content, context, &sink, counter, &result->records);
  s = EndJournaledAppend(request.dataDir, table, request.billPath, fingerprint,
                         HistoryBoundsOf(request.settings.historyChanges, request.settings.historyMegabytes));
  result->records.recordsAdded = table->LastAppended();
  result->skipped = sink.Skipped();
  if (result->records.recordsAdded > 0) {
    result->cutCells = sink.Cut();
    result->cutAt = sink.CutAt();
  }
  const DetalizationResult& found = result->records;
  if (s.ok() && found.recordsAdded == 0 && result->skipped == 0 && found.rejected.empty() && !found.stop)
    s = Status::Invalid(kNoRecordLineText);  // nothing was appended, so nothing is noted either
  // A failed write stopped the walk; it is told once, as the error.
  if (!sink.WriteError().ok()) result->records.stop.reset();
  return s;
}

std::string RejectedMessage(const RejectedLine& line, std::string_view heading) {
  std::string message = heading.empty() ? std::string(kNotStoredText) : std::string(heading) + "\r\n";
  message += line.dateTime + " " + line.number;
  std::string reason;
  if (!line.reason.empty() && Utf8ToCp1251(line.reason, &reason).ok()) message += "\r\n" + reason;
  return message;
}

std::string ImportedAgainNote(const std::string& file, const ImportEntry& vanished) {
  return file + ": imported on " + vanished.when + ", but its records are no longer in the table: imported again";
}

std::string StopMessage(const ImportStop& stop) {
  return stop.file + ": stopped at line " + std::to_string(stop.lineNo) + ": " + Cp1251ToUtf8(stop.lineText);
}

std::string CutCellPlaces(std::string_view placePattern, const std::vector<CutCell>& cells, std::size_t total,
                          const std::function<std::string(int)>& fieldName, std::size_t shown) {
  std::string places;
  for (std::size_t i = 0; i < cells.size() && i < shown; ++i) {
    if (i > 0) places += "; ";
    places += FillArgs(placePattern, {std::to_string(cells[i].lineNo), fieldName(cells[i].field)});
  }
  if (total > std::min(cells.size(), shown)) places += "; ...";
  return places;
}

std::size_t MergeOwners(const std::vector<std::string>& met, std::vector<std::string>* owners) {
  std::unordered_set<std::string> held(owners->begin(), owners->end());
  std::size_t added = 0;
  for (const std::string& owner : met) {
    if (held.insert(owner).second) {
      owners->push_back(owner);
      ++added;
    }
  }
  return added;
}

}  // namespace zvonar
