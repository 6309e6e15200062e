// A child process appends, edits and deletes records and is killed with
// SIGKILL at a random moment; the table is then reopened and checked: it
// opens, holds every change the child saw completed, no torn or foreign
// record, and both index orders agree with the records. ZVONAR_KILL_ROUNDS
// and ZVONAR_KILL_SEED set the number of rounds and the seed (the stress
// script under bench/ runs thousands).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <thread>

#include "base/tests/TestSupport.h"
#include "store/DetalTable.h"
#include "store/History.h"
#include "store/ImportJournal.h"

namespace zvonar {
namespace {

constexpr char kMoved[] = "moved";

// What the child reports through the pipe once a change has completed; a
// delete is announced before it starts too, since the child may die
// between completing it and reporting it.
struct Report {
  std::uint32_t op;  // 'S' started, 'A' appended ids [a, a + b), 'd' deleting a, 'D' deleted a, 'E' edited a
  std::uint32_t a;
  std::uint32_t b;
};

std::vector<std::string> RecordTexts(std::uint32_t id) {
  std::vector<std::string> t(kDetalFieldCount);
  t[kOwnerField] = "own" + std::to_string(id % 7);
  // Dates spread over two years, written by hand rather than by the field's
  // own conversion, so that a wrong conversion shows.
  const std::uint32_t second = id * 7919 % 86400;
  char when[32];
  std::snprintf(when, sizeof when, "%04u.%02u.%02u %02u:%02u:%02u", 2024 + id % 2, 1 + id * 37 % 12, 1 + id % 28,
                second / 3600, second / 60 % 60, second % 60);
  t[kDateTimeField] = std::string(when, second == 0 ? 10 : 19);  // midnight reads as the date alone
  t[kNumberField] = std::to_string(id);
  t[kAbonentField] = "abonent " + std::to_string(id * 31);
  t[kCostField] = std::to_string(id % 100) + ".50";
  t[kRoamingField] = id % 3 == 0 ? "" : "network " + std::to_string(id % 11);
  return t;
}

std::uint32_t CurrentId(const Table& table) {
  return static_cast<std::uint32_t>(std::strtoul(table.FieldText(kNumberField).c_str(), nullptr, 10));
}

[[noreturn]] void RunChild(const std::string& dir, std::uint32_t seed, std::uint32_t firstId, int fd) {
  auto report = [fd](std::uint32_t op, std::uint32_t a, std::uint32_t b) {
    const Report r{op, a, b};
    if (::write(fd, &r, sizeof r) != sizeof r) _exit(3);
  };
  std::mt19937 rng(seed);  // 32-bit results
  Table table;
  std::string warning;
  if (!OpenDetalTable(dir, "dbf", kDefaultDetalWidths, &table, &warning).ok()) _exit(2);
  report('S', 0, 0);
  std::uint32_t id = firstId;
  for (int op = 0; op < 40; ++op) {
    const auto kind = static_cast<std::uint32_t>(rng() % 10);
    if (kind < 5) {
      const auto count = static_cast<std::uint32_t>(20 + rng() % 300);
      bool ok = table.BeginBulkAppend().ok();
      for (std::uint32_t i = 0; ok && i < count; ++i) ok = table.BulkAppend(RecordTexts(id + i)).ok();
      if (!table.EndBulkAppend().ok() || !ok) _exit(4);
      report('A', id, count);
      id += count;
    } else if (kind < 7) {
      const std::vector<std::string> texts = RecordTexts(id);
      bool ok = table.Append().ok();
      for (int f = 0; ok && f < kDetalFieldCount; ++f) ok = table.SetFieldText(f, texts[f]).ok();
      if (!ok || !table.Post().ok()) _exit(5);
      report('A', id++, 1);
    } else if (table.RecordCount() > 0) {
      if (!table.GoToPosition(static_cast<std::uint32_t>(rng() % table.RecordCount())).ok()) _exit(6);
      const std::uint32_t victim = CurrentId(table);
      if (kind == 9) {
        report('d', victim, 0);
        if (!table.Delete().ok()) _exit(7);
        report('D', victim, 0);
      } else {
        if (!table.Edit().ok() || !table.SetFieldText(kOwnerField, kMoved).ok() || !table.Post().ok()) _exit(8);
        report('E', victim, 0);
      }
    }
  }
  if (!table.Close().ok()) _exit(9);
  _exit(0);
}

// Walks the table in one order; checks every record against the texts of
// its id, and the order itself. Returns the ids met.
std::set<std::uint32_t> CheckOrder(Table& table, const char* index, int keyField) {
  std::set<std::uint32_t> ids;
  EXPECT_TRUE(table.SetActiveIndex(index).ok());
  std::string prevKey;
  std::uint32_t prevRecNo = 0;
  for (Status s = table.First(); !table.Eof(); s = table.Next()) {
    EXPECT_TRUE(s.ok()) << s.message();
    if (!s.ok()) break;
    const std::uint32_t id = CurrentId(table);
    std::vector<std::string> want = RecordTexts(id);
    if (table.FieldText(kOwnerField) == kMoved) want[kOwnerField] = kMoved;
    for (int f = 0; f < kDetalFieldCount; ++f)
      EXPECT_EQ(want[f], table.FieldText(f)) << "record " << table.RecNo() << " field " << f;
    EXPECT_TRUE(ids.insert(id).second) << "id " << id << " twice";
    if (keyField >= 0) {
      const std::string key = table.FieldText(keyField);
      EXPECT_TRUE(prevKey < key || (prevKey == key && prevRecNo < table.RecNo()))
          << index << " order broken at " << key;
      prevKey = key;
      prevRecNo = table.RecNo();
    }
  }
  EXPECT_EQ(table.RecordCount(), ids.size()) << index;
  return ids;
}

std::uint32_t EnvNumber(const char* name, std::uint32_t fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10)) : fallback;
}

