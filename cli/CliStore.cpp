// The table commands of zvonar-cli: dump, load-tsv and reindex, and the
// opening of the table that every command shares. Records travel in the
// form of RecordLine.h. The table is created when missing, with the file
// type and field widths of settings.ini. dump reads under the shared lock;
// load-tsv and reindex take it exclusively for the time they write.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "base/Cp1251.h"
#include "base/OutputFile.h"
#include "base/TextFile.h"
#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "cli/RecordLine.h"
#include "config/MainSettings.h"
#include "config/OwnersFile.h"
#include "import/BillImport.h"
#include "store/DetalTable.h"
#include "store/ImportJournal.h"

namespace zvonar {

int Fail(CliContext& c, const std::string& message) {
  c.err << "zvonar-cli: " << message << '\n';
  return kExitFailure;
}

Status LoadCliSettings(CliContext& c, MainSettings* settings) {
  Status s = LoadMainSettings(c.dataDir + "settings.ini", settings);
  if (s.ok() && !settings->dbTypeRefused.empty())
    c.err << "zvonar-cli: " << c.dataDir << "settings.ini: " << DbTypeRefusal(settings->dbTypeRefused) << '\n';
  return s;
}

Status ReadOwnersForUpdate(const CliContext& c, std::vector<std::string>* owners) {
  const std::string path = c.dataDir + "Tellura.dat";
  Status s = ReadOwnersFile(path, owners);
  return s.ok() ? CheckReplaceable(path) : s;
}

static DetalWidths WidthsOf(const MainSettings& settings) {
  DetalWidths widths{};
  for (std::size_t i = 0; i < widths.size(); ++i) widths[i] = settings.fieldWidths[i];
  return widths;
}

Status OpenTable(CliContext& c, const MainSettings& settings, TableAccess access, Table* table, bool* indexMissing) {
  std::string warning;
  Status s = OpenDetalTable(c.dataDir, settings.dbType, WidthsOf(settings), table, &warning, access);
  if (!warning.empty()) c.err << "zvonar-cli: " << warning << '\n';
  if (indexMissing != nullptr) *indexMissing = warning.find(kIndexNotExistText) != std::string::npos;
  return s;
}

namespace {

// The lines of the input, split at LF with a CR before it dropped; a final
// LF does not start another line. A regular file is read in blocks as the
// lines are taken, so a file of any size passes through one block of
// memory; a pipe is read whole at Open, before the table is locked, so a
// slow writer on the other end never keeps other programs waiting.
class InputLines {
 public:
  ~InputLines() {
    if (fd_ > STDIN_FILENO) ::close(fd_);
  }
  Status Open(const std::string& name, bool standardInput) {
    name_ = name;
    fd_ = standardInput ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
      return Status::Error(errno == ENOENT ? StatusKind::NotFound : StatusKind::Io,
                           "cannot open " + name + ": " + ErrnoText(errno));
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) {
      size_ = static_cast<std::size_t>(st.st_size);
      return Status::Ok();
    }
    // A named input may be a pipe (a FIFO, or bash's <(...)); a device or a
    // folder is refused rather than read without end.
    if (!standardInput && !S_ISFIFO(st.st_mode)) return RequireRegularFile(name, st.st_mode);
    std::string all;
    Status s = ReadWholeFd(fd_, name, &all);
    if (!s.ok()) return s;
    Take(all);
    end_ = true;
    return Status::Ok();
  }
  // Bytes of a regular file; 0 for a pipe.
  std::size_t FileSize() const { return size_; }
  // The next line; false at the end, or on a read error (then in error()).
  bool Next(std::string_view* line) {
    for (;;) {
      const std::size_t lf = buffer_.find('\n', pos_);
      if (lf != std::string::npos || (end_ && pos_ < buffer_.size())) {
        const std::size_t stop = lf == std::string::npos ? buffer_.size() : lf;
        *line = std::string_view(buffer_).substr(pos_, stop - pos_);
        if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
        pos_ = stop + 1;
        return true;
      }
      if (end_ || !Fill()) return false;
    }
  }
  const Status& error() const { return error_; }
  std::string Fingerprint() const { return fingerprint_.Fingerprint(); }

 private:
  static constexpr std::size_t kBlock = 4u << 20;

  void Take(std::string_view bytes) {
    buffer_.append(bytes);
    fingerprint_.Add(bytes);
  }
  // Moves the unfinished line to the front and reads the next block after it.
  // The block is read into memory that is never cleared first, so a small
  // input costs only the pages it fills.
  bool Fill() {
    buffer_.erase(0, std::min(pos_, buffer_.size()));
    pos_ = 0;
    if (block_ == nullptr) block_ = std::make_unique_for_overwrite<char[]>(kBlock);
    ssize_t n = 0;
    do n = ::read(fd_, block_.get(), kBlock);
    while (n < 0 && errno == EINTR);
    if (n < 0) {
      error_ = Status::IoError("cannot read " + name_ + ": " + ErrnoText(errno));
      return false;
    }
    Take(std::string_view(block_.get(), static_cast<std::size_t>(n)));
    end_ = n == 0;
    return true;
  }

