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
// it is written as "?". Entries lie in the order of their records, each
// range after the one before; a new entry is written over the orphans it
// overlaps at the end of the file, an undone one cut off the end.
#include "store/ImportJournal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <new>

#include "base/DiskSteps.h"
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

constexpr std::size_t kReadBlock = 64 * 1024;
constexpr std::size_t kMaxLeadCell = 32;    // when, fingerprint
constexpr std::size_t kMaxNumberCell = 10;  // first, last, count
constexpr std::size_t kMaxFileCell = 16384;

// Whether `partial`, the start of a line not yet ended, can still become an
// entry of a file of `fileSize` bytes: its cells are short, its numbers
// digits, its sums hexadecimal and no longer than its count says and the
// file holds. `*checked` tells how far the sums were checked already.
bool CanBeEntryStart(std::string_view partial, std::uint64_t fileSize, std::size_t* checked) {
  std::size_t at = 0;
  std::uint32_t count = 0;
  for (std::size_t cell = 0; cell < 5; ++cell) {
    const std::size_t tab = partial.find('\t', at);
    const std::size_t end = tab == std::string_view::npos ? partial.size() : tab;
    if (end - at > (cell < 2 ? kMaxLeadCell : kMaxNumberCell)) return false;
    if (cell >= 2 && !std::all_of(partial.begin() + at, partial.begin() + end, [](char c) { return c >= '0' && c <= '9'; }))
      return false;
    if (tab == std::string_view::npos) return true;
    if (cell == 4 && !ReadNumber(partial.substr(at, end - at), 10, &count)) return false;
    at = tab + 1;
  }
  const std::uint64_t sumsEnd = at + std::uint64_t{count} * 8;
  if (sumsEnd > fileSize) return false;
  const std::size_t hexEnd = static_cast<std::size_t>(std::min<std::uint64_t>(partial.size(), sumsEnd));
  for (std::size_t i = std::max(at, *checked); i < hexEnd; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(partial[i]))) return false;
  *checked = std::max(*checked, hexEnd);
  if (partial.size() > sumsEnd && partial[sumsEnd] != '\t') return false;
  return partial.size() <= sumsEnd + kMaxFileCell + 2;
}

// The journal as read: its entries, where each one's line starts, and the
// end of its last whole line.
struct JournalFile {
  std::vector<ImportEntry> entries;
  std::vector<std::uint64_t> starts;
  std::uint64_t end = 0;
};

class FdCloser {
 public:
  explicit FdCloser(int fd) : fd_(fd) {}
  ~FdCloser() {
    if (fd_ >= 0) ::close(fd_);
  }
  FdCloser(const FdCloser&) = delete;
  FdCloser& operator=(const FdCloser&) = delete;

 private:
  int fd_;
};

Status LoadJournal(const std::string& path, JournalFile* journal) {
  *journal = JournalFile{};
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return errno == ENOENT ? Status::Ok() : Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
  FdCloser closer(fd);
  struct stat st {};
  if (::fstat(fd, &st) != 0) return Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
  Status s = RequireRegularFile(path, st.st_mode);
  if (!s.ok()) return s;
  const auto fileSize = static_cast<std::uint64_t>(st.st_size);
  std::vector<char> block(kReadBlock);
  std::string line;
  std::size_t checked = 0, lineNo = 1;
  std::uint64_t offset = 0;
  const auto damaged = [&] {
    return Status::Error(StatusKind::Corrupt,
                         path + ":" + std::to_string(lineNo) + ": not an entry of the import journal");
  };
  for (;;) {
    const ssize_t n = ::read(fd, block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
    if (n == 0) break;
    std::string_view data(block.data(), static_cast<std::size_t>(n));
    while (!data.empty()) {
      const std::size_t lf = data.find('\n');
      const std::size_t take = lf == std::string_view::npos ? data.size() : lf;
      line.append(data.substr(0, take));
      offset += take;
      data.remove_prefix(take);
      if (!CanBeEntryStart(line, fileSize, &checked)) return damaged();
      if (data.empty()) break;
      data.remove_prefix(1);
      ++offset;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) {
        ImportEntry e;
        if (!ParseEntry(line, &e)) return damaged();
        journal->entries.push_back(std::move(e));
        journal->starts.push_back(journal->end);
      }
      journal->end = offset;
      line.clear();
      checked = 0;
      ++lineNo;
    }
  }
  return Status::Ok();
}

