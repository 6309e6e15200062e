// The order in which a commit reaches the disk, seen through the writers'
// step hook, and a writer stopped after each of its steps: what reopens
// must be the table before or after the change, never a mix.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/DiskSteps.h"
#include "base/tests/TestSupport.h"
#include "store/History.h"
#include "store/ImportJournal.h"
#include "store/tests/StoreTestSupport.h"

namespace zvonar {
namespace {

using testing::AddRecord;
using testing::ReadAll;
using Lines = std::vector<std::string>;

struct Step {
  DiskStep step;
  std::string path;
  std::uint64_t offset;
};

std::vector<Step> steps;
void LogStep(DiskStep step, const std::string& path, std::uint64_t offset) {
  steps.push_back({step, path, offset});
}

// Logs the steps of the writers while it lives.
class StepLog {
 public:
  StepLog() {
    steps.clear();
    old_ = SetDiskStepHook(LogStep);
  }
  ~StepLog() { SetDiskStepHook(old_); }
  StepLog(const StepLog&) = delete;
  StepLog& operator=(const StepLog&) = delete;

  // Index of the first step at or after `from` that is `step` on a path
  // ending in `suffix` (and, for a write, at `offset` or past it when
  // `past` is set); steps.size() when none.
  static std::size_t Find(std::size_t from, DiskStep step, std::string_view suffix, std::uint64_t offset = 0,
                          bool past = false) {
    for (std::size_t i = from; i < steps.size(); ++i) {
      const Step& s = steps[i];
      if (s.step != step || !s.path.ends_with(suffix)) continue;
      if (step == DiskStep::Write && (past ? s.offset < offset : s.offset != offset)) continue;
      return i;
    }
    return steps.size();
  }

 private:
  DiskStepHook old_ = nullptr;
};

class WriteOrderTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::CreateSmallTable(path_, 2); }

  testing::TempDir dir_;
  const std::string path_ = dir_.File("t.dbf");
};

constexpr std::uint64_t kCountOffset = 1;     // date of change, then the record count
constexpr std::uint64_t kFirstRecordAt = 32;  // past the fixed header

TEST_F(WriteOrderTest, AppendedRecordsReachTheDiskBeforeTheCountThatCommitsThem) {
  Table table;
  ASSERT_TRUE(table.Open(path_).ok());
  StepLog log;
  ASSERT_TRUE(AddRecord(table, {"carl", "2024.03.01", "three"}).ok());
  const std::size_t record = StepLog::Find(0, DiskStep::Write, ".dbf", kFirstRecordAt, true);
  const std::size_t count = StepLog::Find(0, DiskStep::Write, ".dbf", kCountOffset);
  ASSERT_LT(record, count) << "the records are written first";
  const std::size_t flush = StepLog::Find(record, DiskStep::Flush, ".dbf");
  EXPECT_LT(flush, count) << "and flushed before the count";
  EXPECT_LT(StepLog::Find(count, DiskStep::Flush, ".dbf"), steps.size()) << "the count is flushed too";
  EXPECT_EQ(steps.size(), StepLog::Find(count, DiskStep::Write, ".dbf", kFirstRecordAt, true))
      << "no record is written after the count";
}

TEST_F(WriteOrderTest, AnEditedKeyMarksTheIndexBehindBeforeTheRecordChanges) {
  Table table;
  ASSERT_TRUE(table.Open(path_).ok());
  ASSERT_TRUE(table.First().ok());
  {
    StepLog log;
    ASSERT_TRUE(table.Edit().ok());
    ASSERT_TRUE(table.SetFieldText(2, "note").ok());  // no key changes: the index stays as it is
    ASSERT_TRUE(table.Post().ok());
    EXPECT_EQ(steps.size(), StepLog::Find(0, DiskStep::Write, ".MDX", 0, true));
  }
  StepLog log;
  ASSERT_TRUE(table.Edit().ok());
  ASSERT_TRUE(table.SetFieldText(0, "zed").ok());
  ASSERT_TRUE(table.Post().ok());
  const std::size_t mark = StepLog::Find(0, DiskStep::Write, ".MDX", 0, true);
  const std::size_t marked = StepLog::Find(mark, DiskStep::Flush, ".MDX");
  const std::size_t record = StepLog::Find(0, DiskStep::Write, ".dbf", kFirstRecordAt, true);
  ASSERT_LT(record, steps.size());
  EXPECT_LT(mark, record);
  EXPECT_LT(marked, record) << "the mark is on the disk before the record changes";
}

