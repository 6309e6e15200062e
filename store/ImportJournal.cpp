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
#include <cstring>
#include <ctime>
#include <new>

#include "base/DiskSteps.h"
#include "base/TextFile.h"
#include "store/Bytes.h"
#include "store/History.h"

namespace zvonar {
namespace {

constexpr std::size_t kCells = 7;
constexpr std::size_t kMaxLeadCellKind = 24;  // a change's kind
constexpr std::size_t kMaxImagesCell = 64;    // a before-image file's name
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

// A change's kind: lower-case letters and "-", which no fingerprint is.
bool IsKind(std::string_view cell) {
  return !cell.empty() && cell.size() <= kMaxLeadCellKind &&
         std::all_of(cell.begin(), cell.end(), [](char c) { return (c >= 'a' && c <= 'z') || c == '-'; }) &&
         cell.find_first_not_of("abcdef") != std::string_view::npos;
}

// A before-image file's name: "-" when its images were dropped.
bool IsImagesName(std::string_view cell) {
  return !cell.empty() && cell.size() <= kMaxImagesCell &&
         std::all_of(cell.begin(), cell.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
         });
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
  e->file = cells[6];
  if (!ReadNumber(cells[2], 10, &e->first) || !ReadNumber(cells[3], 10, &e->last) ||
      !ReadNumber(cells[4], 10, &e->count))
    return false;
  if (IsKind(cells[1])) {
    e->kind = cells[1];
    e->images = cells[5] == "-" ? std::string() : std::string(cells[5]);
    return e->first != 0 && e->last >= e->first && e->count >= 1 && e->count - 1 <= e->last - e->first &&
           IsImagesName(cells[5]);
  }
  // "fingerprint" or "fingerprint@date" (the header's date before, hex).
  std::string_view fingerprint = cells[1];
  if (fingerprint.size() == 16 + 1 + 6 && fingerprint[16] == '@') {
    std::uint32_t date = 0;
    if (!ReadNumber(fingerprint.substr(17), 16, &date)) return false;
    e->dateBefore = {static_cast<char>(date >> 16), static_cast<char>(date >> 8), static_cast<char>(date)};
    fingerprint = fingerprint.substr(0, 16);
  }
  e->fingerprint = fingerprint;
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
  if (!e.kind.empty())
    return e.when + '\t' + e.kind + '\t' + std::to_string(e.first) + '\t' + std::to_string(e.last) + '\t' +
           std::to_string(e.count) + '\t' + (e.images.empty() ? std::string("-") : e.images) + '\t' + file;
  std::string fingerprint = e.fingerprint;
  if (e.dateBefore.size() == 3) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(e.dateBefore[i]); };
    fingerprint += '@' + Hex((std::uint64_t{byte(0)} << 16) | (std::uint64_t{byte(1)} << 8) | byte(2), 6);
  }
  return e.when + '\t' + fingerprint + '\t' + std::to_string(e.first) + '\t' + std::to_string(e.last) + '\t' +
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
  bool change = false;
  for (std::size_t cell = 0; cell < 5; ++cell) {
    const std::size_t tab = partial.find('\t', at);
    const std::size_t end = tab == std::string_view::npos ? partial.size() : tab;
    if (end - at > (cell < 2 ? kMaxLeadCell : kMaxNumberCell)) return false;
    if (cell >= 2 && !std::all_of(partial.begin() + at, partial.begin() + end, [](char c) { return c >= '0' && c <= '9'; }))
      return false;
    if (tab == std::string_view::npos) return true;
    if (cell == 1) change = IsKind(partial.substr(at, end - at));
    if (cell == 4 && !ReadNumber(partial.substr(at, end - at), 10, &count)) return false;
    at = tab + 1;
  }
  if (change) {  // the name of its before-image file, then its caption
    const std::size_t tab = partial.find('\t', at);
    const std::size_t end = tab == std::string_view::npos ? partial.size() : tab;
    return end - at <= kMaxImagesCell && (tab == std::string_view::npos || partial.size() - tab <= kMaxFileCell + 2);
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
  // Changes in place stay; so do imports whose records lie before the new
  // ones. An import's entry that reaches the new records is an orphan.
  const auto keep = [&entry](const ImportEntry& e) {
    return !entry.kind.empty() || !e.kind.empty() || e.last < entry.first;
  };
  const auto firstDropped = std::find_if_not(old.begin(), old.end(), keep);
  const std::string line = EntryLine(entry) + "\r\n";
  if (std::none_of(firstDropped, old.end(), keep)) {
    const auto k = static_cast<std::size_t>(firstDropped - old.begin());
    return ReplaceTail(path, k < old.size() ? journal.starts[k] : journal.end, line);
  }
  // Orphans among later entries (or a journal put together by hand):
  // written anew without them.
  std::vector<std::string> lines;
  for (const ImportEntry& e : old)
    if (keep(e)) lines.push_back(EntryLine(e));
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
    ImportEntry entry{Now(), fingerprint, file, first, last, last - first + 1, {}, {}, {}, {}};
    entry.sums.reserve(entry.count);
    char date[3];
    if (table->ReadChangeDate(date).ok()) entry.dateBefore.assign(date, 3);
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

// ---- Changes in place and undo -------------------------------------------
//
// A before-image file: "ZVBEF1\r\n", the record length (4 bytes), then per
// rewritten record its number (4 bytes), the XXH3-64 of the record as the
// change left it (8), where the changed bytes start in the record and how
// many they are (2 + 2), and those bytes as they were. Numbers are
// little-endian.

namespace {

constexpr char kImagesMagic[] = "ZVBEF1\r\n";
constexpr std::size_t kImagesHead = 8 + 4;
constexpr std::size_t kImageHead = 4 + 8 + 2 + 2;
constexpr std::size_t kImagesBuffer = 4u << 20;

std::string HistoryDir(const std::string& dataDir) {
  return (dataDir.empty() || dataDir.back() == '/' ? dataDir : dataDir + '/') + kHistoryFolder;
}

void PutU64(std::uint64_t v, char* p) {
  PutU32(static_cast<std::uint32_t>(v), p);
  PutU32(static_cast<std::uint32_t>(v >> 32), p + 4);
}

std::uint64_t GetU64(const char* p) {
  return GetU32(p) | (std::uint64_t{GetU32(p + 4)} << 32);
}

std::uint64_t RecordHash(std::string_view record) {
  return XXH3_64bits(record.data(), record.size());
}

// The before-images of one change as it runs, written to a new file of the
// history folder a few megabytes at a time.
class ImagesWriter {
 public:
  // Without `keep` only the records are counted and no file is written.
  explicit ImagesWriter(bool keep) : keep_(keep) {}
  ~ImagesWriter() {
    if (fd_ >= 0) ::close(fd_);
    if (!kept_ && !path_.empty()) ::unlink(path_.c_str());
  }

  Status Open(const std::string& dataDir, std::size_t recordLength) {
    if (!keep_) return Status::Ok();
    const std::string dir = HistoryDir(dataDir);
    if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST)
      return Status::IoError("cannot make " + dir + ": " + ErrnoText(errno));
    // A name of its own: the time and a counter, tried until one is free.
    const std::string stamp = Hex(static_cast<std::uint64_t>(std::time(nullptr)), 10);
    for (int attempt = 0; attempt < 1000 && fd_ < 0; ++attempt) {
      name_ = stamp + "-" + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".bef";
      path_ = dir + "/" + name_;
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd_ < 0 && errno != EEXIST) return Status::IoError("cannot write " + path_ + ": " + ErrnoText(errno));
    }
    if (fd_ < 0) return Status::IoError("cannot write a before-image file in " + dir);
    buffer_.assign(kImagesMagic, 8);
    buffer_.resize(kImagesHead);
    PutU32(static_cast<std::uint32_t>(recordLength), &buffer_[8]);
    return Status::Ok();
  }

  Status Add(std::uint32_t recno, std::string_view before, std::string_view after) {
    first_ = records_ == 0 ? recno : std::min(first_, recno);
    last_ = std::max(last_, recno);
    ++records_;
    if (!keep_) return Status::Ok();
    std::size_t from = 0, to = before.size();
    while (from < to && before[from] == after[from]) ++from;
    while (to > from && before[to - 1] == after[to - 1]) --to;
    const std::size_t at = buffer_.size();
    buffer_.resize(at + kImageHead + (to - from));
    char* p = &buffer_[at];
    PutU32(recno, p);
    PutU64(RecordHash(after), p + 4);
    PutU16(static_cast<std::uint32_t>(from), p + 12);
    PutU16(static_cast<std::uint32_t>(to - from), p + 14);
    std::memcpy(p + kImageHead, before.data() + from, to - from);
    return buffer_.size() >= kImagesBuffer ? Flush() : Status::Ok();
  }

  // Writes what is buffered. Like the redo file, the images guard against a
  // killed program, not a power loss: they are not flushed to the disk.
  Status Finish() { return keep_ ? Flush() : Status::Ok(); }
  void Keep() { kept_ = true; }

  const std::string& name() const { return name_; }
  std::uint32_t records() const { return records_; }
  std::uint32_t first() const { return first_; }
  std::uint32_t last() const { return last_; }

 private:
  Status Flush() {
    std::string_view rest = buffer_;
    while (!rest.empty()) {
      const ssize_t n = ::write(fd_, rest.data(), rest.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Status::IoError("cannot write " + path_ + ": " + ErrnoText(n < 0 ? errno : ENOSPC));
      rest.remove_prefix(static_cast<std::size_t>(n));
    }
    buffer_.clear();
    return Status::Ok();
  }

  bool keep_;
  int fd_ = -1;
  std::string name_, path_;
  std::string buffer_;
  bool kept_ = false;
  std::uint32_t records_ = 0, first_ = 0, last_ = 0;
};

// One record's before-image, viewing the bytes of the file read whole.
struct BeforeImage {
  std::uint32_t recno = 0;
  std::uint64_t afterHash = 0;
  std::size_t at = 0;
  std::string_view bytes;
};

Status ReadImages(const std::string& path, std::size_t recordLength, std::string* content,
                  std::vector<BeforeImage>* images) {
  Status s = ReadWholeFile(path, content, kLargeFileLimit);
  if (!s.ok()) return s;
  const auto damaged = [&] { return Status::Error(StatusKind::Corrupt, path + " is not a before-image file"); };
  const std::string_view data = *content;
  if (data.size() < kImagesHead || data.substr(0, 8) != std::string_view(kImagesMagic, 8) ||
      GetU32(data.data() + 8) != recordLength)
    return damaged();
  for (std::size_t at = kImagesHead; at < data.size();) {
    if (data.size() - at < kImageHead) return damaged();
    BeforeImage image;
    image.recno = GetU32(data.data() + at);
    image.afterHash = GetU64(data.data() + at + 4);
    image.at = GetU16(data.data() + at + 12);
    const std::size_t length = GetU16(data.data() + at + 14);
    if (image.at + length > recordLength || data.size() - at - kImageHead < length || image.recno == 0)
      return damaged();
    image.bytes = data.substr(at + kImageHead, length);
    images->push_back(image);
    at += kImageHead + length;
  }
  std::stable_sort(images->begin(), images->end(),
                   [](const BeforeImage& a, const BeforeImage& b) { return a.recno < b.recno; });
  return Status::Ok();
}

// How a record of a change stands: already as before it, as the change
// left it, or changed since by someone else.
enum class ImageState { Before, After, Other };
ImageState StateOf(const BeforeImage& image, std::string_view record) {
  if (record.substr(image.at, image.bytes.size()) == image.bytes) return ImageState::Before;
  return RecordHash(record) == image.afterHash ? ImageState::After : ImageState::Other;
}

// Undo of a change in place: its images, read, and the records' states.
Status CountChangeStates(Table* table, const std::vector<BeforeImage>& images, std::uint32_t* undoable,
                         std::uint32_t* kept) {
  *undoable = *kept = 0;
  std::size_t next = 0;
  if (images.empty()) return Status::Ok();
  return table->VisitRecords(images.front().recno, images.back().recno,
                             [&](std::uint32_t recno, std::string_view record) {
                               for (; next < images.size() && images[next].recno == recno; ++next) {
                                 const ImageState state = StateOf(images[next], record);
                                 if (state == ImageState::Other)
                                   ++*kept;
                                 else
                                   ++*undoable;
                               }
                             });
}

std::string ImagesPath(const std::string& dataDir, const ImportEntry& entry) {
  return HistoryDir(dataDir) + "/" + entry.images;
}

// Drops the before-images the bounds no longer keep, newest entries first:
// an entry past the newest `changes`, or whose images would pass `bytes`,
// loses them, and its line is written again without them.
Status KeepWithinBounds(const std::string& dataDir, const HistoryBounds& bounds) {
  JournalFile journal;
  Status s = LoadJournal(JournalPath(dataDir), &journal);
  if (!s.ok()) return s;
  std::uint64_t kept = 0;
  bool dropped = false;
  for (std::size_t i = journal.entries.size(); i-- > 0;) {
    ImportEntry& e = journal.entries[i];
    if (e.images.empty()) continue;
    struct stat st {};
    const std::string path = ImagesPath(dataDir, e);
    const std::uint64_t size = ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    if (journal.entries.size() - i <= bounds.changes && kept + size <= bounds.bytes) {
      kept += size;
      continue;
    }
    ::unlink(path.c_str());
    e.images.clear();
    dropped = true;
  }
  if (!dropped) return Status::Ok();
  std::vector<std::string> lines;
  lines.reserve(journal.entries.size());
  for (const ImportEntry& e : journal.entries) lines.push_back(EntryLine(e));
  return WriteTextLines(JournalPath(dataDir), lines);
}

}  // namespace

