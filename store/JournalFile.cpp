// imports.dat holds one line per change, CR LF ended, oldest first; seven
// cells separated by TAB:
//   when         "yyyy.mm.dd hh:mm:ss", local time
//   lead         an import: 16 hex digits, XXH3-64 of the imported file's
//                bytes, then "@" and 6 hex digits of the table header's date
//                before it (older lines lack them); a change: its kind
//   first, last  record numbers of the first and last record appended
//                (changed)
//   count        records appended (changed)
//   sums         an import: 8 hex digits per record, the low half of
//                XXH3-64 of the record's fields (the bytes after its deleted
//                flag); or, for a large import, "=", the hashes of its first
//                and last record (8 + 8 hex digits), ":" and the name of its
//                side file in the history folder ("-" once dropped);
//                a change: the name of its before-image file ("-" once
//                dropped)
//   file         the file as named to the import (a change's caption), the
//                rest of the line
// The file name is last so that a TAB in it needs no escape; a CR or LF in
// it is written as "?". A line is added by one append; an undone one is cut
// off the end. An import's line that a later import's records overlap is an
// orphan (killed before its records were committed) and is passed over.
//
// A side file of hashes: "ZVSUM1\r\n", the record count (4 bytes), then one
// hash per record (4 bytes each), little-endian.
#include "store/JournalFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <ctime>

#include "base/DiskSteps.h"
#include "base/TextFile.h"
#include "store/Bytes.h"
#include "store/History.h"

namespace zvonar {
namespace {

constexpr std::size_t kCells = 7;
constexpr std::size_t kMaxLeadCellKind = 24;  // a change's kind
constexpr std::size_t kMaxImagesCell = 64;    // a history file's name
constexpr std::size_t kReadBlock = 64 * 1024;
constexpr std::size_t kMaxLeadCell = 32;    // when, fingerprint
constexpr std::size_t kMaxNumberCell = 10;  // first, last, count
constexpr std::size_t kMaxFileCell = 16384;
constexpr char kApartMark = '=';              // an import's hashes lie in a side file
constexpr std::size_t kKeptSumDigits = 4096;  // inline hashes held while a line is read without them
constexpr char kSumsMagic[] = "ZVSUM1\r\n";
constexpr std::size_t kSumsHead = 8 + 4;
constexpr char kHex[] = "0123456789abcdef";

bool ReadNumber(std::string_view text, int base, std::uint32_t* value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, *value, base);
  return !text.empty() && ec == std::errc() && ptr == end;
}

// A change's kind: lower-case letters and "-", which no fingerprint is.
bool IsKind(std::string_view cell) {
  return !cell.empty() && cell.size() <= kMaxLeadCellKind &&
         std::all_of(cell.begin(), cell.end(), [](char c) { return (c >= 'a' && c <= 'z') || c == '-'; }) &&
         cell.find_first_not_of("abcdef") != std::string_view::npos;
}

// A history file's name: "-" when it was dropped.
bool IsImagesName(std::string_view cell) {
  return !cell.empty() && cell.size() <= kMaxImagesCell && std::all_of(cell.begin(), cell.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
  });
}

// The cell of an import's hashes kept apart: "=FFFFFFFFLLLLLLLL:name".
bool ParseApartSums(std::string_view cell, ImportEntry* e) {
  if (cell.size() < 1 + 16 + 2 || cell[0] != kApartMark || cell[17] != ':') return false;
  const std::string_view name = cell.substr(18);
  if (!ReadNumber(cell.substr(1, 8), 16, &e->firstSum) || !ReadNumber(cell.substr(9, 8), 16, &e->lastSum) ||
      !IsImagesName(name))
    return false;
  e->sumsApart = true;
  e->images = name == "-" ? std::string() : std::string(name);
  return true;
}

