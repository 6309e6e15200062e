// The history's files as the journal code and the undo code share them:
// imports.dat read a block at a time, a line appended, the file cut or
// written anew, the files of the history folder made under names of their
// own, and the per-record hashes an import keeps. Inside the store only.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "store/ImportJournal.h"

namespace zvonar {

std::string JournalPath(const std::string& dataDir);
std::string HistoryDir(const std::string& dataDir);
// A file of the history folder.
std::string HistoryFilePath(const std::string& dataDir, const std::string& name);

// Local time now, "yyyy.mm.dd hh:mm:ss".
std::string NowText();
// `v` as `digits` lower-case hexadecimal digits.
std::string HexText(std::uint64_t v, int digits);
// The hash an import keeps of a record as appended: the low half of XXH3-64
// of its fields (the bytes after its deleted flag).
std::uint32_t RecordSum(std::string_view record);

// An import keeps its hashes inside its line up to this many records, in a
// side file beyond.
inline constexpr std::uint32_t kMostSumsInLine = 256;
// The length of the side file of `count` hashes.
std::uint64_t SumsFileSize(std::uint32_t count);

// Makes a new file in the history folder of `dataDir` (the folder too, when
// missing) under a name of its own ending in `suffix`, open for writing.
Status CreateHistoryFile(const std::string& dataDir, std::string_view suffix, std::string* name, int* fd);

// One entry as the journal file holds it.
struct JournalLine {
  ImportEntry entry;
  std::uint64_t start = 0;  // where its line starts
  std::uint64_t end = 0;    // where the next line starts
  bool changed = false;     // to be written from `entry` when the file is written anew
};
// Calls `visit` with each whole line's entry, oldest first, reading the file
// a block at a time; a missing file has none. Without `keepSums` an import's
// inline hashes are checked but not kept (only its first and last). The
// orphans are not told apart here.
Status ScanJournal(const std::string& path, bool keepSums, const std::function<void(JournalLine&&)>& visit);

// The journal as read whole, without the orphans a later import overlaps.
struct JournalFile {
  std::vector<JournalLine> lines;
  // Whether lines were left out, and where the first of them starts.
  std::optional<std::uint64_t> firstLeftOut;
};
Status LoadJournal(const std::string& path, JournalFile* journal);

// Whether an import entry is an orphan of the later import `later`, whose
// records begin at or before its own last one. A change never is, nor
// overlaps one.
inline bool OverlappedBy(const ImportEntry& earlier, const ImportEntry& later) {
  return earlier.kind.empty() && later.kind.empty() && later.first <= earlier.last;
}

// The line of `e`, without its line end; an import's hashes inside the
// line are `sums`.
std::string EntryLine(const ImportEntry& e, const std::vector<std::uint32_t>& sums);
// Adds `line` and its line end at the end of the journal in one write,
// flushed to the disk. A line an earlier append left cut off goes first;
// on failure nothing of `line` stays.
Status AppendJournalLine(const std::string& path, const std::string& line);
// Cuts the journal at `at`, flushed.
Status CutJournal(const std::string& path, std::uint64_t at);
// Writes the journal anew, through the atomic-write helper, with the first
// `count` lines of `journal`: each as the file holds it, read line by line,
// or from its entry when `changed` (never an import whose hashes lie inside
// its line).
Status RewriteJournal(const std::string& path, const JournalFile& journal, std::size_t count);

// The hashes of the records of the import on `line` of the journal at
// `journalPath`, one per record: read from its side file when they lie
// apart, else from its line again.
Status LoadImportSums(const std::string& dataDir, const std::string& journalPath, const JournalLine& line,
                      std::vector<std::uint32_t>* sums);

// The side file of a large import's hashes, written as its records are
// read, flushed to the disk at the end; removed unless kept.
class SumsWriter {
 public:
  SumsWriter() = default;
  ~SumsWriter();
  SumsWriter(const SumsWriter&) = delete;
  SumsWriter& operator=(const SumsWriter&) = delete;
  Status Open(const std::string& dataDir, std::uint32_t count);
  void Add(std::uint32_t sum);
  // Writes the rest and flushes; `size` gets the file's length.
  Status Finish(std::uint64_t* size);
  void Keep() { kept_ = true; }
  const std::string& name() const { return name_; }
  // Opens a side file in the history folder of `dataDir` and writes into it
  // the hashes held inside `line` of the journal at `journalPath`, flushed.
  Status CopyFromLine(const std::string& dataDir, const std::string& journalPath, const JournalLine& line);

 private:
  bool Write();
  int fd_ = -1;
  int error_ = 0;
  std::uint64_t written_ = 0;
  bool kept_ = false;
  std::string name_, path_, buffer_;
};

// Drops the history files the bounds no longer keep, newest entries first;
// `pendingBytes`, when given, is an entry about to be appended, counted as
// the newest, whose file (if any) is `pendingFile`. Files of the history
// folder that no line names go too. The journal is written anew only when something was dropped,
// and a failure to write it only keeps the files; the error is the
// journal's when it cannot be read.
Status KeepWithinBounds(const std::string& dataDir, const HistoryBounds& bounds,
                        std::optional<std::uint64_t> pendingBytes = std::nullopt, std::string_view pendingFile = {});

}  // namespace zvonar