Status RecordChange(const HistoryPlace& place, Table* table, std::string_view kind, std::string_view caption,
                    const RecordedChangeFn& change) {
  const std::string& dataDir = place.dataDir;
  Status s = table->BeginChanges();
  if (!s.ok()) return s;
  ImagesWriter images(place.bounds.changes > 0);
  s = images.Open(dataDir, table->RecordLength());
  const Table::ChangedRecordFn note = [&](std::uint32_t recno, std::string_view before, std::string_view after) {
    Status added = images.Add(recno, before, after);
    if (added.ok()) return added;
    return Status::Error(added.kind(), "the change was stopped: its before-images could not be written (" +
                                           added.message() + ")");
  };
  if (s.ok()) s = change(note);
  if (images.records() > 0) {
    // What was written stays recorded, even when the change stopped half-way.
    Status recorded = images.Finish();
    ImportEntry entry;
    entry.when = Now();
    entry.kind = std::string(kind);
    entry.file = std::string(caption);
    entry.first = images.first();
    entry.last = images.last();
    entry.count = images.records();
    entry.images = images.name();
    if (recorded.ok()) recorded = AppendEntry(JournalPath(dataDir), entry);
    if (recorded.ok()) images.Keep();
    // Tidying only: images it fails to drop go at the next change.
    if (recorded.ok()) (void)KeepWithinBounds(dataDir, place.bounds);
    if (!recorded.ok() && s.ok())
      s = Status::Error(recorded.kind(), std::to_string(images.records()) +
                                             " records changed; the history could not be written (" +
                                             recorded.message() + "), so the change cannot be taken back");
  }
  const Status ended = table->EndChanges();
  return s.ok() ? ended : s;
}