// Reads a line's entry; with `sums` an import's inline hashes go there too.
// `skipped` digits of the inline hashes were left out of `line` as read.
bool ParseEntry(std::string_view line, ImportEntry* e, std::vector<std::uint32_t>* sums, std::uint64_t skipped = 0) {
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
  std::string_view fingerprint = cells[1];
  if (fingerprint.size() == 16 + 1 + 6 && fingerprint[16] == '@') {
    std::uint32_t date = 0;
    if (!ReadNumber(fingerprint.substr(17), 16, &date)) return false;
    e->dateBefore = {static_cast<char>(date >> 16), static_cast<char>(date >> 8), static_cast<char>(date)};
    fingerprint = fingerprint.substr(0, 16);
  }
  e->fingerprint = fingerprint;
  if (e->first == 0 || e->last < e->first || e->last - e->first + 1 != e->count) return false;
  const std::string_view cell = cells[5];
  if (!cell.empty() && cell[0] == kApartMark) return ParseApartSums(cell, e);
  if (cell.size() + skipped != e->count * 8ULL || cell.size() < 8 || !ReadNumber(cell.substr(0, 8), 16, &e->firstSum) ||
      !ReadNumber(cell.substr(cell.size() - 8), 16, &e->lastSum))
    return false;
  if (sums == nullptr || skipped > 0) return sums == nullptr;  // checked digit by digit as the line was read
  sums->resize(e->count);
  for (std::size_t i = 0; i < e->count; ++i)
    if (!ReadNumber(cell.substr(i * 8, 8), 16, &(*sums)[i])) return false;
  return true;
}

// Whether `partial`, the start of a line not yet ended, can still become an
// entry of a file of `fileSize` bytes: its cells are short, its numbers
// digits, its sums hexadecimal and no longer than its count says and the
// file holds. `*checked` tells how far the sums were checked already,
// `skipped` how many of their digits were left out of `partial`, and
// `*sumsAt` gets where inline sums start (npos for none).
bool CanBeEntryStart(std::string_view partial, std::uint64_t fileSize, std::uint64_t skipped, std::size_t* checked,
                     std::size_t* sumsAt) {
  *sumsAt = std::string_view::npos;
  std::size_t at = 0;
  std::uint32_t count = 0;
  bool change = false;
  for (std::size_t cell = 0; cell < 5; ++cell) {
    const std::size_t tab = partial.find('\t', at);
    const std::size_t end = tab == std::string_view::npos ? partial.size() : tab;
    if (end - at > (cell < 2 ? kMaxLeadCell : kMaxNumberCell)) return false;
    if (cell >= 2 &&
        !std::all_of(partial.begin() + at, partial.begin() + end, [](char c) { return c >= '0' && c <= '9'; }))
      return false;
    if (tab == std::string_view::npos) return true;
    if (cell == 1) change = IsKind(partial.substr(at, end - at));
    if (cell == 4 && !ReadNumber(partial.substr(at, end - at), 10, &count)) return false;
    at = tab + 1;
  }
  if (at == partial.size()) return true;      // which form its sums take shows with their first byte
  if (change || partial[at] == kApartMark) {  // a file's name, then the caption
    const std::size_t tab = partial.find('\t', at);
    const std::size_t end = tab == std::string_view::npos ? partial.size() : tab;
    return end - at <= (change ? 0 : 18) + kMaxImagesCell &&
           (tab == std::string_view::npos || partial.size() - tab <= kMaxFileCell + 2);
  }
  if (at + std::uint64_t{count} * 8 > fileSize || std::uint64_t{count} * 8 < skipped) return false;
  const std::uint64_t sumsEnd = at + std::uint64_t{count} * 8 - skipped;
  *sumsAt = at;
  const std::size_t hexEnd = static_cast<std::size_t>(std::min<std::uint64_t>(partial.size(), sumsEnd));
  for (std::size_t i = std::max(at, *checked); i < hexEnd; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(partial[i]))) return false;
  *checked = std::max(*checked, hexEnd);
  if (partial.size() > sumsEnd && partial[sumsEnd] != '\t') return false;
  return partial.size() <= sumsEnd + kMaxFileCell + 2;
}

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

