// The journal's side of imports: fingerprints of imported files, the entry
// an import appends when it commits, the re-import guard that reads the
// journal for a fingerprint, and the undo of the last import. The line
// format is drawn in JournalFile.cpp.
#include "store/ImportJournal.h"

#include <xxhash.h>

#include <new>

#include "store/History.h"
#include "store/JournalFile.h"

namespace zvonar {
namespace {

// Whether record `recno` of `entry`, its first or last, is still as it was
// appended.
bool EndUnchanged(const ImportEntry& entry, std::uint32_t recno, std::string_view record) {
  const std::uint32_t sum = RecordSum(record);
  return (recno == entry.first && sum == entry.firstSum) || (recno == entry.last && sum == entry.lastSum);
}

}  // namespace

std::string FileFingerprint(std::string_view bytes) {
  return HexText(XXH3_64bits(bytes.data(), bytes.size()), 16);
}

FingerprintBuilder::FingerprintBuilder() : state_(XXH3_createState()) {
  if (state_ == nullptr) throw std::bad_alloc();
  XXH3_64bits_reset(static_cast<XXH3_state_t*>(state_));
}

FingerprintBuilder::~FingerprintBuilder() {
  XXH3_freeState(static_cast<XXH3_state_t*>(state_));
}

void FingerprintBuilder::Add(std::string_view bytes) {
  XXH3_64bits_update(static_cast<XXH3_state_t*>(state_), bytes.data(), bytes.size());
}

std::string FingerprintBuilder::Fingerprint() const {
  return HexText(XXH3_64bits_digest(static_cast<const XXH3_state_t*>(state_)), 16);
}

Status ReadImportJournal(const std::string& dataDir, std::vector<ImportEntry>* entries) {
  entries->clear();
  JournalFile journal;
  Status s = LoadJournal(JournalPath(dataDir), &journal);
  entries->reserve(journal.lines.size());
  for (JournalLine& line : journal.lines) entries->push_back(std::move(line.entry));
  return s;
}

std::optional<ImportEntry> FindImport(const std::vector<ImportEntry>& entries, std::string_view fingerprint) {
  for (auto e = entries.rbegin(); e != entries.rend(); ++e)
    if (e->kind.empty() && e->fingerprint == fingerprint) return *e;
  return std::nullopt;
}

Status ImportStillInTable(Table* table, const ImportEntry& entry, bool* still) {
  *still = false;
  if (entry.first == 0 || entry.last > table->LastRecNo()) return Status::Ok();
  int held = 0;
  const auto check = [&](std::uint32_t recno, std::string_view record) {
    if (record[0] != kDeletedFlag && EndUnchanged(entry, recno, record)) ++held;
  };
  Status s = table->VisitRecords(entry.first, entry.first, check);
  if (s.ok() && entry.last != entry.first) s = table->VisitRecords(entry.last, entry.last, check);
  *still = s.ok() && held == (entry.first == entry.last ? 1 : 2);
  return s;
}

Status CheckPreviousImport(const std::string& dataDir, Table* table, std::string_view fingerprint,
                           PreviousImport* previous) {
  *previous = PreviousImport{};
  // The file's entries, oldest first, less those a later import overlaps.
  std::vector<ImportEntry> found;
  Status s = ScanJournal(JournalPath(dataDir), false, [&](JournalLine&& line) {
    std::erase_if(found, [&](const ImportEntry& e) { return OverlappedBy(e, line.entry); });
    if (line.entry.kind.empty() && line.entry.fingerprint == fingerprint) found.push_back(std::move(line.entry));
  });
  for (auto e = found.rbegin(); s.ok() && e != found.rend(); ++e) {
    bool still = false;
    s = ImportStillInTable(table, *e, &still);
    if (still) {
      previous->live = *e;
      previous->gone.reset();
      break;
    }
    if (!previous->gone) previous->gone = *e;
  }
  return s;
}

Status EndJournaledAppend(const std::string& dataDir, Table* table, const std::string& file,
                          const std::string& fingerprint, const HistoryBounds& bounds) {
  return table->EndBulkAppend([&](std::uint32_t first, std::uint32_t last) {
    ImportEntry entry;
    entry.when = NowText();
    entry.fingerprint = fingerprint;
    entry.file = file;
    entry.first = first;
    entry.last = last;
    entry.count = last - first + 1;
    entry.sumsApart = entry.count > kMostSumsInLine;
    char date[3];
    if (table->ReadChangeDate(date).ok()) entry.dateBefore.assign(date, 3);
    std::vector<std::uint32_t> sums;  // those kept in the line
    SumsWriter apart;
    Status s = entry.sumsApart && bounds.changes > 0 ? apart.Open(dataDir, entry.count) : Status::Ok();
    if (s.ok())
      s = table->VisitRecords(first, last, [&](std::uint32_t recno, std::string_view record) {
        const std::uint32_t sum = RecordSum(record);
        if (recno == first) entry.firstSum = sum;
        if (recno == last) entry.lastSum = sum;
        if (!entry.sumsApart)
          sums.push_back(sum);
        else if (!apart.name().empty())
          apart.Add(sum);
      });
    std::uint64_t apartBytes = 0;
    if (s.ok() && !apart.name().empty()) s = apart.Finish(&apartBytes);
    // Hashes that pass the bounds alone are not kept.
    if (s.ok() && entry.sumsApart && apartBytes > 0 && apartBytes <= bounds.bytes) entry.images = apart.name();
    const std::uint64_t pending = entry.sumsApart ? (entry.images.empty() ? 0 : apartBytes) : sums.size() * 8;
    // Reads the journal too: a damaged one is not appended to.
    if (s.ok()) s = KeepWithinBounds(dataDir, bounds, pending, apart.name());
    if (s.ok()) s = AppendJournalLine(JournalPath(dataDir), EntryLine(entry, sums));
    if (s.ok() && !entry.images.empty()) apart.Keep();
    if (s.ok()) return s;
    return Status::Error(s.kind(), "no records added; the import journal could not be written (" + s.message() + ")");
  });
}

Status LastImport(const std::string& dataDir, Table* table, std::optional<ImportEntry>* entry,
                  std::uint32_t* undoable) {
  entry->reset();
  *undoable = 0;
  UndoPreview preview;
  const Status s = PreviewUndo(dataDir, table, &preview);
  if (s.ok() && preview.entry && preview.entry->kind.empty()) {
    *entry = std::move(preview.entry);
    *undoable = preview.undoable;
  }
  return s;
}

Status UndoLastImport(const std::string& dataDir, Table* table, ImportEntry* undone, std::uint32_t* removed) {
  *removed = 0;
  std::optional<ImportEntry> last;
  std::uint32_t undoable = 0;
  Status s = LastImport(dataDir, table, &last, &undoable);
  if (s.ok() && !last) s = Status::Error(StatusKind::NotFound, "no import to undo");
  if (!s.ok()) return s;
  UndoOutcome done;
  s = UndoLatest(dataDir, table, {}, &done);
  *undone = std::move(done.entry);
  *removed = done.undone;
  return s;
}

}  // namespace zvonar