// Runs `change` in a child that dies right after step `stopAt` of the
// writers; true when the child ran the change to its end first.
template <typename Change>
bool RunStoppedAfter(int stopAt, const Change& change) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    static int left;
    left = stopAt;
    SetDiskStepHook([](DiskStep, const std::string&, std::uint64_t) {
      if (--left == 0) _exit(0);
    });
    change();
    _exit(1);
  }
  int status = 0;
  EXPECT_EQ(pid, ::waitpid(pid, &status, 0));
  EXPECT_TRUE(WIFEXITED(status));
  return WEXITSTATUS(status) == 1;
}

TEST_F(WriteOrderTest, AWriterStoppedAfterAnyStepLeavesTheTableBeforeOrAfter) {
  const Lines before{"bob|2024.03.02 10:00:00|one", "alice|2024.03.03|two"};
  const Lines after{"ann|2024.03.02 10:00:00|one", "alice|2024.03.03|two", "carl|2024.03.01|three"};
  const std::string saved = testing::ReadOrEmpty(path_);
  const std::string savedIndex = testing::ReadOrEmpty(dir_.File("t.MDX"));
  ASSERT_FALSE(savedIndex.empty());
  int stopAt = 1;
  for (; stopAt < 200; ++stopAt) {
    testing::WriteOrDie(path_, saved);
    testing::WriteOrDie(dir_.File("t.MDX"), savedIndex);
    const bool finished = RunStoppedAfter(stopAt, [&] {
      Table table;
      if (!table.Open(path_).ok() || !table.First().ok() || !table.Edit().ok() || !table.SetFieldText(0, "ann").ok() ||
          !table.Post().ok() || !AddRecord(table, {"carl", "2024.03.01", "three"}).ok() || !table.Close().ok())
        _exit(2);
    });
    Table table;
    ASSERT_TRUE(table.Open(path_).ok()) << "stopped after step " << stopAt;
    const Lines got = ReadAll(table);
    // Each change completes or not at all: the edit, then the append.
    const Lines edited(after.begin(), after.begin() + 2);
    EXPECT_TRUE(got == before || got == edited || got == after) << "stopped after step " << stopAt;
    // Both index orders hold exactly the records, in order.
    for (const char* index : {"NAME", "WHEN"}) {
      Lines ordered = ReadAll(table, index);
      Lines sorted = got;
      const int column = index[0] == 'N' ? 0 : 1;
      std::sort(sorted.begin(), sorted.end(), [&](const std::string& a, const std::string& b) {
        const auto field = [&](const std::string& line) {
          std::string rest = line;
          for (int i = 0; i < column; ++i) rest = rest.substr(rest.find('|') + 1);
          return rest.substr(0, rest.find('|'));
        };
        return field(a) < field(b);
      });
      EXPECT_EQ(sorted, ordered) << index << ", stopped after step " << stopAt;
    }
    if (finished) {
      EXPECT_EQ(after, got);
      break;
    }
  }
  EXPECT_GT(stopAt, 4) << "the change takes several steps";
  EXPECT_LT(stopAt, 200) << "the change never finished";
}