Status PreviewUndo(const std::string& dataDir, Table* table, UndoPreview* preview, bool countRecords) {
  *preview = UndoPreview{};
  JournalFile journal;
  Status s = LoadJournal(JournalPath(dataDir), &journal);
  if (!s.ok() || journal.entries.empty()) return s;
  const ImportEntry& entry = journal.entries.back();
  if (!countRecords) {
    bool still = !entry.kind.empty();
    if (entry.kind.empty()) s = ImportStillInTable(table, entry, &still);
    preview->undoable = still ? entry.count : 0;
    preview->possible = entry.kind.empty() || !entry.images.empty();
  } else if (entry.kind.empty()) {
    s = CountUnchanged(table, entry, &preview->undoable);
    if (entry.last <= table->LastRecNo()) preview->kept = entry.count - preview->undoable;
    preview->possible = true;
  } else if (!entry.images.empty()) {
    std::string content;
    std::vector<BeforeImage> images;
    s = ReadImages(ImagesPath(dataDir, entry), table->RecordLength(), &content, &images);
    if (s.ok()) s = CountChangeStates(table, images, &preview->undoable, &preview->kept);
    preview->possible = s.ok();
  }
  if (s.ok()) preview->entry = entry;
  return s;
}

Status UndoLatest(const std::string& dataDir, Table* table, const ProgressFn& progress, UndoOutcome* outcome) {
  *outcome = UndoOutcome{};
  const std::string path = JournalPath(dataDir);
  Status s = table->BeginChanges();
  if (!s.ok()) return s;
  JournalFile journal;
  s = LoadJournal(path, &journal);
  if (s.ok() && journal.entries.empty()) s = Status::Error(StatusKind::NotFound, "nothing to undo");
  if (!s.ok()) {
    (void)table->EndChanges();
    return s;
  }
  ImportEntry& entry = outcome->entry;
  entry = journal.entries.back();
  if (entry.kind.empty()) {
    std::uint32_t unchanged = 0;
    s = CountUnchanged(table, entry, &unchanged);
    const bool orphan = entry.last > table->LastRecNo();
    if (s.ok() && !orphan && unchanged == entry.count && entry.last == table->LastRecNo()) {
      // The import's records are the table's last, as appended: cut off.
      s = table->CutRecordsFrom(entry.first, entry.dateBefore.size() == 3 ? entry.dateBefore.data() : nullptr);
      // The records went even when the index file could not follow.
      if (table->LastRecNo() < entry.first) outcome->undone = entry.count;
    } else if (s.ok() && !orphan) {
      s = table->DeleteRecords(
          entry.first, entry.last,
          [&](std::uint32_t recno, std::string_view record) { return Unchanged(entry, recno, record); },
          &outcome->undone);
      outcome->kept = entry.count - outcome->undone;
    }
  } else if (entry.images.empty()) {
    s = Status::Invalid("the " + entry.kind + " of " + entry.when +
                        " can no longer be undone: its before-images were dropped");
  } else {
    std::string content;
    std::vector<BeforeImage> images;
    s = ReadImages(ImagesPath(dataDir, entry), table->RecordLength(), &content, &images);
    std::vector<std::uint32_t> recnos;
    recnos.reserve(images.size());
    for (const BeforeImage& image : images)
      if (recnos.empty() || recnos.back() != image.recno) recnos.push_back(image.recno);
    std::size_t next = 0;
    std::uint32_t patched = 0;
    const Table::RecordPatchFn patch = [&](std::uint32_t recno, char* record) {
      while (next < images.size() && images[next].recno < recno) ++next;
      bool changed = false;
      // A record a change rewrote twice has two images: the later one first.
      std::size_t end = next;
      while (end < images.size() && images[end].recno == recno) ++end;
      for (std::size_t i = end; i > next; --i) {
        const BeforeImage& image = images[i - 1];
        const std::string_view bytes(record, table->RecordLength());
        switch (StateOf(image, bytes)) {
          case ImageState::Before:
            ++outcome->undone;
            break;
          case ImageState::After:
            std::memcpy(record + image.at, image.bytes.data(), image.bytes.size());
            ++outcome->undone;
            changed = true;
            break;
          case ImageState::Other:
            ++outcome->kept;
            break;
        }
      }
      next = end;
      return changed;
    };
    if (s.ok()) s = table->PatchRecords(recnos, patch, progress, &patched);
  }
  // The entry goes once the undo is done, its images after it: a change's
  // when every record is back, an import's once none of its records is
  // left as appended, even when the index file could not follow.
  bool done = s.ok();
  if (!done && entry.kind.empty()) {
    std::uint32_t rest = 0;
    done = CountUnchanged(table, entry, &rest).ok() && rest == 0;
  }
  const Status cut = done ? ReplaceTail(path, journal.starts.back(), "") : Status::Ok();
  if (done && cut.ok() && !entry.images.empty()) ::unlink(ImagesPath(dataDir, entry).c_str());
  if (s.ok() && !cut.ok())
    s = Status::Error(cut.kind(), std::to_string(outcome->undone) + " records " +
                                      (entry.kind.empty() ? "removed" : "put back") +
                                      "; the history could not be written (" + cut.message() + ")");
  const Status ended = table->EndChanges();
  return s.ok() ? ended : s;
}

}  // namespace zvonar
