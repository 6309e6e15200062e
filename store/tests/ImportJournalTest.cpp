// The import journal over a small table: entries for bulk appends, the
// undo of the last one, records the user changed or deleted meanwhile, and
// the index after an undo.
#include <gtest/gtest.h>

#include "base/tests/TestSupport.h"
#include "store/ImportJournal.h"
#include "store/tests/StoreTestSupport.h"

namespace zvonar {
namespace {

using testing::ReadAll;

class ImportJournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Table::Create(path_, testing::SmallFieldDefs()).ok());
    ASSERT_TRUE(table_.Open(path_).ok());
  }

  // Appends one record per name in one bulk append and notes it.
  void Import(const std::string& file, std::initializer_list<std::string> names) {
    ASSERT_TRUE(table_.BeginBulkAppend().ok());
    int minute = 10;
    for (const std::string& name : names)
      ASSERT_TRUE(table_.BulkAppend({name, "2024.05.01 12:" + std::to_string(minute++) + ":00", file}).ok());
    ASSERT_TRUE(EndJournaledAppend(dir_.path(), &table_, file, FileFingerprint(file)).ok());
  }

  std::vector<ImportEntry> Journal() {
    std::vector<ImportEntry> entries;
    EXPECT_TRUE(ReadImportJournal(dir_.path(), &entries).ok());
    return entries;
  }

  testing::TempDir dir_;
  std::string path_ = dir_.File("t.dbf");
  Table table_;
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

}  // namespace
}  // namespace zvonar