TEST(KilledWriter, LeavesATableThatOpensWithEveryCompletedChange) {
  const std::uint32_t rounds = EnvNumber("ZVONAR_KILL_ROUNDS", 30);
  const std::uint32_t seed = EnvNumber("ZVONAR_KILL_SEED", 20240315);
  std::mt19937 rng(seed);
  testing::TempDir dir;
  std::set<std::uint32_t> appended, deleting, deleted, edited;
  for (std::uint32_t round = 0; round < rounds; ++round) {
    SCOPED_TRACE("seed " + std::to_string(seed) + " round " + std::to_string(round));
    if (round % 50 == 0) {  // start afresh now and then, so the table stays small
      std::filesystem::remove(dir.File("Tellura.dbf"));
      appended.clear();
      deleting.clear();
      deleted.clear();
      edited.clear();
    }
    int fds[2];
    ASSERT_EQ(0, ::pipe(fds));
    const std::uint32_t childSeed = static_cast<std::uint32_t>(rng());
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(fds[0]);
      RunChild(dir.path(), childSeed, (round % 50 + 1) * 100000, fds[1]);
    }
    ::close(fds[1]);
    Report r{};
    const bool started = ::read(fds[0], &r, sizeof r) == sizeof r && r.op == 'S';
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 25000));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(started);
    ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "child status " << status;
    while (::read(fds[0], &r, sizeof r) == sizeof r) {
      if (r.op == 'A')
        for (std::uint32_t i = 0; i < r.b; ++i) appended.insert(r.a + i);
      if (r.op == 'd') deleting.insert(r.a);
      if (r.op == 'D') deleted.insert(r.a);
      if (r.op == 'E') edited.insert(r.a);
    }
    ::close(fds[0]);

    Table table;
    std::string warning;
    const Status s = OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning);
    ASSERT_TRUE(s.ok()) << s.message();
    ASSERT_EQ("", warning);
    const std::set<std::uint32_t> ids = CheckOrder(table, "", -1);
    EXPECT_EQ(ids, CheckOrder(table, kOwnerIndex, kOwnerField));
    EXPECT_EQ(ids, CheckOrder(table, kDateTimeIndex, kDateTimeField));
    for (std::uint32_t id : appended) {
      ASSERT_TRUE(deleted.contains(id) || deleting.contains(id) || ids.contains(id)) << "lost record " << id;
    }
    for (std::uint32_t id : deleted) ASSERT_FALSE(ids.contains(id)) << "deleted record " << id << " is back";
    for (std::uint32_t id : deleting)  // an announced delete either happened or not; from now on it is known
      if (!ids.contains(id)) deleted.insert(id);
    deleting.clear();
    for (Status m = table.First(); m.ok() && !table.Eof(); m = table.Next()) {
      EXPECT_TRUE(!edited.contains(CurrentId(table)) || table.FieldText(kOwnerField) == kMoved) << table.RecNo();
    }
    ASSERT_TRUE(table.Close().ok());
  }
}

// A child that imports batches of records, appending each one's line to
// the import journal (a large one's hashes to a side file first), and
// takes imports back, killed the same way: the journal reads whole, no
// entry but the newest may name records that were never committed, every
// entry's records must be deleted or whole and its undo must find its
// hashes, and the entries must match what the child saw completed.
std::vector<std::string> ImportedTexts(std::uint32_t id) {
  std::vector<std::string> t(kDetalFieldCount);
  t[kOwnerField] = "own" + std::to_string(id % 5);
  t[kDateTimeField] = "2024.0" + std::to_string(1 + id % 9) + ".1" + std::to_string(id % 10) + " 10:00:00";
  t[kNumberField] = std::to_string(id);
  t[kAbonentField] = "abonent " + std::to_string(id * 17);
  return t;
}