// Opens the journal (or a history file) and refuses anything but a regular
// file; *size gets its length.
Status OpenRegular(const std::string& path, int flags, int* fd, std::uint64_t* size) {
  *fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0644);
  if (*fd < 0) return Status::IoError("cannot open " + path + ": " + ErrnoText(errno));
  struct stat st {};
  Status s = ::fstat(*fd, &st) == 0 ? RequireRegularFile(path, st.st_mode)
                                    : Status::IoError("cannot open " + path + ": " + ErrnoText(errno));
  *size = static_cast<std::uint64_t>(st.st_size);
  return s;
}

Status ReadAt(int fd, const std::string& path, std::uint64_t at, std::size_t size, std::string* bytes) {
  bytes->resize(size);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, bytes->data() + done, size - done, static_cast<off_t>(at + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Status::IoError("cannot read " + path + ": " + (n < 0 ? ErrnoText(errno) : "cut short"));
    done += static_cast<std::size_t>(n);
  }
  return Status::Ok();
}

// Where the last line of a file of `size` bytes that does not end with a
// line end starts: what an append killed half-way left.
Status CutOffLineStart(int fd, const std::string& path, std::uint64_t size, std::uint64_t* start) {
  *start = size;
  std::string block;
  while (*start > 0) {
    const std::uint64_t from = *start > kReadBlock ? *start - kReadBlock : 0;
    Status s = ReadAt(fd, path, from, static_cast<std::size_t>(*start - from), &block);
    if (!s.ok()) return s;
    if (*start == size && !block.empty() && block.back() == '\n') return Status::Ok();
    const std::size_t lf = block.rfind('\n');
    if (lf != std::string::npos) {
      *start = from + lf + 1;
      return Status::Ok();
    }
    *start = from;
  }
  return Status::Ok();
}

}  // namespace

std::string JournalPath(const std::string& dataDir) {
  return dataDir.empty() || dataDir.back() == '/' ? dataDir + kImportJournalName : dataDir + '/' + kImportJournalName;
}

std::string HistoryDir(const std::string& dataDir) {
  return (dataDir.empty() || dataDir.back() == '/' ? dataDir : dataDir + '/') + kHistoryFolder;
}

std::string HistoryFilePath(const std::string& dataDir, const std::string& name) {
  return HistoryDir(dataDir) + "/" + name;
}

std::string NowText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y.%m.%d %H:%M:%S", &local);
  return buf;
}

std::string HexText(std::uint64_t v, int digits) {
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, v >>= 4) out[static_cast<std::size_t>(i)] = kHex[v & 15];
  return out;
}

std::uint32_t RecordSum(std::string_view record) {
  return static_cast<std::uint32_t>(XXH3_64bits(record.data() + 1, record.size() - 1));
}

std::uint64_t SumsFileSize(std::uint32_t count) {
  return kSumsHead + std::uint64_t{count} * 4;
}

Status CreateHistoryFile(const std::string& dataDir, std::string_view suffix, std::string* name, int* fd) {
  *fd = -1;
  const std::string dir = HistoryDir(dataDir);
  if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST)
    return Status::IoError("cannot make " + dir + ": " + ErrnoText(errno));
  // A name of its own: the time and a counter, tried until one is free.
  const std::string stamp = HexText(static_cast<std::uint64_t>(std::time(nullptr)), 10);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    *name = stamp + "-" + std::to_string(::getpid()) + "-" + std::to_string(attempt) + std::string(suffix);
    const std::string path = dir + "/" + *name;
    *fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (*fd >= 0) return Status::Ok();
    if (errno != EEXIST) return Status::IoError("cannot write " + path + ": " + ErrnoText(errno));
  }
  name->clear();
  return Status::IoError("cannot write a history file in " + dir);
}