  std::string name_;
  int fd_ = -1;
  std::size_t size_ = 0;
  std::string buffer_;
  std::unique_ptr<char[]> block_;
  std::size_t pos_ = 0;
  bool end_ = false;
  Status error_;
  FingerprintBuilder fingerprint_;
};

// One line of the input as a record for the table: its cells, checked, with
// its owner noted in `owners` the first time it is met. "NAME:LINE: what"
// for a bad line.
Status ReadInputLine(const std::string& name, std::size_t lineNo, std::string_view line, const Table& table,
                     std::vector<std::string>* cells, std::size_t* cut, std::unordered_set<std::string>* met,
                     std::vector<std::string>* owners) {
  Status s = ParseRecordLine(line, cells);
  if (s.ok()) s = CheckDetalCells(table, *cells, cut);
  if (!s.ok()) return Status::Invalid(name + ":" + std::to_string(lineNo) + ": " + s.message());
  const std::string& owner = (*cells)[kOwnerField];
  if (!owner.empty() && met->insert(owner).second) owners->push_back(owner);
  return Status::Ok();
}

// Reads and checks the lines of the input in batches. A large input is read
// on a thread of its own while the caller stores the batches before: each
// half takes about as long as the other. Two batches are ready at most, so
// memory stays that of a few thousand records. A small one is read as the
// batches are asked for, as starting a thread would cost more than it
// saves. The table is only read for its fields.
class ParsedBatches {
 public:
  struct Batch {
    std::vector<std::vector<std::string>> records;
    std::size_t count = 0;
    Status status;  // a bad line or a read error: the input ends here
  };

  ParsedBatches(const std::string& name, InputLines* input, const Table& table, bool ownThread)
      : name_(name), input_(input), table_(table) {
    if (ownThread) thread_ = std::thread([this]() { Parse(); });
  }
  ~ParsedBatches() { Finish(); }

  // The next batch in input order; null after the last. The batch stays the
  // caller's until the next call.
  Batch* Next() {
    if (!thread_.joinable()) {
      if (!more_) return nullptr;
      if (held_ == nullptr) held_ = std::make_unique<Batch>();
      more_ = Fill(held_.get());
      return held_.get();
    }
    std::unique_lock lock(mutex_);
    if (held_ != nullptr) {
      free_.push_back(std::move(held_));
      changed_.notify_all();
    }
    changed_.wait(lock, [&]() { return !ready_.empty() || done_; });
    if (ready_.empty()) return nullptr;
    held_ = std::move(ready_.front());
    ready_.pop_front();
    changed_.notify_all();
    return held_.get();
  }
  // Ends the parse, early after a failed store, and waits for its thread.
  void Finish() {
    {
      std::lock_guard lock(mutex_);
      stopped_ = true;
      changed_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
  }
  // Read after Finish: what the parse gathered.
  std::size_t Cut() const { return cut_; }
  const std::vector<std::string>& Owners() const { return owners_; }

 private:
  static constexpr std::size_t kBatchLines = 4096;

  // Up to kBatchLines lines into `batch`; false once the input has ended.
  bool Fill(Batch* batch) {
    batch->count = 0;
    batch->status = Status::Ok();
    bool more = true;
    std::string_view line;
    while (batch->count < kBatchLines && (more = input_->Next(&line))) {
      if (batch->records.size() == batch->count) batch->records.emplace_back();
      batch->status =
          ReadInputLine(name_, lineNo_++, line, table_, &batch->records[batch->count], &cut_, &met_, &owners_);
      if (!batch->status.ok()) break;
      ++batch->count;
    }
    if (batch->status.ok() && !more) batch->status = input_->error();
    return more && batch->status.ok();
  }

  void Parse() {
    for (bool more = true; more;) {
      std::unique_ptr<Batch> batch;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&]() { return stopped_ || ready_.size() < 2; });
        if (stopped_) break;
        if (!free_.empty()) {
          batch = std::move(free_.back());
          free_.pop_back();
        }
      }
      if (batch == nullptr) batch = std::make_unique<Batch>();
      more = Fill(batch.get());
      std::lock_guard lock(mutex_);
      ready_.push_back(std::move(batch));
      changed_.notify_all();
    }
    std::lock_guard lock(mutex_);
    done_ = true;
    changed_.notify_all();
  }

  const std::string& name_;
  InputLines* input_;
  const Table& table_;
  std::unordered_set<std::string> met_;
  std::size_t lineNo_ = 1;
  bool more_ = true;  // without a thread: the input has not ended
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<Batch>> ready_;
  std::vector<std::unique_ptr<Batch>> free_;
  std::unique_ptr<Batch> held_;
  bool stopped_ = false, done_ = false;
  std::size_t cut_ = 0;
  std::vector<std::string> owners_;
  std::thread thread_;
};

void ReportCut(CliContext& c, const std::string& name, std::size_t cut) {
  if (cut > 0)
    c.err << "zvonar-cli: " << name << ": " << cut << " text cells were longer than their field and were cut\n";
}

void ReportDropped(CliContext& c, const Table& table) {
  if (table.DroppedUncommitted() > 0)
    c.err << "zvonar-cli: " << table.DroppedUncommitted()
          << " uncommitted records after the last stored one (left by a failed or killed writer) were dropped\n";
}

}  // namespace