TEST_F(WriteOrderTest, ASmallAppendStoppedAfterAnyStepLeavesEachRecordIndexedOrTheIndexBehind) {
  {
    Table table;
    ASSERT_TRUE(table.Open(path_).ok());
    ASSERT_TRUE(table.BeginBulkAppend().ok());
    for (int i = 0; i < 1000; ++i)
      ASSERT_TRUE(
          table.BulkAppend({"n" + std::to_string(i * 7 % 400), "2024.02." + std::to_string(10 + i % 19), "x"}).ok());
    ASSERT_TRUE(table.EndBulkAppend().ok());
    // Keys appended at the end of both orders, more than the last leaves
    // hold, and cut again leave their emptied nodes on the free chain, where
    // the append below takes its new nodes from.
    const std::uint32_t records = table.RecordCount();
    ASSERT_TRUE(table.BeginBulkAppend().ok());
    for (int i = 0; i < 90; ++i) ASSERT_TRUE(table.BulkAppend({"zz" + std::to_string(i), "2024.03.01", "y"}).ok());
    ASSERT_TRUE(table.EndBulkAppend().ok());
    ASSERT_TRUE(table.CutRecordsFrom(records + 1, nullptr).ok());
    ASSERT_EQ(records, table.RecordCount());
  }
  const std::string saved = testing::ReadOrEmpty(path_);
  const std::string savedIndex = testing::ReadOrEmpty(dir_.File("t.MDX"));
  ASSERT_NE(std::string(4, '\0'), savedIndex.substr(36, 4)) << "no node is on the free chain";
  int stopAt = 1, inStep = 0;
  for (; stopAt < 200; ++stopAt) {
    SCOPED_TRACE("stopped after step " + std::to_string(stopAt));
    testing::WriteOrDie(path_, saved);
    testing::WriteOrDie(dir_.File("t.MDX"), savedIndex);
    const bool finished = RunStoppedAfter(stopAt, [&] {
      Table table;
      if (!table.Open(path_).ok() || !table.BeginBulkAppend().ok()) _exit(2);
      // Keys in the middle of full leaves, and at the end.
      for (const char* name : {"n150", "n150", "n3", "zz"})
        if (!table.BulkAppend({name, "2024.02.15", "new"}).ok()) _exit(2);
      if (!table.EndBulkAppend().ok() || !table.Close().ok()) _exit(2);
    });
    Table table;
    OpenNotes notes;
    ASSERT_TRUE(table.Open(path_, &notes).ok());
    EXPECT_TRUE(table.RecordCount() == 1002 || table.RecordCount() == 1006) << table.RecordCount();
    inStep += notes.indexRebuilt.empty() ? 1 : 0;
    const Lines physical = ReadAll(table);
    ASSERT_EQ(table.RecordCount(), physical.size());
    for (const char* index : {"NAME", "WHEN"}) {
      const int column = index[0] == 'N' ? 0 : 1;
      const auto field = [&](const std::string& line) {
        std::string rest = line;
        for (int i = 0; i < column; ++i) rest = rest.substr(rest.find('|') + 1);
        return rest.substr(0, rest.find('|'));
      };
      Lines sorted = physical;
      std::stable_sort(sorted.begin(), sorted.end(),
                       [&](const std::string& a, const std::string& b) { return field(a) < field(b); });
      EXPECT_EQ(sorted, ReadAll(table, index)) << index;
    }
    if (finished) break;
  }
  EXPECT_GT(stopAt, 6) << "the change takes several steps";
  EXPECT_LT(stopAt, 200) << "the change never finished";
  EXPECT_GT(inStep, 1) << "the index is in step before the change and after it";
}

// Takes back the newest change in a child stopped after step 1, 2, ... of
// the writers, putting `files` back as they are now before each run, and
// lets `check` look at the table reopened after each stop. Returns the step
// after which the undo had finished (200 when it never did).
template <typename Check>
int UndoStoppedAfterEachStep(const std::string& dir, const std::string& path, const std::vector<std::string>& files,
                             const Check& check) {
  std::vector<std::string> saved;
  for (const std::string& file : files) saved.push_back(testing::ReadOrEmpty(file));
  int stopAt = 1;
  for (; stopAt < 200; ++stopAt) {
    SCOPED_TRACE("stopped after step " + std::to_string(stopAt));
    for (std::size_t i = 0; i < files.size(); ++i) testing::WriteOrDie(files[i], saved[i]);
    const bool finished = RunStoppedAfter(stopAt, [&] {
      Table table;
      UndoOutcome done;
      if (!table.Open(path).ok() || !UndoLatest(dir, &table, {}, &done).ok() || !table.Close().ok()) _exit(2);
    });
    Table table;
    const Status opened = table.Open(path);
    EXPECT_TRUE(opened.ok()) << opened.message();
    if (!opened.ok() || (check(table), ::testing::Test::HasFatalFailure()) || finished) break;
  }
  return stopAt;
}