constexpr HistoryBounds kEveryImport{1000, std::uint64_t{1} << 40};

[[noreturn]] void RunImporterChild(const std::string& dir, std::uint32_t seed, int fd) {
  auto report = [fd](char op) {
    if (::write(fd, &op, 1) != 1) _exit(3);
  };
  std::mt19937 rng(seed);
  Table table;
  std::string warning;
  if (!OpenDetalTable(dir, "dbf", kDefaultDetalWidths, &table, &warning).ok()) _exit(2);
  report('S');
  std::uint32_t id = 1;
  for (int op = 0; op < 40; ++op) {
    if (rng() % 3 != 0) {
      const auto count = static_cast<std::uint32_t>(20 + rng() % 500);  // hashes apart past 256
      bool ok = table.BeginBulkAppend().ok();
      for (std::uint32_t i = 0; ok && i < count; ++i) ok = table.BulkAppend(ImportedTexts(id++)).ok();
      const std::string file = "bill" + std::to_string(op) + ".txt";
      // Bounds wide enough that every import stays undoable: the bounds
      // have tests of their own.
      if (!EndJournaledAppend(dir, &table, file, FileFingerprint(file), kEveryImport).ok() || !ok) _exit(4);
      report('I');
    } else {
      report('u');
      ImportEntry undone;
      std::uint32_t removed = 0;
      const Status s = UndoLastImport(dir, &table, &undone, &removed);
      if (!s.ok() && s.kind() != StatusKind::NotFound) _exit(6);
      report(s.ok() ? 'U' : 'N');
    }
  }
  if (!table.Close().ok()) _exit(7);
  _exit(0);
}

TEST(KilledImporter, LeavesAJournalOfCommittedRecordsOnly) {
  const std::uint32_t rounds = EnvNumber("ZVONAR_KILL_ROUNDS", 30);
  const std::uint32_t seed = EnvNumber("ZVONAR_KILL_SEED", 20240316);
  std::mt19937 rng(seed);
  for (std::uint32_t round = 0; round < rounds; ++round) {
    SCOPED_TRACE("seed " + std::to_string(seed) + " round " + std::to_string(round));
    testing::TempDir dir;
    int fds[2];
    ASSERT_EQ(0, ::pipe(fds));
    const auto childSeed = static_cast<std::uint32_t>(rng());
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(fds[0]);
      RunImporterChild(dir.path(), childSeed, fds[1]);
    }
    ::close(fds[1]);
    char op = 0;
    const bool started = ::read(fds[0], &op, 1) == 1 && op == 'S';
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 40000));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(started);
    ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "child status " << status;
    int imported = 0, undone = 0;
    bool undoing = false;
    while (::read(fds[0], &op, 1) == 1) {
      imported += op == 'I';
      undone += op == 'U';
      undoing = op == 'u';
    }
    ::close(fds[0]);

    Table table;
    std::string warning;
    Status s = OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning);
    ASSERT_TRUE(s.ok()) << s.message();
    std::vector<ImportEntry> entries;
    s = ReadImportJournal(dir.path(), &entries);
    ASSERT_TRUE(s.ok()) << s.message();
    const int held = static_cast<int>(entries.size());
    EXPECT_LE(imported - undone - (undoing ? 1 : 0), held);  // an undo under way may have dropped its entry
    EXPECT_GE(imported - undone + 1, held);                  // an import may have noted itself unreported
    // Newest first: each entry's live records are all whole, so the undo
    // takes every one of them, and the index agrees afterwards.
    while (!entries.empty()) {
      const ImportEntry& last = entries.back();
      // Killed between its entry and its commit, the newest import leaves
      // an orphan: it has no record, and its undo takes none of the import
      // before.
      if (last.last > table.LastRecNo()) {
        ASSERT_EQ(static_cast<std::size_t>(held), entries.size()) << "an orphan before the newest entry";
      }
      std::uint32_t live = 0, undoable = 0;
      ASSERT_TRUE(table
                      .VisitRecords(last.first, last.last,
                                    [&](std::uint32_t, std::string_view record) { live += record[0] != kDeletedFlag; })
                      .ok());
      std::optional<ImportEntry> found;
      ASSERT_TRUE(LastImport(dir.path(), &table, &found, &undoable).ok());
      EXPECT_EQ(live, undoable) << "torn records of " << last.file;
      const std::uint32_t before = table.RecordCount();
      ImportEntry taken;
      std::uint32_t removed = 0;
      const Status taking = UndoLastImport(dir.path(), &table, &taken, &removed);
      ASSERT_TRUE(taking.ok()) << taking.message();
      EXPECT_EQ(before - live, table.RecordCount());
      entries.pop_back();
    }
    ASSERT_TRUE(table.SetActiveIndex(kDateTimeIndex).ok());
    std::uint32_t walked = 0;
    for (s = table.First(); s.ok() && !table.Eof(); s = table.Next()) ++walked;
    EXPECT_EQ(table.RecordCount(), walked);
    ASSERT_TRUE(table.Close().ok());
  }
}