Status ScanJournal(const std::string& path, bool keepSums, const std::function<void(JournalLine&&)>& visit) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? Status::Ok() : Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
  FdCloser closer(fd);
  struct stat st {};
  if (::fstat(fd, &st) != 0) return Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
  Status s = RequireRegularFile(path, st.st_mode);
  if (!s.ok()) return s;
  const auto fileSize = static_cast<std::uint64_t>(st.st_size);
  std::vector<char> block(kReadBlock);
  std::string line;
  std::vector<std::uint32_t> sums;
  std::size_t checked = 0, lineNo = 1, sumsAt = 0;
  std::uint64_t offset = 0, lineStart = 0, skipped = 0;
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
      if (!CanBeEntryStart(line, fileSize, skipped, &checked, &sumsAt)) return damaged();
      // Without the hashes, those checked are let go but for the first and
      // the last checked, so that a line of a million of them takes no room.
      if (!keepSums && sumsAt != std::string::npos && checked > sumsAt + kKeptSumDigits) {
        const std::size_t from = sumsAt + 8, to = checked - 8;
        line.erase(from, to - from);
        skipped += to - from;
        checked = from + 8;
      }
      if (data.empty()) break;
      data.remove_prefix(1);
      ++offset;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) {
        JournalLine entry;
        if (!ParseEntry(line, &entry.entry, keepSums ? &sums : nullptr, skipped)) return damaged();
        entry.start = lineStart;
        entry.end = offset;
        visit(std::move(entry));
      }
      lineStart = offset;
      line.clear();
      checked = skipped = 0;
      ++lineNo;
    }
  }
  return Status::Ok();
}

Status LoadJournal(const std::string& path, JournalFile* journal) {
  *journal = JournalFile{};
  Status s = ScanJournal(path, false, [&](JournalLine&& line) { journal->lines.push_back(std::move(line)); });
  if (!s.ok()) return s;
  // Newest first: an import's line is left out once a later import's
  // records begin at or before its last.
  std::uint32_t laterFirst = UINT32_MAX;
  std::vector<bool> leftOut(journal->lines.size());
  for (std::size_t i = journal->lines.size(); i-- > 0;) {
    const ImportEntry& e = journal->lines[i].entry;
    if (!e.kind.empty()) continue;
    leftOut[i] = laterFirst <= e.last;
    laterFirst = std::min(laterFirst, e.first);
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < journal->lines.size(); ++i) {
    if (leftOut[i]) {
      if (!journal->firstLeftOut) journal->firstLeftOut = journal->lines[i].start;
      continue;
    }
    if (kept != i) journal->lines[kept] = std::move(journal->lines[i]);
    ++kept;
  }
  journal->lines.resize(kept);
  return Status::Ok();
}

std::string EntryLine(const ImportEntry& e, const std::vector<std::uint32_t>& sums) {
  std::string file = e.file;
  for (char& c : file)
    if (c == '\r' || c == '\n') c = '?';
  const std::string images = e.images.empty() ? std::string("-") : e.images;
  std::string lead = e.kind, cell = images;
  if (e.kind.empty()) {
    lead = e.fingerprint;
    if (e.dateBefore.size() == 3) {
      const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(e.dateBefore[i]); };
      lead += '@' + HexText((std::uint64_t{byte(0)} << 16) | (std::uint64_t{byte(1)} << 8) | byte(2), 6);
    }
    if (e.sumsApart) {
      cell = kApartMark + HexText(e.firstSum, 8) + HexText(e.lastSum, 8) + ':' + images;
    } else {
      cell.clear();
      cell.reserve(sums.size() * 8);
      for (std::uint32_t sum : sums) cell += HexText(sum, 8);
    }
  }
  return e.when + '\t' + lead + '\t' + std::to_string(e.first) + '\t' + std::to_string(e.last) + '\t' +
         std::to_string(e.count) + '\t' + cell + '\t' + file;
}

