// Changes of records in place recorded in the history, and the undo of the
// newest entry of the history, whatever its kind.
//
// A before-image file: "ZVBEF1\r\n", the record length (4 bytes), then per
// rewritten record its number (4 bytes), the XXH3-64 of the record as the
// change left it (8), where the changed bytes start in the record and how
// many they are (2 + 2), and those bytes as they were. Numbers are
// little-endian. A change writes its records in file order, so the images
// lie in the order of their record numbers and an undo reads them a block
// at a time beside the records, however many there are.
#include "store/History.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <list>
#include <unordered_set>
#include <utility>

#include "base/DiskSteps.h"
#include "base/TextFile.h"
#include "store/Bytes.h"
#include "store/JournalFile.h"

namespace zvonar {
namespace {

constexpr char kImagesMagic[] = "ZVBEF1\r\n";
constexpr std::size_t kImagesHead = 8 + 4;
constexpr std::size_t kImageHead = 4 + 8 + 2 + 2;
constexpr std::size_t kImagesBuffer = 4u << 20;
constexpr std::size_t kImagesReadBlock = 1u << 20;

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

// Where `before` and `after` (of one length) differ: from the first byte
// that does to past the last one. Compared a word at a time, as a fill
// passes every record through here.
std::pair<std::size_t, std::size_t> ChangedSpan(std::string_view before, std::string_view after) {
  const auto word = [](std::string_view bytes, std::size_t at) {
    std::uint64_t w;
    std::memcpy(&w, bytes.data() + at, 8);
    return w;
  };
  std::size_t from = 0, to = before.size();
  while (from + 8 <= to && word(before, from) == word(after, from)) from += 8;
  while (from < to && before[from] == after[from]) ++from;
  while (to >= from + 8 && word(before, to - 8) == word(after, to - 8)) to -= 8;
  while (to > from && before[to - 1] == after[to - 1]) --to;
  return {from, to};
}

// The before-images of one change as it runs, written to a new file of the
// history folder a few megabytes at a time.
class ImagesWriter {
 public:
  // Without `keep` only the records are counted and no file is written.
  explicit ImagesWriter(bool keep) : keep_(keep) {}
  ~ImagesWriter() {
    if (fd_ >= 0) ::close(fd_);
    if (!kept_ && !name_.empty()) ::unlink(path_.c_str());
  }
  ImagesWriter(const ImagesWriter&) = delete;
  ImagesWriter& operator=(const ImagesWriter&) = delete;