// An import of two records (or `more`) after one of two, ended with its
// journal entry; past 256 records its hashes go to a side file.
void ImportSecond(const std::string& dir, const std::string& path, int more = 0) {
  Table table;
  bool ok = table.Open(path).ok() && table.BeginBulkAppend().ok() &&
            table.BulkAppend({"dan", "2024.04.01", "four"}).ok() && table.BulkAppend({"eve", "2024.04.02", "five"}).ok();
  for (int i = 0; ok && i < more; ++i) ok = table.BulkAppend({"m" + std::to_string(i), "2024.04.03", ""}).ok();
  if (!ok || !EndJournaledAppend(dir, &table, "second.txt", FileFingerprint("second")).ok() || !table.Close().ok())
    _exit(2);
}

TEST_F(WriteOrderTest, AnImportsJournalEntryReachesTheDiskBeforeTheCountThatCommitsIt) {
  StepLog log;
  ImportSecond(dir_.path(), path_);
  const std::size_t entry = StepLog::Find(0, DiskStep::Write, kImportJournalName, 0, true);
  const std::size_t flushed = StepLog::Find(entry, DiskStep::Flush, kImportJournalName);
  const std::size_t count = StepLog::Find(0, DiskStep::Write, ".dbf", kCountOffset);
  const std::size_t record = StepLog::Find(0, DiskStep::Write, ".dbf", kFirstRecordAt, true);
  ASSERT_LT(count, steps.size());
  EXPECT_LT(record, entry) << "the records are written first";
  EXPECT_LT(flushed, count) << "then the entry, flushed before the count";
}

// A small import flushes what it wrote once: no file is flushed again
// without a write since its last flush, and each of the table, the index
// and the journal is flushed no more often than its commit needs.
TEST_F(WriteOrderTest, ASmallImportFlushesNothingTwice) {
  {
    Table table;  // enough records that two more go into the index in place
    ASSERT_TRUE(table.Open(path_).ok());
    ASSERT_TRUE(table.BeginBulkAppend().ok());
    for (int i = 0; i < 60; ++i) ASSERT_TRUE(table.BulkAppend({"n" + std::to_string(i), "2024.03.05", ""}).ok());
    ASSERT_TRUE(table.EndBulkAppend().ok());
  }
  StepLog log;
  ImportSecond(dir_.path(), path_);
  std::map<std::string, int> flushes;
  std::map<std::string, bool> written;
  for (const Step& step : steps) {
    if (step.step == DiskStep::Write) written[step.path] = true;
    if (step.step != DiskStep::Flush) continue;
    EXPECT_TRUE(written[step.path]) << step.path << " flushed again without a write";
    written[step.path] = false;
    ++flushes[step.path];
  }
  EXPECT_EQ(2, flushes[path_]) << "the records, then the count";
  EXPECT_EQ(1, flushes[Table::IndexPathFor(path_)]) << "the pages, before the mark that they are current";
  EXPECT_EQ(1, flushes[dir_.File(kImportJournalName)]);
}