// Replaces the journal's bytes from `at` on with `tail` and flushes it. On
// failure it is cut at `at`: what lay past it was an undone entry or
// orphans, and a half-written line must not stay.
Status ReplaceTail(const std::string& path, std::uint64_t at, std::string_view tail) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return Status::IoError("cannot write " + path + ": " + ErrnoText(errno));
  FdCloser closer(fd);
  struct stat st {};
  if (::fstat(fd, &st) != 0) return Status::IoError("cannot write " + path + ": " + ErrnoText(errno));
  Status s = RequireRegularFile(path, st.st_mode);
  if (!s.ok()) return s;
  const auto fail = [&](int err) {
    (void)!::ftruncate(fd, static_cast<off_t>(at));
    return Status::IoError("cannot write " + path + ": " + ErrnoText(err));
  };
  std::uint64_t offset = at;
  while (!tail.empty()) {
    const ssize_t n = ::pwrite(fd, tail.data(), tail.size(), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail(n < 0 ? errno : ENOSPC);
    NoteDiskStep(DiskStep::Write, path, offset);
    tail.remove_prefix(static_cast<std::size_t>(n));
    offset += static_cast<std::uint64_t>(n);
  }
  if (::ftruncate(fd, static_cast<off_t>(offset)) != 0 || FlushToDisk(fd, path, true) != 0) return fail(errno);
  return Status::Ok();
}

// Adds `entry` after the entries whose records lie before its own; those
// it overlaps are orphans (or of a table since emptied) and go.
Status AppendEntry(const std::string& path, const ImportEntry& entry) {
  JournalFile journal;
  Status s = LoadJournal(path, &journal);
  if (!s.ok()) return s;
  const std::vector<ImportEntry>& old = journal.entries;
  const auto before = [&entry](const ImportEntry& e) { return e.last < entry.first; };
  const auto firstOverlap = std::find_if_not(old.begin(), old.end(), before);
  const std::string line = EntryLine(entry) + "\r\n";
  if (std::none_of(firstOverlap, old.end(), before)) {
    const auto k = static_cast<std::size_t>(firstOverlap - old.begin());
    return ReplaceTail(path, k < old.size() ? journal.starts[k] : journal.end, line);
  }
  // Entries out of order (a journal put together by hand): written anew.
  std::vector<std::string> lines;
  for (const ImportEntry& e : old)
    if (before(e)) lines.push_back(EntryLine(e));
  lines.push_back(EntryLine(entry));
  return WriteTextLines(path, lines);
}

// Whether record `recno` of `entry` is still as it was appended.
bool Unchanged(const ImportEntry& entry, std::uint32_t recno, std::string_view record) {
  return recno >= entry.first && recno <= entry.last && entry.sums[recno - entry.first] == RecordSum(record);
}

// Live records of `entry` that still hold what was appended.
Status CountUnchanged(Table* table, const ImportEntry& entry, std::uint32_t* count) {
  *count = 0;
  if (entry.last > table->LastRecNo()) return Status::Ok();  // an orphan
  return table->VisitRecords(entry.first, entry.last, [&](std::uint32_t recno, std::string_view record) {
    if (record[0] != kDeletedFlag && Unchanged(entry, recno, record)) ++*count;
  });
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
  JournalFile journal;
  Status s = LoadJournal(JournalPath(dataDir), &journal);
  *entries = std::move(journal.entries);
  return s;
}

std::optional<ImportEntry> FindImport(const std::vector<ImportEntry>& entries, std::string_view fingerprint) {
  for (auto e = entries.rbegin(); e != entries.rend(); ++e)
    if (e->fingerprint == fingerprint) return *e;
  return std::nullopt;
}