Status AppendJournalLine(const std::string& path, const std::string& line) {
  int fd = -1;
  std::uint64_t size = 0;
  Status s = OpenRegular(path, O_RDWR | O_APPEND | O_CREAT, &fd, &size);
  FdCloser closer(fd);
  if (!s.ok()) return s;
  std::uint64_t start = size;
  s = CutOffLineStart(fd, path, size, &start);
  if (!s.ok()) return s;
  const auto fail = [&](int err) {
    (void)!::ftruncate(fd, static_cast<off_t>(start));
    return Status::IoError("cannot write " + path + ": " + ErrnoText(err));
  };
  if (start < size && ::ftruncate(fd, static_cast<off_t>(start)) != 0) return fail(errno);
  const std::string whole = line + "\r\n";
  std::string_view rest = whole;
  while (!rest.empty()) {  // one write; only a full disk or a signal splits it
    const ssize_t n = ::write(fd, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail(n < 0 ? errno : ENOSPC);
    NoteDiskStep(DiskStep::Write, path, start + (whole.size() - rest.size()));
    rest.remove_prefix(static_cast<std::size_t>(n));
  }
  if (FlushToDisk(fd, path, true) != 0) return fail(errno);
  return Status::Ok();
}

Status CutJournal(const std::string& path, std::uint64_t at) {
  int fd = -1;
  std::uint64_t size = 0;
  Status s = OpenRegular(path, O_WRONLY | O_CREAT, &fd, &size);
  FdCloser closer(fd);
  if (!s.ok()) return s;
  if (::ftruncate(fd, static_cast<off_t>(at)) != 0 || FlushToDisk(fd, path, true) != 0)
    return Status::IoError("cannot write " + path + ": " + ErrnoText(errno));
  return Status::Ok();
}

Status RewriteJournal(const std::string& path, const JournalFile& journal, std::size_t count) {
  int fd = -1;
  std::uint64_t size = 0;
  Status s = OpenRegular(path, O_RDONLY, &fd, &size);
  FdCloser closer(fd);
  if (!s.ok()) return s;
  std::string content, bytes;
  for (std::size_t i = 0; s.ok() && i < count && i < journal.lines.size(); ++i) {
    const JournalLine& line = journal.lines[i];
    if (line.changed) {
      content += EntryLine(line.entry, {}) + "\r\n";
    } else if (line.end <= size) {
      s = ReadAt(fd, path, line.start, static_cast<std::size_t>(line.end - line.start), &bytes);
      content += bytes;
    }
  }
  return s.ok() ? WriteFileAtomic(path, content) : s;
}

Status LoadImportSums(const std::string& dataDir, const std::string& journalPath, const JournalLine& line,
                      std::vector<std::uint32_t>* sums) {
  const ImportEntry& entry = line.entry;
  sums->clear();
  std::string bytes;
  if (!entry.sumsApart) {
    int fd = -1;
    std::uint64_t size = 0;
    Status s = OpenRegular(journalPath, O_RDONLY, &fd, &size);
    FdCloser closer(fd);
    if (s.ok()) s = ReadAt(fd, journalPath, line.start, static_cast<std::size_t>(line.end - line.start), &bytes);
    while (s.ok() && !bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) bytes.pop_back();
    ImportEntry again;
    if (s.ok() && !ParseEntry(bytes, &again, sums))
      s = Status::Error(StatusKind::Corrupt, journalPath + ": the entry of " + entry.file + " changed while read");
    return s;
  }
  const std::string path = HistoryFilePath(dataDir, entry.images);
  Status s = ReadWholeFile(path, &bytes);
  if (!s.ok()) return s;
  if (bytes.size() != kSumsHead + std::size_t{entry.count} * 4 || bytes.compare(0, 8, kSumsMagic) != 0 ||
      GetU32(bytes.data() + 8) != entry.count)
    return Status::Error(StatusKind::Corrupt, path + " is not the file of hashes of " + entry.file);
  sums->resize(entry.count);
  for (std::size_t i = 0; i < entry.count; ++i) (*sums)[i] = GetU32(bytes.data() + kSumsHead + i * 4);
  return Status::Ok();
}

Status SumsWriter::Open(const std::string& dataDir, std::uint32_t count) {
  Status s = CreateHistoryFile(dataDir, ".sums", &name_, &fd_);
  if (!s.ok()) return s;
  path_ = HistoryFilePath(dataDir, name_);
  buffer_.assign(kSumsMagic, 8);
  buffer_.resize(kSumsHead);
  PutU32(count, &buffer_[8]);
  return Status::Ok();
}

SumsWriter::~SumsWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!kept_ && !name_.empty()) ::unlink(path_.c_str());
}

