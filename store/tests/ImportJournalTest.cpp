// The import journal over a small table: entries for bulk appends, the
// undo of the last one, records the user changed or deleted meanwhile, and
// the index after an undo.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "base/tests/TestSupport.h"
#include "store/Bytes.h"
#include "store/History.h"
#include "store/ImportJournal.h"
#include "store/tests/JournalTestSupport.h"
#include "store/tests/StoreTestSupport.h"

namespace zvonar {
namespace {

using testing::ReadAll;

class ImportJournalTest : public testing::JournalTableTest {
 protected:
  // The line an earlier version wrote for the large import `big`, its
  // hashes inside it; its side file is removed.
  std::string OldLineInPlaceOf(const ImportEntry& big) {
    const std::string sidePath = dir_.File("history/" + big.images);
    const std::string side = testing::ReadOrEmpty(sidePath);
    EXPECT_EQ(12u + 4u * big.count, side.size());
    std::string hex;
    for (std::size_t at = 12; at < side.size(); at += 4) {
      char digits[9];
      std::snprintf(digits, sizeof digits, "%08x", GetU32(side.data() + at));
      hex += digits;
    }
    std::filesystem::remove(sidePath);
    return big.when + "\t" + big.fingerprint + "\t" + std::to_string(big.first) + "\t" + std::to_string(big.last) +
           "\t" + std::to_string(big.count) + "\t" + hex + "\t" + big.file + "\r\n";
  }
};

TEST_F(ImportJournalTest, NotesEachBulkAppendWithItsRecords) {
  Import("a.txt", {"ann", "bob", "cid"});
  Import("b.txt", {"dan", "eve"});
  const std::vector<ImportEntry> entries = Journal();
  ASSERT_EQ(2u, entries.size());
  EXPECT_EQ("a.txt", entries[0].file);
  EXPECT_EQ(1u, entries[0].first);
  EXPECT_EQ(3u, entries[0].last);
  EXPECT_EQ(3u, entries[0].count);
  EXPECT_EQ(4u, entries[1].first);
  EXPECT_EQ(5u, entries[1].last);
  EXPECT_EQ(FileFingerprint("b.txt"), entries[1].fingerprint);
  EXPECT_EQ(16u, entries[1].fingerprint.size());
  EXPECT_EQ(19u, entries[1].when.size());  // yyyy.mm.dd hh:mm:ss
  EXPECT_EQ("b.txt", FindImport(entries, FileFingerprint("b.txt"))->file);
  EXPECT_FALSE(FindImport(entries, FileFingerprint("c.txt")));

  // A bulk append that stored nothing leaves no entry.
  ASSERT_TRUE(table_.BeginBulkAppend().ok());
  ASSERT_TRUE(EndJournaledAppend(dir_.path(), &table_, "empty.txt", FileFingerprint("")).ok());
  EXPECT_EQ(2u, Journal().size());
}

TEST_F(ImportJournalTest, UndoTakesBackOnlyTheLastImportThenTheOneBefore) {
  Import("a.txt", {"ann", "bob"});
  Import("b.txt", {"cid", "dan", "eve"});
  std::optional<ImportEntry> last;
  std::uint32_t undoable = 0;
  ASSERT_TRUE(LastImport(dir_.path(), &table_, &last, &undoable).ok());
  ASSERT_TRUE(last);
  EXPECT_EQ("b.txt", last->file);
  EXPECT_EQ(3u, undoable);

  ImportEntry undone;
  std::uint32_t removed = 0;
  ASSERT_TRUE(UndoLastImport(dir_.path(), &table_, &undone, &removed).ok());
  EXPECT_EQ("b.txt", undone.file);
  EXPECT_EQ(3u, removed);
  EXPECT_EQ(2u, table_.RecordCount());
  EXPECT_EQ(1u, Journal().size());

  ASSERT_TRUE(UndoLastImport(dir_.path(), &table_, &undone, &removed).ok());
  EXPECT_EQ("a.txt", undone.file);
  EXPECT_EQ(0u, table_.RecordCount());
  EXPECT_EQ(StatusKind::NotFound, UndoLastImport(dir_.path(), &table_, &undone, &removed).kind());
  ASSERT_TRUE(LastImport(dir_.path(), &table_, &last, &undoable).ok());
  EXPECT_FALSE(last);
}

TEST_F(ImportJournalTest, RecordsTheUserChangedOrDeletedStay) {
  Import("a.txt", {"ann", "bob", "cid", "dan"});
  ASSERT_TRUE(table_.GoToPosition(1).ok());  // bob: changed
  ASSERT_TRUE(table_.Edit().ok());
  ASSERT_TRUE(table_.SetFieldText(2, "mine").ok());
  ASSERT_TRUE(table_.Post().ok());
  ASSERT_TRUE(table_.GoToPosition(2).ok());  // cid: deleted
  ASSERT_TRUE(table_.Delete().ok());
  std::optional<ImportEntry> last;
  std::uint32_t undoable = 0;
  ASSERT_TRUE(LastImport(dir_.path(), &table_, &last, &undoable).ok());
  EXPECT_EQ(2u, undoable);

  ImportEntry undone;
  std::uint32_t removed = 0;
  ASSERT_TRUE(UndoLastImport(dir_.path(), &table_, &undone, &removed).ok());
  EXPECT_EQ(2u, removed);
  EXPECT_EQ((std::vector<std::string>{"bob|2024.05.01 12:11:00|mine"}), ReadAll(table_));
  EXPECT_TRUE(Journal().empty());
}

TEST_F(ImportJournalTest, TheIndexFileAgreesAfterAnUndo) {
  // A large import leaves the index orders by another road than a small one.
  ASSERT_TRUE(testing::AddRecord(table_, {"own", "2024.01.01", "kept"}).ok());
  ASSERT_TRUE(table_.BeginBulkAppend().ok());
  for (int i = 0; i < 300; ++i)
    ASSERT_TRUE(table_.BulkAppend({"n" + std::to_string(i % 17), "2024.02.0" + std::to_string(1 + i % 9), ""}).ok());
  ASSERT_TRUE(EndJournaledAppend(dir_.path(), &table_, "big.txt", FileFingerprint("big")).ok());
  ASSERT_TRUE(testing::AddRecord(table_, {"usr", "2023.12.31", "mine"}).ok());
  Import("a.txt", {"zed", "amy", "kim"});
  ImportEntry undone;
  std::uint32_t removed = 0;
  ASSERT_TRUE(UndoLastImport(dir_.path(), &table_, &undone, &removed).ok());
  ASSERT_TRUE(UndoLastImport(dir_.path(), &table_, &undone, &removed).ok());
  EXPECT_EQ(300u, removed);
  EXPECT_EQ((std::vector<std::string>{"own|2024.01.01|kept", "usr|2023.12.31|mine"}), ReadAll(table_, "NAME"));
  ASSERT_TRUE(table_.Close().ok());
  OpenNotes notes;
  ASSERT_TRUE(table_.Open(path_, &notes).ok());
  EXPECT_EQ("", notes.indexRebuilt);  // written, not found stale
  EXPECT_EQ((std::vector<std::string>{"own|2024.01.01|kept", "usr|2023.12.31|mine"}), ReadAll(table_, "NAME"));
  EXPECT_EQ((std::vector<std::string>{"usr|2023.12.31|mine", "own|2024.01.01|kept"}), ReadAll(table_, "WHEN"));
}

TEST_F(ImportJournalTest, ADamagedJournalIsReportedAndNotWrittenOver) {
  testing::WriteOrDie(dir_.File(kImportJournalName), "2024.05.01 12:00:00\tabc\t1\t2\r\n");
  std::vector<ImportEntry> entries;
  const Status s = ReadImportJournal(dir_.path(), &entries);
  EXPECT_EQ(StatusKind::Corrupt, s.kind());
  EXPECT_NE(std::string::npos, s.message().find("imports.dat:1:")) << s.message();
  ASSERT_TRUE(table_.BeginBulkAppend().ok());
  ASSERT_TRUE(table_.BulkAppend({"ann", "2024.05.01", ""}).ok());
  const Status noted = EndJournaledAppend(dir_.path(), &table_, "a.txt", FileFingerprint("a"));
  EXPECT_NE(std::string::npos, noted.message().find("no records added; the import journal could not be written"))
      << noted.message();
  EXPECT_EQ(0u, table_.RecordCount());
  EXPECT_EQ(0u, table_.LastRecNo());
  EXPECT_EQ("2024.05.01 12:00:00\tabc\t1\t2\r\n", testing::ReadOrEmpty(dir_.File(kImportJournalName)));
}

TEST_F(ImportJournalTest, FileNamesWithTabsAndLineBreaksKeepTheJournalReadable) {
  Import("a\tb\nc.txt", {"ann"});
  const std::vector<ImportEntry> entries = Journal();
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("a\tb?c.txt", entries[0].file);
}

// An entry whose records never reached the count, as an import killed
// between its entry and its commit leaves it, naming records 3 to 5.
std::string OrphanLine() {
  return "2024.05.02 10:00:00\t0123456789abcdef\t3\t5\t3\t000000010000000200000003\tkilled.txt\r\n";
}

TEST_F(ImportJournalTest, AnOrphanIsNoImportToTakeBackAndTheNextEntryDropsIt) {
  Import("a.txt", {"ann", "bob"});
  const std::string journal = dir_.File(kImportJournalName);
  testing::WriteOrDie(journal, testing::ReadOrEmpty(journal) + OrphanLine());
  std::optional<ImportEntry> last;
  std::uint32_t undoable = 9;
  ASSERT_TRUE(LastImport(dir_.path(), &table_, &last, &undoable).ok());
  ASSERT_TRUE(last);
  EXPECT_EQ("killed.txt", last->file);
  EXPECT_EQ(0u, undoable);
  // Its undo removes its entry and nothing of the import before.
  ImportEntry undone;
  std::uint32_t removed = 9;
  ASSERT_TRUE(UndoLastImport(dir_.path(), &table_, &undone, &removed).ok());
  EXPECT_EQ("killed.txt", undone.file);
  EXPECT_EQ(0u, removed);
  EXPECT_EQ(2u, table_.RecordCount());
  ASSERT_EQ(1u, Journal().size());

  // The next import takes the orphan's record numbers and its place.
  testing::WriteOrDie(journal, testing::ReadOrEmpty(journal) + OrphanLine());
  Import("b.txt", {"cid"});
  std::vector<ImportEntry> entries = Journal();
  ASSERT_EQ(2u, entries.size());
  EXPECT_EQ("a.txt", entries[0].file);
  EXPECT_EQ("b.txt", entries[1].file);
  EXPECT_EQ(3u, entries[1].first);

  // An entry cut off before its line end (a killed append) is none, and
  // the next one is written over it.
  const std::string whole = testing::ReadOrEmpty(journal);
  testing::WriteOrDie(journal, whole + OrphanLine().substr(0, 40));
  EXPECT_EQ(2u, Journal().size());
  Import("c.txt", {"dan"});
  entries = Journal();
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ("c.txt", entries[2].file);
  EXPECT_EQ(0u, testing::ReadOrEmpty(journal).find(whole));
}

TEST_F(ImportJournalTest, AFileCountsAsImportedWhileItsFirstAndLastRecordsAreAsImported) {
  Import("one.txt", {"ann"});  // first and last are one record
  Import("two.txt", {"bob", "cid", "dan"});
  PreviousImport previous;
  ASSERT_TRUE(CheckPreviousImport(dir_.path(), &table_, FileFingerprint("one.txt"), &previous).ok());
  ASSERT_TRUE(previous.live);
  EXPECT_EQ("one.txt", previous.live->file);
  EXPECT_FALSE(previous.gone);
  ASSERT_TRUE(CheckPreviousImport(dir_.path(), &table_, FileFingerprint("two.txt"), &previous).ok());
  EXPECT_TRUE(previous.live);
  ASSERT_TRUE(CheckPreviousImport(dir_.path(), &table_, FileFingerprint("three.txt"), &previous).ok());
  EXPECT_FALSE(previous.live);
  EXPECT_FALSE(previous.gone);

  ASSERT_TRUE(table_.GoToPosition(3).ok());  // dan, two.txt's last: changed
  ASSERT_TRUE(table_.Edit().ok());
  ASSERT_TRUE(table_.SetFieldText(2, "mine").ok());
  ASSERT_TRUE(table_.Post().ok());
  ASSERT_TRUE(table_.GoToPosition(0).ok());  // ann, all of one.txt: deleted
  ASSERT_TRUE(table_.Delete().ok());
  for (const char* file : {"one.txt", "two.txt"}) {
    ASSERT_TRUE(CheckPreviousImport(dir_.path(), &table_, FileFingerprint(file), &previous).ok());
    EXPECT_FALSE(previous.live) << file;
    ASSERT_TRUE(previous.gone) << file;
    EXPECT_EQ(file, previous.gone->file);
  }
}

// A large import's hashes lie in a side file of the history folder and its
// line, appended behind the lines before it, holds only those of its first
// and last record: the re-import guard and the listing never read the side
// file; only its undo does, and refuses without it.
TEST_F(ImportJournalTest, ALargeImportKeepsItsHashesApartForItsUndoOnly) {
  Import("a.txt", {"ann"});
  const std::string journal = dir_.File(kImportJournalName);
  const std::string before = testing::ReadOrEmpty(journal);
  ImportCount("big.txt", 1000);
  const std::string after = testing::ReadOrEmpty(journal);
  EXPECT_EQ(0u, after.find(before));
  EXPECT_LT(after.size() - before.size(), 200u);
  const std::vector<ImportEntry> entries = Journal();
  ASSERT_EQ(2u, entries.size());
  EXPECT_TRUE(entries[1].sumsApart);
  const std::string sums = dir_.File("history/" + entries[1].images);
  ASSERT_TRUE(std::filesystem::exists(sums));

  std::filesystem::rename(sums, sums + ".away");
  PreviousImport previous;
  ASSERT_TRUE(CheckPreviousImport(dir_.path(), &table_, FileFingerprint("big.txt"), &previous).ok());
  ASSERT_TRUE(previous.live);
  EXPECT_EQ(1001u, previous.live->last);
  UndoOutcome refused;
  EXPECT_FALSE(UndoLatest(dir_.path(), &table_, {}, &refused).ok());
  EXPECT_EQ(1001u, table_.RecordCount());
  EXPECT_EQ(2u, Journal().size());

  std::filesystem::rename(sums + ".away", sums);
  ASSERT_TRUE(table_.GoToPosition(500).ok());
  ASSERT_TRUE(table_.Edit().ok());
  ASSERT_TRUE(table_.SetFieldText(2, "mine").ok());
  ASSERT_TRUE(table_.Post().ok());
  UndoOutcome done;
  ASSERT_TRUE(UndoLatest(dir_.path(), &table_, {}, &done).ok());
  EXPECT_EQ(999u, done.undone);
  EXPECT_EQ(1u, done.kept);
  EXPECT_EQ(2u, table_.RecordCount());
  EXPECT_FALSE(std::filesystem::exists(sums));
  EXPECT_EQ(before, testing::ReadOrEmpty(journal));
}

// A line written before hashes went to side files, with ten thousand of
// them inside it (longer than a block of the reader): the re-import guard
// reads it and its undo finds every hash.
TEST_F(ImportJournalTest, AnOldLineWithManyHashesInsideReadsAsItStands) {
  Import("a.txt", {"ann"});
  const std::string journal = dir_.File(kImportJournalName);
  const std::string first = testing::ReadOrEmpty(journal);
  ImportCount("big.txt", 10000);
  const ImportEntry big = Journal().back();
  testing::WriteOrDie(journal, first + OldLineInPlaceOf(big));

  const std::vector<ImportEntry> entries = Journal();
  ASSERT_EQ(2u, entries.size());
  EXPECT_FALSE(entries[1].sumsApart);
  EXPECT_EQ(big.firstSum, entries[1].firstSum);
  EXPECT_EQ(big.lastSum, entries[1].lastSum);
  PreviousImport previous;
  ASSERT_TRUE(CheckPreviousImport(dir_.path(), &table_, FileFingerprint("big.txt"), &previous).ok());
  EXPECT_TRUE(previous.live);
  ImportEntry undone;
  std::uint32_t removed = 0;
  ASSERT_TRUE(UndoLastImport(dir_.path(), &table_, &undone, &removed).ok());
  EXPECT_EQ(10000u, removed);
  EXPECT_EQ(first, testing::ReadOrEmpty(journal));
}

// The first import after an old line with many hashes inside it moves them
// to a side file and writes the journal anew once; the next import only
// appends, without reading the side file, and every undo still finds its
// hashes.
TEST_F(ImportJournalTest, AnOldLineWithManyHashesInsideMovesApartAtTheNextImport) {
  Import("a.txt", {"ann"});
  const std::string journal = dir_.File(kImportJournalName);
  const std::string first = testing::ReadOrEmpty(journal);
  ImportCount("big.txt", 10000);
  const ImportEntry big = Journal().back();
  const std::string oldLine = OldLineInPlaceOf(big);
  testing::WriteOrDie(journal, first + oldLine);
  const std::string old = testing::ReadOrEmpty(journal);
  EXPECT_EQ(old, testing::ReadOrEmpty(journal));  // read, not rewritten

  Import("c.txt", {"cid"});
  std::vector<ImportEntry> entries = Journal();
  ASSERT_EQ(3u, entries.size());
  EXPECT_TRUE(entries[1].sumsApart);
  EXPECT_EQ(big.firstSum, entries[1].firstSum);
  EXPECT_EQ(big.lastSum, entries[1].lastSum);
  const std::string side = dir_.File("history/" + entries[1].images);
  ASSERT_TRUE(std::filesystem::exists(side));
  const std::string converted = testing::ReadOrEmpty(journal);
  EXPECT_LT(converted.size(), 1000u);
  EXPECT_EQ(0u, converted.find(first));

  // The next import leaves the side file alone, away or not.
  std::filesystem::rename(side, side + ".away");
  Import("d.txt", {"dan"});
  EXPECT_EQ(0u, testing::ReadOrEmpty(journal).find(converted));
  std::filesystem::rename(side + ".away", side);

  ImportEntry undone;
  std::uint32_t removed = 0;
  ASSERT_TRUE(UndoLastImport(dir_.path(), &table_, &undone, &removed).ok());
  ASSERT_TRUE(UndoLastImport(dir_.path(), &table_, &undone, &removed).ok());
  EXPECT_EQ("c.txt", undone.file);
  PreviousImport previous;
  ASSERT_TRUE(CheckPreviousImport(dir_.path(), &table_, FileFingerprint("big.txt"), &previous).ok());
  ASSERT_TRUE(previous.live);
  EXPECT_EQ(10001u, previous.live->last);
  ASSERT_TRUE(table_.GoToPosition(500).ok());
  ASSERT_TRUE(table_.Edit().ok());
  ASSERT_TRUE(table_.SetFieldText(2, "mine").ok());
  ASSERT_TRUE(table_.Post().ok());
  ASSERT_TRUE(UndoLastImport(dir_.path(), &table_, &undone, &removed).ok());
  EXPECT_EQ(9999u, removed);
  EXPECT_EQ(first, testing::ReadOrEmpty(journal));
  EXPECT_FALSE(std::filesystem::exists(side));
}

// An old line with many hashes inside, beyond the bounds, keeps none of
// them once a writer passes.
TEST_F(ImportJournalTest, AnOldLineBeyondTheBoundsDropsItsHashes) {
  bounds_.changes = 1;
  Import("a.txt", {"ann"});
  const std::string journal = dir_.File(kImportJournalName);
  const std::string first = testing::ReadOrEmpty(journal);
  ImportCount("big.txt", 1000);
  testing::WriteOrDie(journal, first + OldLineInPlaceOf(Journal().back()));
  Import("c.txt", {"cid"});
  const std::vector<ImportEntry> entries = Journal();
  ASSERT_EQ(3u, entries.size());
  EXPECT_TRUE(entries[1].sumsApart);
  EXPECT_TRUE(entries[1].images.empty());
  EXPECT_LT(testing::ReadOrEmpty(journal).size(), 1000u);
}

// A journal of 100 imports of a million records each (their lines only;
// the side files they name are not there) is read for a fingerprint
// without them, and the next import appends its line behind them: the
// imports its records overlap are orphans from then on, as read.
TEST_F(ImportJournalTest, AHundredLargeImportsBeforeDoNotBurdenTheNext) {
  bounds_.changes = 200;  // the history keeps them all
  Import("a.txt", {"ann", "bob"});
  std::string lines;
  for (std::uint32_t i = 0; i < 100; ++i) {
    const std::uint32_t first = 3 + i * 1000000;
    lines += "2024.01.01 10:00:00\t" + FileFingerprint("old" + std::to_string(i)) + "\t" + std::to_string(first) +
             "\t" + std::to_string(first + 999999) + "\t1000000\t=0000000100000002:1700000000-1-" +
             std::to_string(i) + ".sums\told" + std::to_string(i) + ".txt\r\n";
  }
  const std::string journal = dir_.File(kImportJournalName);
  testing::WriteOrDie(journal, testing::ReadOrEmpty(journal) + lines);
  EXPECT_EQ(101u, Journal().size());
  PreviousImport previous;
  ASSERT_TRUE(CheckPreviousImport(dir_.path(), &table_, FileFingerprint("old57"), &previous).ok());
  EXPECT_FALSE(previous.live);
  ASSERT_TRUE(previous.gone);
  EXPECT_EQ("old57.txt", previous.gone->file);
  ASSERT_TRUE(CheckPreviousImport(dir_.path(), &table_, FileFingerprint("a.txt"), &previous).ok());
  EXPECT_TRUE(previous.live);

  const std::string before = testing::ReadOrEmpty(journal);
  Import("b.txt", {"cid"});
  EXPECT_EQ(0u, testing::ReadOrEmpty(journal).find(before));
  const std::vector<ImportEntry> entries = Journal();
  ASSERT_EQ(2u, entries.size());
  EXPECT_EQ("b.txt", entries[1].file);
  ASSERT_TRUE(CheckPreviousImport(dir_.path(), &table_, FileFingerprint("old57"), &previous).ok());
  EXPECT_FALSE(previous.live || previous.gone);
  // Taking b.txt back takes the orphans with it.
  ImportEntry undone;
  std::uint32_t removed = 0;
  ASSERT_TRUE(UndoLastImport(dir_.path(), &table_, &undone, &removed).ok());
  EXPECT_EQ(1u, removed);
  EXPECT_EQ(std::string::npos, testing::ReadOrEmpty(journal).find("old"));
  EXPECT_EQ(1u, Journal().size());
}

}  // namespace
}  // namespace zvonar