Status ImportStillInTable(Table* table, const ImportEntry& entry, bool* still) {
  *still = false;
  if (entry.first == 0 || entry.last > table->LastRecNo()) return Status::Ok();
  int held = 0;
  const auto check = [&](std::uint32_t recno, std::string_view record) {
    if (record[0] != kDeletedFlag && Unchanged(entry, recno, record)) ++held;
  };
  Status s = table->VisitRecords(entry.first, entry.first, check);
  if (s.ok() && entry.last != entry.first) s = table->VisitRecords(entry.last, entry.last, check);
  *still = s.ok() && held == (entry.first == entry.last ? 1 : 2);
  return s;
}

Status CheckPreviousImport(const std::string& dataDir, Table* table, std::string_view fingerprint,
                           PreviousImport* previous) {
  *previous = PreviousImport{};
  std::vector<ImportEntry> entries;
  Status s = ReadImportJournal(dataDir, &entries);
  for (auto e = entries.rbegin(); s.ok() && e != entries.rend(); ++e) {
    if (e->fingerprint != fingerprint) continue;
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
                          const std::string& fingerprint) {
  return table->EndBulkAppend([&](std::uint32_t first, std::uint32_t last) {
    ImportEntry entry{Now(), fingerprint, file, first, last, last - first + 1, {}};
    entry.sums.reserve(entry.count);
    Status s = table->VisitRecords(first, last, [&](std::uint32_t, std::string_view record) {
      entry.sums.push_back(RecordSum(record));
    });
    if (s.ok()) s = AppendEntry(JournalPath(dataDir), entry);
    if (s.ok()) return s;
    return Status::Error(s.kind(), "no records added; the import journal could not be written (" + s.message() + ")");
  });
}

Status LastImport(const std::string& dataDir, Table* table, std::optional<ImportEntry>* entry,
                  std::uint32_t* undoable) {
  entry->reset();
  *undoable = 0;
  JournalFile journal;
  Status s = LoadJournal(JournalPath(dataDir), &journal);
  if (!s.ok() || journal.entries.empty()) return s;
  s = CountUnchanged(table, journal.entries.back(), undoable);
  if (s.ok()) *entry = std::move(journal.entries.back());
  return s;
}

Status UndoLastImport(const std::string& dataDir, Table* table, ImportEntry* undone, std::uint32_t* removed) {
  *removed = 0;
  const std::string path = JournalPath(dataDir);
  Status s = table->BeginChanges();
  if (!s.ok()) return s;
  JournalFile journal;
  s = LoadJournal(path, &journal);
  if (s.ok() && journal.entries.empty()) s = Status::Error(StatusKind::NotFound, "no import to undo");
  if (!s.ok()) {
    (void)table->EndChanges();
    return s;
  }
  *undone = journal.entries.back();
  Status marked;
  if (undone->last <= table->LastRecNo())  // an orphan's numbers belong to nothing of it
    marked = table->DeleteRecords(
        undone->first, undone->last,
        [&](std::uint32_t recno, std::string_view record) { return Unchanged(*undone, recno, record); }, removed);
  std::uint32_t rest = 0;
  if (!marked.ok()) (void)CountUnchanged(table, *undone, &rest);
  // Once none of its records is left the entry goes, even when the index
  // file could not follow.
  Status cut = rest == 0 ? ReplaceTail(path, journal.starts.back(), "") : Status::Ok();
  const Status ended = table->EndChanges();
  if (marked.ok() && cut.ok()) return ended;
  const std::string done = std::to_string(*removed) + " records removed";
  if (!marked.ok() && rest > 0)
    return *removed == 0 ? marked
                         : Status::Error(marked.kind(), done + "; then " + marked.message() +
                                                            "; another undo removes the rest");
  std::string message = marked.ok() ? done : marked.message();
  if (!cut.ok()) message += "; the import journal could not be written (" + cut.message() + ")";
  return Status::Error(marked.ok() ? cut.kind() : marked.kind(), message);
}

}  // namespace zvonar