// A large import's hashes go to their side file, flushed, before its
// journal line names the file; the line before the count.
TEST_F(WriteOrderTest, ALargeImportsHashesReachTheDiskBeforeTheLineThatNamesThem) {
  Table table;
  ASSERT_TRUE(table.Open(path_).ok());
  ASSERT_TRUE(table.BeginBulkAppend().ok());
  for (int i = 0; i < 300; ++i) ASSERT_TRUE(table.BulkAppend({"n" + std::to_string(i), "2024.04.01", ""}).ok());
  StepLog log;
  ASSERT_TRUE(EndJournaledAppend(dir_.path(), &table, "big.txt", FileFingerprint("big")).ok());
  const std::size_t sums = StepLog::Find(0, DiskStep::Write, ".sums", 0, true);
  const std::size_t flushed = StepLog::Find(sums, DiskStep::Flush, ".sums");
  const std::size_t entry = StepLog::Find(0, DiskStep::Write, kImportJournalName, 0, true);
  const std::size_t count = StepLog::Find(0, DiskStep::Write, ".dbf", kCountOffset);
  ASSERT_LT(count, steps.size());
  EXPECT_LT(flushed, entry) << "the hashes are flushed before the line";
  EXPECT_LT(entry, count) << "the line before the count";
}

TEST_F(WriteOrderTest, AnImportStoppedAfterAnyStepLeavesNoUndoThatTakesTheImportBefore) {
  {
    Table table;
    ASSERT_TRUE(table.Open(path_).ok());
    ASSERT_TRUE(table.BeginBulkAppend().ok());
    ASSERT_TRUE(table.BulkAppend({"carl", "2024.03.01", "three"}).ok());
    ASSERT_TRUE(EndJournaledAppend(dir_.path(), &table, "first.txt", FileFingerprint("first")).ok());
  }
  const std::string saved = testing::ReadOrEmpty(path_);
  const std::string savedIndex = testing::ReadOrEmpty(dir_.File("t.MDX"));
  const std::string savedJournal = testing::ReadOrEmpty(dir_.File(kImportJournalName));
  // Two records with their hashes in the line, then 300 with a side file.
  for (const int more : {0, 298}) {
    int stopAt = 1;
    for (; stopAt < 200; ++stopAt) {
      SCOPED_TRACE("stopped after step " + std::to_string(stopAt) + " of an import of " + std::to_string(more + 2));
      testing::WriteOrDie(path_, saved);
      testing::WriteOrDie(dir_.File("t.MDX"), savedIndex);
      testing::WriteOrDie(dir_.File(kImportJournalName), savedJournal);
      const bool finished = RunStoppedAfter(stopAt, [&] { ImportSecond(dir_.path(), path_, more); });
      Table table;
      ASSERT_TRUE(table.Open(path_).ok());
      const std::uint32_t count = table.RecordCount();
      std::vector<ImportEntry> entries;
      ASSERT_TRUE(ReadImportJournal(dir_.path(), &entries).ok());
      ASSERT_FALSE(entries.empty());
      const bool noted = entries.back().file == "second.txt";
      // Never records without their entry; an entry without its records is
      // an orphan.
      ASSERT_TRUE(count == 3 || (count == 5u + more && noted)) << count;
      ImportEntry undone;
      std::uint32_t removed = 0;
      if (noted) {
        const Status s = UndoLastImport(dir_.path(), &table, &undone, &removed);
        ASSERT_TRUE(s.ok()) << s.message();
        EXPECT_EQ("second.txt", undone.file);
        EXPECT_EQ(count - 3, removed);
      }
      // The first import is whole, and the next undo takes exactly it.
      EXPECT_EQ(3u, table.RecordCount());
      ASSERT_TRUE(UndoLastImport(dir_.path(), &table, &undone, &removed).ok());
      EXPECT_EQ("first.txt", undone.file);
      EXPECT_EQ(1u, removed);
      if (finished) break;
    }
    EXPECT_GT(stopAt, 4) << "the import takes several steps";
    EXPECT_LT(stopAt, 200) << "the import never finished";
  }
}