void SumsWriter::Add(std::uint32_t sum) {
  const std::size_t at = buffer_.size();
  buffer_.resize(at + 4);
  PutU32(sum, &buffer_[at]);
  if (buffer_.size() >= (1u << 20)) (void)Write();
}

bool SumsWriter::Write() {
  std::string_view rest = buffer_;
  while (!rest.empty() && error_ == 0) {
    const ssize_t n = ::write(fd_, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 ? errno : ENOSPC;
    } else {
      NoteDiskStep(DiskStep::Write, path_, written_);
      written_ += static_cast<std::uint64_t>(n);
      rest.remove_prefix(static_cast<std::size_t>(n));
    }
  }
  buffer_.clear();
  return error_ == 0;
}

Status SumsWriter::CopyFromLine(const std::string& dataDir, const std::string& journalPath, const JournalLine& line) {
  const ImportEntry& entry = line.entry;
  int fd = -1;
  std::uint64_t size = 0;
  Status s = OpenRegular(journalPath, O_RDONLY, &fd, &size);
  FdCloser closer(fd);
  std::string bytes;
  // The hashes follow the fifth TAB, which the short cells before them put
  // within the line's first bytes.
  if (s.ok())
    s = ReadAt(fd, journalPath, line.start,
               static_cast<std::size_t>(std::min<std::uint64_t>(line.end - line.start, 5 * (kMaxLeadCell + 1))),
               &bytes);
  std::size_t at = 0;
  for (int tab = 0; s.ok() && tab < 5 && at != std::string::npos; ++tab) {
    at = bytes.find('\t', at);
    if (at != std::string::npos) ++at;
  }
  const auto changed = [&] {
    return Status::Error(StatusKind::Corrupt, journalPath + ": the entry of " + entry.file + " changed while read");
  };
  if (s.ok() && (at == std::string::npos || line.start + at + std::uint64_t{entry.count} * 8 > line.end)) s = changed();
  if (s.ok()) s = Open(dataDir, entry.count);
  // A block of hashes at a time, so that a million of them take no room.
  std::uint64_t from = line.start + at;
  std::uint32_t sum = 0, first = 0;
  for (std::uint32_t done = 0; s.ok() && done < entry.count;) {
    const std::uint32_t n = std::min<std::uint32_t>(entry.count - done, kReadBlock / 8);
    s = ReadAt(fd, journalPath, from, std::size_t{n} * 8, &bytes);
    for (std::uint32_t i = 0; s.ok() && i < n; ++i) {
      if (!ReadNumber(std::string_view(bytes).substr(std::size_t{i} * 8, 8), 16, &sum)) s = changed();
      if (done + i == 0) first = sum;
      Add(sum);
    }
    from += std::uint64_t{n} * 8;
    done += n;
  }
  if (s.ok() && (first != entry.firstSum || sum != entry.lastSum)) s = changed();
  std::uint64_t written = 0;
  return s.ok() ? Finish(&written) : s;
}

Status SumsWriter::Finish(std::uint64_t* size) {
  if (Write() && FlushToDisk(fd_, path_, true) != 0) error_ = errno;
  if (error_ != 0) return Status::IoError("cannot write " + path_ + ": " + ErrnoText(error_));
  struct stat st {};
  *size = ::fstat(fd_, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
  return Status::Ok();
}

}  // namespace zvonar