  Status Open(const std::string& dataDir, std::size_t recordLength) {
    if (!keep_) return Status::Ok();
    Status s = CreateHistoryFile(dataDir, ".bef", &name_, &fd_);
    if (!s.ok()) return s;
    path_ = HistoryFilePath(dataDir, name_);
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
    const auto [from, to] = ChangedSpan(before, after);
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

// One record's before-image, viewing the reader's buffer.
struct BeforeImage {
  std::uint64_t afterHash = 0;
  std::size_t at = 0;
  std::string_view bytes;
};

// Reads a before-image file a block at a time, record after record. The
// number of the next record is told (Announce) before its images are taken
// (Take), so that the table's patching may look one record ahead; what is
// taken views the buffer until the next Announce.
class ImagesReader {
 public:
  ImagesReader() = default;
  ~ImagesReader() {
    if (fd_ >= 0) ::close(fd_);
  }
  ImagesReader(const ImagesReader&) = delete;
  ImagesReader& operator=(const ImagesReader&) = delete;

  Status Open(const std::string& path, std::size_t recordLength) {
    path_ = path;
    recordLength_ = recordLength;
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
    Status s = RequireRegularFile(path, st.st_mode);
    if (s.ok() && (!Have(kImagesHead) || std::string_view(buffer_.data(), 8) != std::string_view(kImagesMagic, 8) ||
                   GetU32(buffer_.data() + 8) != recordLength))
      s = Damaged();
    announce_ = take_ = kImagesHead;
    return status_ = s;
  }

  // The number of the next record with images (a record's images lie
  // together), 0 after the last or on damage (see status).
  std::uint32_t Announce() {
    if (!status_.ok()) return 0;
    if (!Have(kImageHead)) return buffer_.size() == announce_ ? 0 : Fail();  // the end, or a cut image
    const std::uint32_t recno = GetU32(buffer_.data() + announce_);
    if (recno == 0 || recno <= announced_) return Fail();  // not in record order
    do {
      const char* p = buffer_.data() + announce_;
      const std::size_t at = GetU16(p + 12), length = GetU16(p + 14);
      if (at + length > recordLength_ || !Have(kImageHead + length)) return Fail();
      announce_ += kImageHead + length;
    } while (Have(kImageHead) && GetU32(buffer_.data() + announce_) == recno);
    if (!status_.ok()) return 0;
    announced_ = recno;
    return recno;
  }

  // The images of `recno`, announced and not yet taken, in the order they
  // were written; images of records passed over are skipped.
  void Take(std::uint32_t recno, std::vector<BeforeImage>* images) {
    images->clear();
    while (take_ < announce_ && GetU32(buffer_.data() + take_) <= recno) {
      const char* p = buffer_.data() + take_;
      const std::size_t length = GetU16(p + 14);
      if (GetU32(p) == recno)
        images->push_back({GetU64(p + 4), GetU16(p + 12), std::string_view(p + kImageHead, length)});
      take_ += kImageHead + length;
    }
  }

  const Status& status() const { return status_; }

 private:
  Status Damaged() const { return Status::Error(StatusKind::Corrupt, path_ + " is not a before-image file"); }
  std::uint32_t Fail() {
    if (status_.ok()) status_ = Damaged();
    return 0;
  }
  // Whether `bytes` from the announce point are in the buffer, reading on
  // as needed; what was taken makes room first.
  bool Have(std::size_t bytes) {
    while (buffer_.size() - announce_ < bytes && !eof_ && status_.ok()) {
      if (take_ > 0 && take_ >= buffer_.size() / 2) {
        buffer_.erase(0, take_);
        announce_ -= take_;
        take_ = 0;
      }
      const std::size_t at = buffer_.size();
      buffer_.resize(at + kImagesReadBlock);
      ssize_t n;
      do n = ::read(fd_, buffer_.data() + at, kImagesReadBlock);
      while (n < 0 && errno == EINTR);
      buffer_.resize(at + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
      if (n < 0) status_ = Status::IoError("cannot read " + path_ + ": " + ErrnoText(errno));
      eof_ = n <= 0;
    }
    return buffer_.size() - announce_ >= bytes;
  }

  std::string path_;
  std::size_t recordLength_ = 0;
  int fd_ = -1;
  std::string buffer_;
  std::size_t announce_ = 0, take_ = 0;
  std::uint32_t announced_ = 0;
  bool eof_ = false;
  Status status_;
};

// How a record of a change stands: already as before it, as the change
// left it, or changed since by someone else.
enum class ImageState { Before, After, Other };
ImageState StateOf(const BeforeImage& image, std::string_view record) {
  if (record.substr(image.at, image.bytes.size()) == image.bytes) return ImageState::Before;
  return RecordHash(record) == image.afterHash ? ImageState::After : ImageState::Other;
}

std::string ImagesPath(const std::string& dataDir, const ImportEntry& entry) {
  return HistoryFilePath(dataDir, entry.images);
}

// Counts the records of a change an undo would put back and those it would
// leave, reading its images beside the records.
Status CountChangeStates(const std::string& dataDir, Table* table, const ImportEntry& entry, std::uint32_t* undoable,
                         std::uint32_t* kept) {
  *undoable = *kept = 0;
  ImagesReader reader;
  Status s = reader.Open(ImagesPath(dataDir, entry), table->RecordLength());
  std::uint32_t next = s.ok() ? reader.Announce() : 0;
  std::vector<BeforeImage> images;
  if (next != 0)
    s = table->VisitRecords(next, entry.last, [&](std::uint32_t recno, std::string_view record) {
      if (recno != next) return;
      reader.Take(recno, &images);
      for (const BeforeImage& image : images) ++*(StateOf(image, record) == ImageState::Other ? kept : undoable);
      next = reader.Announce();
    });
  return s.ok() ? reader.status() : s;
}

// Puts back the records of a change that still hold what it wrote; a record
// the change rewrote twice has two images, the later one taken back first.
Status UndoChange(const std::string& dataDir, Table* table, const ProgressFn& progress, UndoOutcome* outcome) {
  const ImportEntry& entry = outcome->entry;
  ImagesReader reader;
  Status s = reader.Open(ImagesPath(dataDir, entry), table->RecordLength());
  if (!s.ok()) return s;
  std::vector<BeforeImage> images;
  const Table::RecordPatchFn patch = [&](std::uint32_t recno, char* record) {
    reader.Take(recno, &images);
    bool changed = false;
    for (auto image = images.rbegin(); image != images.rend(); ++image) {
      switch (StateOf(*image, std::string_view(record, table->RecordLength()))) {
        case ImageState::Before:
          ++outcome->undone;
          break;
        case ImageState::After:
          std::memcpy(record + image->at, image->bytes.data(), image->bytes.size());
          ++outcome->undone;
          changed = true;
          break;
        case ImageState::Other:
          ++outcome->kept;
          break;
      }
    }
    return changed;
  };
  std::uint32_t patched = 0;
  s = table->PatchRecords([&reader] { return reader.Announce(); }, entry.count, patch, progress, &patched);
  return s.ok() ? reader.status() : s;
}

// Whole records of `entry` that still hold what was appended, by `sums`.
Status CountUnchanged(Table* table, const ImportEntry& entry, const std::vector<std::uint32_t>& sums,
                      std::uint32_t* count) {
  *count = 0;
  if (entry.last > table->LastRecNo()) return Status::Ok();  // an orphan
  return table->VisitRecords(entry.first, entry.last, [&](std::uint32_t recno, std::string_view record) {
    if (record[0] != kDeletedFlag && sums[recno - entry.first] == RecordSum(record)) ++*count;
  });
}

// Takes back an import: cut off when its records are the table's last and
// all as appended, else those still as appended are marked deleted.
Status UndoImport(Table* table, const std::vector<std::uint32_t>& sums, UndoOutcome* outcome) {
  const ImportEntry& entry = outcome->entry;
  if (entry.last > table->LastRecNo()) return Status::Ok();  // an orphan: nothing of it to take
  std::uint32_t unchanged = 0;
  Status s = CountUnchanged(table, entry, sums, &unchanged);
  if (s.ok() && unchanged == entry.count && entry.last == table->LastRecNo()) {
    s = table->CutRecordsFrom(entry.first, entry.dateBefore.size() == 3 ? entry.dateBefore.data() : nullptr);
    // The records went even when the index file could not follow.
    if (table->LastRecNo() < entry.first) outcome->undone = entry.count;
  } else if (s.ok()) {
    s = table->DeleteRecords(
        entry.first, entry.last,
        [&](std::uint32_t recno, std::string_view record) { return sums[recno - entry.first] == RecordSum(record); },
        &outcome->undone);
    outcome->kept = entry.count - outcome->undone;
  }
  return s;
}

Status NoLongerUndoable(const ImportEntry& entry) {
  const std::string what = entry.kind.empty() ? "import of " + entry.file : entry.kind;
  return Status::Invalid("the " + what + " of " + entry.when + " can no longer be undone: its " +
                         (entry.kind.empty() ? "record hashes" : "before-images") + " were dropped");
}

// Drops the newest entry of `journal` from the file, with the orphans only
// it left out: the file is cut after the entry before it, or written anew
// when orphans lie further back.
Status DropNewest(const std::string& path, const JournalFile& journal) {
  const std::size_t n = journal.lines.size();
  const std::uint64_t keepTo = n >= 2 ? journal.lines[n - 2].end : 0;
  if (!journal.firstLeftOut || *journal.firstLeftOut >= keepTo) return CutJournal(path, keepTo);
  return RewriteJournal(path, journal, n - 1);
}

}  // namespace

bool EntryUndoable(const ImportEntry& entry) {
  return entry.kind.empty() ? !entry.sumsApart || !entry.images.empty() : !entry.images.empty();
}

// The files of the history folder that no line of `journal` names and that
// are not `pending`: left by a change or an import killed before its line
// was written, or named only by orphans. Only the folder's own kinds of
// file count.
std::vector<std::string> UnnamedHistoryFiles(const std::string& dataDir, const JournalFile& journal,
                                             std::string_view pending) {
  std::vector<std::string> unnamed;
  DIR* dir = ::opendir(HistoryDir(dataDir).c_str());
  if (dir == nullptr) return unnamed;
  std::unordered_set<std::string_view> named;
  for (const JournalLine& line : journal.lines) named.insert(line.entry.images);
  while (const dirent* file = ::readdir(dir)) {
    const std::string_view name = file->d_name;
    if ((name.ends_with(".bef") || name.ends_with(".sums")) && name != pending && !named.contains(name))
      unnamed.push_back(HistoryFilePath(dataDir, std::string(name)));
  }
  ::closedir(dir);
  return unnamed;
}

Status KeepWithinBounds(const std::string& dataDir, const HistoryBounds& bounds,
                        std::optional<std::uint64_t> pendingBytes, std::string_view pendingFile) {
  JournalFile journal;
  Status s = LoadJournal(JournalPath(dataDir), &journal);
  if (!s.ok()) return s;
  std::uint64_t kept = pendingBytes.value_or(0);
  std::uint64_t newer = pendingBytes ? 1 : 0;
  std::vector<std::string> dropped;
  // Side files of the large imports whose hashes a journal of an earlier
  // version holds inside their lines: they move out once, with the journal
  // written anew, so that no later change reads them again.
  std::list<SumsWriter> moved;
  bool rewrite = false;
  for (std::size_t i = journal.lines.size(); i-- > 0; ++newer) {
    ImportEntry& e = journal.lines[i].entry;
    if (e.kind.empty() && !e.sumsApart && e.count <= kMostSumsInLine) {
      kept += std::uint64_t{e.count} * 8;  // hashes inside the journal: counted, never dropped
      continue;
    }
    if (e.kind.empty() && !e.sumsApart) {
      // Hashes that cannot be moved stay inside their line this time.
      const std::uint64_t size = SumsFileSize(e.count);
      if (newer < bounds.changes && kept + size <= bounds.bytes) {
        if (!moved.emplace_back().CopyFromLine(dataDir, JournalPath(dataDir), journal.lines[i]).ok()) {
          kept += std::uint64_t{e.count} * 8;
          continue;
        }
        e.images = moved.back().name();
        kept += size;
      }
      e.sumsApart = true;
      journal.lines[i].changed = rewrite = true;
      continue;
    }
    if (e.images.empty()) continue;
    struct stat st {};
    const std::string path = HistoryFilePath(dataDir, e.images);
    const std::uint64_t size = ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    if (newer < bounds.changes && kept + size <= bounds.bytes) {
      kept += size;
      continue;
    }
    dropped.push_back(path);
    e.images.clear();
    journal.lines[i].changed = true;
  }
  for (const std::string& path : UnnamedHistoryFiles(dataDir, journal, pendingFile)) ::unlink(path.c_str());
  if (dropped.empty() && !rewrite) return Status::Ok();
  // The journal first: it never names a file that is gone. When it cannot
  // be written, the files stay until the next change drops them, and the
  // hashes moved out stay inside their lines.
  if (!RewriteJournal(JournalPath(dataDir), journal, journal.lines.size()).ok()) return Status::Ok();
  for (SumsWriter& apart : moved) apart.Keep();
  for (const std::string& path : dropped) ::unlink(path.c_str());
  return Status::Ok();
}

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
    return Status::Error(added.kind(),
                         "the change was stopped: its before-images could not be written (" + added.message() + ")");
  };
  if (s.ok()) s = change(note);
  if (images.records() > 0) {
    // What was written stays recorded, even when the change stopped half-way.
    Status recorded = images.Finish();
    ImportEntry entry;
    entry.when = NowText();
    entry.kind = std::string(kind);
    entry.file = std::string(caption);
    entry.first = images.first();
    entry.last = images.last();
    entry.count = images.records();
    entry.images = images.name();
    if (recorded.ok()) recorded = AppendJournalLine(JournalPath(dataDir), EntryLine(entry, {}));
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
  if (!s.ok() || journal.lines.empty()) return s;
  const JournalLine& line = journal.lines.back();
  const ImportEntry& entry = line.entry;
  preview->possible = EntryUndoable(entry);
  if (!countRecords) {
    bool still = !entry.kind.empty();
    if (entry.kind.empty()) s = ImportStillInTable(table, entry, &still);
    preview->undoable = still ? entry.count : 0;
  } else if (preview->possible && entry.kind.empty()) {
    std::vector<std::uint32_t> sums;
    s = LoadImportSums(dataDir, JournalPath(dataDir), line, &sums);
    if (s.ok()) s = CountUnchanged(table, entry, sums, &preview->undoable);
    if (entry.last <= table->LastRecNo()) preview->kept = entry.count - preview->undoable;
  } else if (preview->possible) {
    s = CountChangeStates(dataDir, table, entry, &preview->undoable, &preview->kept);
  }
  preview->possible = preview->possible && s.ok();
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
  if (s.ok() && journal.lines.empty()) s = Status::Error(StatusKind::NotFound, "nothing to undo");
  if (s.ok()) outcome->entry = journal.lines.back().entry;
  const ImportEntry& entry = outcome->entry;
  if (s.ok() && !EntryUndoable(entry)) s = NoLongerUndoable(entry);
  if (!s.ok()) {
    (void)table->EndChanges();
    return s;
  }
  std::vector<std::uint32_t> sums;
  if (entry.kind.empty()) {
    // An orphan has no records to check.
    if (entry.last <= table->LastRecNo()) s = LoadImportSums(dataDir, path, journal.lines.back(), &sums);
    if (s.ok()) s = UndoImport(table, sums, outcome);
  } else {
    s = UndoChange(dataDir, table, progress, outcome);
  }
  // The entry goes once the undo is done, its history file after it: a
  // change's when every record is back, an import's once none of its
  // records is left as appended, even when the index file could not follow.
  bool done = s.ok();
  if (!done && entry.kind.empty() && !sums.empty()) {
    std::uint32_t rest = 0;
    done = CountUnchanged(table, entry, sums, &rest).ok() && rest == 0;
  }
  const Status cut = done ? DropNewest(path, journal) : Status::Ok();
  if (done && cut.ok() && !entry.images.empty()) ::unlink(ImagesPath(dataDir, entry).c_str());
  if (s.ok() && !cut.ok())
    s = Status::Error(cut.kind(), std::to_string(outcome->undone) + " records " +
                                      (entry.kind.empty() ? "removed" : "put back") +
                                      "; the history could not be written (" + cut.message() + ")");
  const Status ended = table->EndChanges();
  return s.ok() ? ended : s;
}

}  // namespace zvonar