// A fill over records spanning several write runs, recorded in the history,
// then its undo, in a child killed at a random moment: every record is as
// before the fill or as after it, and while the history holds the fill an
// undo brings every record back.
constexpr std::uint32_t kFilledRecords = 40000;

std::string CodeBefore(std::uint32_t id) { return "c" + std::to_string(id % 40); }

[[noreturn]] void RunFillUndoChild(const std::string& dir, int fd) {
  Table table;
  std::string warning;
  if (!OpenDetalTable(dir, "dbf", kDefaultDetalWidths, &table, &warning).ok()) _exit(3);
  const char started = 'S';
  if (::write(fd, &started, 1) != 1) _exit(3);
  std::uint32_t changed = 0;
  const Status filled = RecordChange({dir, {}}, &table, kChangeFillCodes, "", [&](const Table::ChangedRecordFn& note) {
    return table.RewriteFields(
        {kCodeField},
        [](FieldRewrite& r) {
          static std::string text;
          text = "filled " + std::string(r.texts[0]);
          r.store[0] = text;
        },
        {}, &changed, note);
  });
  if (!filled.ok()) _exit(3);
  UndoOutcome done;
  if (!UndoLatest(dir, &table, {}, &done).ok() || done.undone != kFilledRecords) _exit(3);
  _exit(0);
}

TEST(KilledUndo, LeavesEachRecordBeforeOrAfterAndTheFillUndoable) {
  const std::uint32_t rounds = EnvNumber("ZVONAR_KILL_ROUNDS", 30) / 3 + 1;
  const std::uint32_t seed = EnvNumber("ZVONAR_KILL_SEED", 20240317);
  std::mt19937 rng(seed);
  testing::TempDir made;
  {
    Table table;
    std::string warning;
    ASSERT_TRUE(OpenDetalTable(made.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
    ASSERT_TRUE(table.BeginBulkAppend(kFilledRecords).ok());
    for (std::uint32_t id = 0; id < kFilledRecords; ++id) {
      std::vector<std::string> texts = RecordTexts(id);
      texts[kCodeField] = CodeBefore(id);
      ASSERT_TRUE(table.BulkAppend(texts).ok());
    }
    ASSERT_TRUE(table.EndBulkAppend().ok());
  }
  for (std::uint32_t round = 0; round < rounds; ++round) {
    SCOPED_TRACE("seed " + std::to_string(seed) + " round " + std::to_string(round));
    testing::TempDir dir;
    for (const char* name : {"Tellura.dbf", "Tellura.MDX"})
      std::filesystem::copy_file(made.File(name), dir.File(name));
    int fds[2];
    ASSERT_EQ(0, ::pipe(fds));
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(fds[0]);
      RunFillUndoChild(dir.path(), fds[1]);
    }
    ::close(fds[1]);
    char op = 0;
    ASSERT_EQ(1, ::read(fds[0], &op, 1));
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 150000));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "child status " << status;

    Table table;
    std::string warning;
    ASSERT_TRUE(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
    const auto check = [&](bool allBefore) {
      std::uint32_t id = 0, wrong = 0;
      ASSERT_TRUE(table.SetActiveIndex("").ok());
      for (Status s = table.First(); s.ok() && !table.Eof(); s = table.Next(), ++id) {
        const std::string code = table.FieldText(kCodeField);
        if (code != CodeBefore(id) && (allBefore || code != "filled " + CodeBefore(id))) ++wrong;
        if (table.RecNo() == table.LastRecNo()) break;
      }
      EXPECT_EQ(kFilledRecords - 1, id);
      EXPECT_EQ(0u, wrong);
    };
    check(false);
    std::vector<ImportEntry> entries;
    ASSERT_TRUE(ReadImportJournal(dir.path(), &entries).ok());
    if (!entries.empty()) {
      UndoOutcome done;
      const Status s = UndoLatest(dir.path(), &table, {}, &done);
      ASSERT_TRUE(s.ok()) << s.message();
      EXPECT_EQ(0u, done.kept);
      check(true);
    }
    ASSERT_TRUE(table.Close().ok());
  }
}

}  // namespace
}  // namespace zvonar