int RunDump(CliContext& c) {
  std::string index;
  if (c.args.size() == 2 && c.args[0] == "--index" && (c.args[1] == kOwnerIndex || c.args[1] == kDateTimeIndex))
    index = c.args[1];
  else if (!c.args.empty())
    return kExitUsage;
  MainSettings settings;
  Table table;
  bool indexMissing = false;
  Status s = LoadCliSettings(c, &settings);
  if (s.ok()) s = OpenTable(c, settings, TableAccess::Read, &table, &indexMissing);
  if (!s.ok()) return Fail(c, s.message());
  if (indexMissing && !index.empty()) return kExitFailure;  // the warning said why
  s = table.SetActiveIndex(index);
  std::string line;
  char dateText[kDateTimeTextMax];
  bool damaged = false;
  for (s = s.ok() ? table.First() : s; s.ok() && !table.Eof(); s = table.Next()) {
    line.clear();
    for (int i = 0; i < table.FieldCount(); ++i) {
      if (i > 0) line += '\t';
      if (table.FieldDamaged(i)) {
        // The record is printed without the cell, so the output stays loadable
        // once the damage is mended.
        c.err << "zvonar-cli: record " << table.RecNo() << ": damaged date-time\n";
        damaged = true;
      }
      AppendCell(table.FieldView(i, dateText), &line);
    }
    line += '\n';
    c.out << line;
  }
  if (!s.ok()) return Fail(c, s.message());
  s = table.Close();
  if (!s.ok()) return Fail(c, s.message());
  return damaged ? kExitFailure : kExitOk;
}

// Reads the input once and appends its lines in one bulk append, each
// checked as it goes: a bad line cancels the append, so either every record
// is stored or none.
int RunLoadTsv(CliContext& c) {
  if (c.args.size() != 1) return kExitUsage;
  const bool standardInput = c.args[0] == "-";
  const std::string name = standardInput ? "stdin" : c.args[0];
  InputLines input;
  Status s = input.Open(name, standardInput);
  if (!s.ok()) return Fail(c, s.message());

  MainSettings settings;
  Table table;
  s = LoadCliSettings(c, &settings);
  if (s.ok()) s = OpenTable(c, settings, TableAccess::Write, &table);
  // The owners list is read again after the append, which may take long.
  std::vector<std::string> listedBefore;
  if (s.ok()) s = ReadOwnersForUpdate(c, &listedBefore);
  // The journal the records will be noted in must be readable first.
  std::vector<ImportEntry> journal;
  if (s.ok()) s = ReadImportJournal(c.dataDir, &journal);
  // No line is shorter than its eleven tabs and a date: room for that many
  // records is an upper bound that costs only address space.
  if (s.ok())
    s = table.BeginBulkAppend(static_cast<std::uint32_t>(std::min<std::size_t>(input.FileSize() / 21, 1u << 28)));
  if (!s.ok()) return Fail(c, s.message());
  ReportDropped(c, table);
  std::size_t cut = 0;
  std::vector<std::string> owners;
  {
    // A file of under a megabyte (a few thousand lines) is read on this thread.
    constexpr std::size_t kThreadedBytes = 1u << 20;
    ParsedBatches batches(name, &input, table, standardInput || input.FileSize() >= kThreadedBytes);
    for (ParsedBatches::Batch* batch = batches.Next(); batch != nullptr && s.ok(); batch = batches.Next()) {
      for (std::size_t i = 0; i < batch->count && s.ok(); ++i) s = table.BulkAppend(batch->records[i]);
      if (s.ok()) s = batch->status;
    }
    batches.Finish();
    cut = batches.Cut();
    owners = batches.Owners();
  }
  if (!s.ok()) {
    const Status cancelled = table.CancelBulkAppend();
    return Fail(c, cancelled.ok() ? s.message() : s.message() + "; " + cancelled.message());
  }
  s = EndJournaledAppend(c.dataDir, &table, name, input.Fingerprint(),
                         HistoryBoundsOf(settings.historyChanges, settings.historyMegabytes));
  if (table.LastAppended() > 0) {
    ReportCut(c, name, cut);
    std::vector<std::string> known;
    Status listed = ReadOwnersFile(c.dataDir + "Tellura.dat", &known);
    if (listed.ok() && MergeOwners(owners, &known) > 0) listed = WriteOwnersFile(c.dataDir + "Tellura.dat", known);
    if (s.ok()) s = listed;
  }
  Status closed = table.Close();
  if (s.ok()) s = closed;
  return s.ok() ? kExitOk : Fail(c, s.message());
}

int RunReindex(CliContext& c) {
  if (!c.args.empty()) return kExitUsage;
  MainSettings settings;
  Status s = LoadCliSettings(c, &settings);
  Table table;
  if (s.ok()) s = ReCreateDetalIndex(c.dataDir, settings.dbType, WidthsOf(settings), &table);
  if (s.ok()) s = table.Close();
  return s.ok() ? kExitOk : Fail(c, s.message());
}

}  // namespace zvonar