// A fill of both records (an indexed field too), taken back by an undo that
// is stopped after each of its steps: every record is as before the fill or
// as after it, both orders hold exactly the records, and the history keeps
// the fill until every record is back; another undo then finishes it.
TEST_F(WriteOrderTest, AnUndoStoppedAfterAnyStepLeavesEachRecordBeforeOrAfter) {
  const Lines before{"bob|2024.03.02 10:00:00|one", "alice|2024.03.03|two"};
  const Lines filled{"zbob|2024.03.02 10:00:00|filled", "zalice|2024.03.03|filled"};
  {
    Table table;
    ASSERT_TRUE(table.Open(path_).ok());
    std::uint32_t changed = 0;
    ASSERT_TRUE(RecordChange({dir_.path(), {}}, &table, kChangeFillCodes, "", [&](const Table::ChangedRecordFn& note) {
                  return table.RewriteFields(
                      {0, 2},
                      [](FieldRewrite& r) {
                        static std::string name;
                        name = "z" + std::string(r.texts[0]).substr(0, 5);
                        r.store[0] = name;
                        r.store[1] = "filled";
                      },
                      {}, &changed, note);
                }).ok());
    ASSERT_EQ(filled, ReadAll(table));
  }
  std::vector<std::string> images;
  for (const auto& file : std::filesystem::directory_iterator(dir_.File("history"))) images.push_back(file.path());
  ASSERT_EQ(1u, images.size());
  const std::vector<std::string> files{path_, dir_.File("t.MDX"), dir_.File(kImportJournalName), images[0]};
  const int stopAt = UndoStoppedAfterEachStep(dir_.path(), path_, files, [&](Table& table) {
    const Lines got = ReadAll(table);
    ASSERT_EQ(2u, got.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_TRUE(got[i] == before[i] || got[i] == filled[i]) << got[i];
    Lines byName = got;
    std::sort(byName.begin(), byName.end());
    EXPECT_EQ(byName, ReadAll(table, "NAME"));
    std::vector<ImportEntry> entries;
    ASSERT_TRUE(ReadImportJournal(dir_.path(), &entries).ok());
    if (entries.empty()) {
      EXPECT_EQ(before, got) << "the entry went before every record was back";
    } else {
      UndoOutcome done;
      ASSERT_TRUE(UndoLatest(dir_.path(), &table, {}, &done).ok());
      EXPECT_EQ(2u, done.undone);
      EXPECT_EQ(0u, done.kept);
      EXPECT_EQ(before, ReadAll(table));
    }
  });
  EXPECT_GT(stopAt, 4) << "the undo takes several steps";
  EXPECT_LT(stopAt, 200) << "the undo never finished";
}

// The undo of an import whose records are the table's last cuts them off:
// stopped after any step, the table holds the import whole or not at all,
// its index agrees, and an entry left behind is taken back by the next
// undo, with the records it still finds.
TEST_F(WriteOrderTest, AnImportsUndoStoppedAfterAnyStepLeavesItWholeOrGone) {
  ImportSecond(dir_.path(), path_);
  const std::vector<std::string> files{path_, dir_.File("t.MDX"), dir_.File(kImportJournalName)};
  const int stopAt = UndoStoppedAfterEachStep(dir_.path(), path_, files, [&](Table& table) {
    const std::uint32_t count = table.RecordCount();
    ASSERT_TRUE(count == 2 || count == 4) << count;
    EXPECT_EQ(count, ReadAll(table, "WHEN").size());
    std::vector<ImportEntry> entries;
    ASSERT_TRUE(ReadImportJournal(dir_.path(), &entries).ok());
    if (count == 4) {
      ASSERT_EQ(1u, entries.size()) << "the entry went before its records";
    }
    if (!entries.empty()) {
      UndoOutcome done;
      ASSERT_TRUE(UndoLatest(dir_.path(), &table, {}, &done).ok());
      EXPECT_EQ(count - 2, done.undone);
    }
    EXPECT_EQ(2u, table.RecordCount());
  });
  EXPECT_GT(stopAt, 2) << "the undo takes several steps";
  EXPECT_LT(stopAt, 200) << "the undo never finished";
}

}  // namespace
}  // namespace zvonar
