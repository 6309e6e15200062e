// imports.dat holds one line per import, CR LF ended, oldest first; seven
// cells separated by TAB:
//   when         "yyyy.mm.dd hh:mm:ss", local time
//   fingerprint  16 hex digits, XXH3-64 of the imported file's bytes
//   first, last  record numbers of the first and last record appended
//   count        records appended (last - first + 1)
//   sums         8 hex digits per record, the low half of XXH3-64 of the
//                record's fields (the bytes after its deleted flag)
//   file         the file as named to the import, the rest of the line
// The file name is last so that a TAB in it needs no escape; a CR or LF in
// it is written as "?".
#include "store/ImportJournal.h"

#include <xxhash.h>

#include <charconv>
#include <cstdio>
#include <ctime>
#include <new>

#include "base/TextFile.h"

namespace zvonar {
namespace {

constexpr std::size_t kCells = 7;
constexpr char kHex[] = "0123456789abcdef";

std::uint32_t RecordSum(std::string_view record) {
  return static_cast<std::uint32_t>(XXH3_64bits(record.data() + 1, record.size() - 1));
}

std::string Hex(std::uint64_t v, int digits) {
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, v >>= 4) out[static_cast<std::size_t>(i)] = kHex[v & 15];
  return out;
}

bool ReadNumber(std::string_view text, int base, std::uint32_t* value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, *value, base);
  return !text.empty() && ec == std::errc() && ptr == end;
}

std::string Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y.%m.%d %H:%M:%S", &local);
  return buf;
}

std::string JournalPath(const std::string& dataDir) {
  return dataDir.empty() || dataDir.back() == '/' ? dataDir + kImportJournalName : dataDir + '/' + kImportJournalName;
}

bool ParseEntry(std::string_view line, ImportEntry* e) {
  std::vector<std::string_view> cells;
  while (cells.size() + 1 < kCells) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return false;
    cells.push_back(line.substr(0, tab));
    line.remove_prefix(tab + 1);
  }
  cells.push_back(line);
  e->when = cells[0];
  e->fingerprint = cells[1];
  e->file = cells[6];
  if (!ReadNumber(cells[2], 10, &e->first) || !ReadNumber(cells[3], 10, &e->last) ||
      !ReadNumber(cells[4], 10, &e->count))
    return false;
  if (e->first == 0 || e->last < e->first || e->last - e->first + 1 != e->count || cells[5].size() != e->count * 8ULL)
    return false;
  e->sums.resize(e->count);
  for (std::size_t i = 0; i < e->count; ++i)
    if (!ReadNumber(cells[5].substr(i * 8, 8), 16, &e->sums[i])) return false;
  return true;
}

std::string EntryLine(const ImportEntry& e) {
  std::string sums;
  sums.reserve(e.sums.size() * 8);
  for (std::uint32_t sum : e.sums) sums += Hex(sum, 8);
  std::string file = e.file;
  for (char& c : file)
    if (c == '\r' || c == '\n') c = '?';
  return e.when + '\t' + e.fingerprint + '\t' + std::to_string(e.first) + '\t' + std::to_string(e.last) + '\t' +
         std::to_string(e.count) + '\t' + sums + '\t' + file;
}

Status WriteJournal(const std::string& dataDir, const std::vector<ImportEntry>& entries) {
  std::vector<std::string> lines;
  lines.reserve(entries.size());
  for (const ImportEntry& e : entries) lines.push_back(EntryLine(e));
  return WriteTextLines(JournalPath(dataDir), lines);
}

// Whether record `recno` of `entry` is still as it was appended.
bool Unchanged(const ImportEntry& entry, std::uint32_t recno, std::string_view record) {
  return recno >= entry.first && recno <= entry.last && entry.sums[recno - entry.first] == RecordSum(record);
}

// Runs `change` with the table's lock held exclusively.
template <typename Change>
Status WhileHeld(Table* table, const Change& change) {
  Status s = table->BeginChanges();
  if (!s.ok()) return s;
  s = change();
  const Status ended = table->EndChanges();
  return s.ok() ? ended : s;
}

}  // namespace

std::string FileFingerprint(std::string_view bytes) {
  return Hex(XXH3_64bits(bytes.data(), bytes.size()), 16);
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
  return Hex(XXH3_64bits_digest(static_cast<const XXH3_state_t*>(state_)), 16);
}

Status ReadImportJournal(const std::string& dataDir, std::vector<ImportEntry>* entries) {
  entries->clear();
  std::vector<std::string> lines;
  Status s = ReadTextLinesIfExists(JournalPath(dataDir), &lines);
  for (std::size_t i = 0; s.ok() && i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    ImportEntry e;
    if (!ParseEntry(lines[i], &e))
      return Status::Error(StatusKind::Corrupt,
                           JournalPath(dataDir) + ":" + std::to_string(i + 1) + ": not an entry of the import journal");
    entries->push_back(std::move(e));
  }
  return s;
}

std::optional<ImportEntry> FindImport(const std::vector<ImportEntry>& entries, std::string_view fingerprint) {
  for (auto e = entries.rbegin(); e != entries.rend(); ++e)
    if (e->fingerprint == fingerprint) return *e;
  return std::nullopt;
}

Status JournalLastAppend(const std::string& dataDir, Table* table, const std::string& file,
                         const std::string& fingerprint) {
  const std::uint32_t count = table->LastAppended();
  if (count == 0) return Status::Ok();
  ImportEntry entry{Now(), fingerprint, file, table->LastRecNo() - count + 1, table->LastRecNo(), count, {}};
  entry.sums.reserve(count);
  Status s = table->VisitRecords(entry.first, entry.last, [&](std::uint32_t, std::string_view record) {
    entry.sums.push_back(RecordSum(record));
  });
  if (s.ok())
    s = WhileHeld(table, [&] {
      std::vector<ImportEntry> entries;
      Status r = ReadImportJournal(dataDir, &entries);
      if (!r.ok()) return r;
      entries.push_back(std::move(entry));
      return WriteJournal(dataDir, entries);
    });
  if (s.ok()) return s;
  return Status::Error(s.kind(), std::to_string(count) + " records added; the import journal could not be written (" +
                                     s.message() + ")");
}

Status LastImport(const std::string& dataDir, Table* table, std::optional<ImportEntry>* entry,
                  std::uint32_t* undoable) {
  entry->reset();
  *undoable = 0;
  std::vector<ImportEntry> entries;
  Status s = ReadImportJournal(dataDir, &entries);
  if (!s.ok() || entries.empty()) return s;
  const ImportEntry& last = entries.back();
  s = table->VisitRecords(last.first, last.last, [&](std::uint32_t recno, std::string_view record) {
    if (record[0] != kDeletedFlag && Unchanged(last, recno, record)) ++*undoable;
  });
  if (s.ok()) *entry = last;
  return s;
}

Status UndoLastImport(const std::string& dataDir, Table* table, ImportEntry* undone, std::uint32_t* removed) {
  *removed = 0;
  return WhileHeld(table, [&] {
    std::vector<ImportEntry> entries;
    Status s = ReadImportJournal(dataDir, &entries);
    if (!s.ok()) return s;
    if (entries.empty()) return Status::Error(StatusKind::NotFound, "no import to undo");
    *undone = entries.back();
    s = table->DeleteRecords(
        undone->first, undone->last,
        [&](std::uint32_t recno, std::string_view record) { return Unchanged(*undone, recno, record); }, removed);
    if (!s.ok()) return s;
    entries.pop_back();
    return WriteJournal(dataDir, entries);
  });
}

}  // namespace zvonar
