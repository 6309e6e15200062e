// The history of changes over a small table: imports, rewrites in place and
// deletes taken back in the order they were made, each leaving the table
// and its index file as they were before it, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/tests/TestSupport.h"
#include "store/History.h"
#include "store/tests/JournalTestSupport.h"

namespace zvonar {
namespace {

using testing::ReadOrEmpty;

class HistoryTest : public testing::JournalTableTest {
 protected:
  // Rewrites NOTE (and NAME, an indexed field, when asked) of every record
  // whose NAME is in `names`, recorded in the history.
  Status Fill(std::initializer_list<std::string_view> names, std::string_view note, bool rename = false,
              std::uint32_t* changed = nullptr) {
    std::uint32_t count = 0;
    const Status s = RecordChange({dir_.path(), bounds_}, &table_, kChangeFillCodes, "", [&](const Table::ChangedRecordFn& n) {
      return table_.RewriteFields(
          {0, 2},
          [&](FieldRewrite& r) {
            if (std::find(names.begin(), names.end(), r.texts[0]) == names.end()) return;
            r.store[1] = note;
            if (rename) r.store[0] = "z" + std::string(r.texts[0].substr(0, 5));
          },
          {}, &count, n);
    });
    if (changed != nullptr) *changed = count;
    return s;
  }

  // The table's files as they are on disk once it is closed.
  struct Files {
    std::string dbf, mdx;
    bool operator==(const Files&) const = default;
  };
  Files Snapshot() {
    EXPECT_TRUE(table_.Close().ok());
    Files files{ReadOrEmpty(path_), ReadOrEmpty(Table::IndexPathFor(path_))};
    EXPECT_TRUE(table_.Open(path_).ok());
    return files;
  }

  UndoOutcome Undo() {
    UndoOutcome outcome;
    const Status s = UndoLatest(dir_.path(), &table_, {}, &outcome);
    EXPECT_TRUE(s.ok()) << s.message();
    return outcome;
  }

  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (Status s = table_.First(); s.ok() && !table_.Eof(); s = table_.Next()) {
      names.push_back(table_.FieldText(0) + "/" + table_.FieldText(2));
      if (table_.RecNo() == table_.LastRecNo() || names.size() > 100) break;
    }
    return names;
  }

  std::vector<ImportEntry> History() { return Journal(); }
};

TEST_F(HistoryTest, ChangesAreTakenBackInOrderByteForByte) {
  Import("a.txt", {"ann", "bob"});
  const Files afterA = Snapshot();
  Import("b.txt", {"cid", "dan", "eve"});
  const Files afterB = Snapshot();
  std::uint32_t changed = 0;
  ASSERT_TRUE(Fill({"ann", "cid", "eve"}, "filled", true, &changed).ok());
  EXPECT_EQ(3u, changed);
  const Files afterFill = Snapshot();
  ASSERT_TRUE(table_.SetActiveIndex("").ok());
  ASSERT_TRUE(table_.First().ok());
  ASSERT_TRUE(table_.Next().ok());  // bob
  ASSERT_TRUE(RecordChange({dir_.path(), bounds_}, &table_, kChangeDelete, "", [&](const Table::ChangedRecordFn& n) {
                return table_.Delete(n);
              }).ok());
  EXPECT_EQ(4u, table_.RecordCount());

  const std::vector<ImportEntry> history = History();
  ASSERT_EQ(4u, history.size());
  EXPECT_EQ("", history[1].kind);
  EXPECT_EQ(kChangeFillCodes, history[2].kind);
  EXPECT_EQ(1u, history[2].first);
  EXPECT_EQ(5u, history[2].last);
  EXPECT_EQ(3u, history[2].count);
  EXPECT_EQ(kChangeDelete, history[3].kind);
  EXPECT_TRUE(std::filesystem::exists(dir_.File("history/" + history[3].images)));

  UndoPreview preview;
  ASSERT_TRUE(PreviewUndo(dir_.path(), &table_, &preview).ok());
  ASSERT_TRUE(preview.entry);
  EXPECT_EQ(kChangeDelete, preview.entry->kind);
  EXPECT_EQ(1u, preview.undoable);
  EXPECT_TRUE(preview.possible);

  EXPECT_EQ(1u, Undo().undone);
  EXPECT_EQ(5u, table_.RecordCount());
  EXPECT_FALSE(std::filesystem::exists(dir_.File("history/" + history[3].images)));
  EXPECT_TRUE(Snapshot() == afterFill);
  const UndoOutcome fill = Undo();
  EXPECT_EQ(kChangeFillCodes, fill.entry.kind);
  EXPECT_EQ(3u, fill.undone);
  EXPECT_EQ(0u, fill.kept);
  EXPECT_TRUE(Snapshot() == afterB);
  // The import's records are as appended again: it goes whole.
  EXPECT_EQ(3u, Undo().undone);
  EXPECT_TRUE(Snapshot() == afterA);
  EXPECT_EQ(2u, Undo().undone);
  EXPECT_EQ(0u, table_.RecordCount());
  EXPECT_TRUE(History().empty());
  UndoOutcome none;
  EXPECT_EQ(StatusKind::NotFound, UndoLatest(dir_.path(), &table_, {}, &none).kind());
}

// A record another program changed after the fill keeps that change and
// is counted; the import under it then loses only its unchanged records.
TEST_F(HistoryTest, RecordsChangedBehindTheHistoryAreLeftAndCounted) {
  Import("a.txt", {"ann", "bob", "cid"});
  ASSERT_TRUE(Fill({"ann", "bob", "cid"}, "filled").ok());
  ASSERT_TRUE(table_.SetActiveIndex("").ok());
  ASSERT_TRUE(table_.First().ok());
  ASSERT_TRUE(table_.Edit().ok());
  ASSERT_TRUE(table_.SetFieldText(2, "by hand").ok());
  ASSERT_TRUE(table_.Post().ok());

  UndoPreview preview;
  ASSERT_TRUE(PreviewUndo(dir_.path(), &table_, &preview).ok());
  EXPECT_EQ(2u, preview.undoable);
  EXPECT_EQ(1u, preview.kept);
  const UndoOutcome fill = Undo();
  EXPECT_EQ(2u, fill.undone);
  EXPECT_EQ(1u, fill.kept);
  EXPECT_EQ((std::vector<std::string>{"ann/by hand", "bob/a.txt", "cid/a.txt"}), Names());

  const UndoOutcome import = Undo();
  EXPECT_EQ(2u, import.undone);
  EXPECT_EQ(1u, import.kept);
  EXPECT_EQ((std::vector<std::string>{"ann/by hand"}), Names());
}

// A fill that changed nothing leaves no entry and no image file; an undo
// taken again after a kill finds the records it already put back.
TEST_F(HistoryTest, EmptyChangesAndRecordsAlreadyPutBack) {
  Import("a.txt", {"ann", "bob"});
  ASSERT_TRUE(Fill({"nobody"}, "x").ok());
  EXPECT_EQ(1u, History().size());
  EXPECT_FALSE(std::filesystem::exists(dir_.File("history")) &&
               !std::filesystem::is_empty(dir_.File("history")));

  ASSERT_TRUE(Fill({"ann", "bob"}, "filled").ok());
  // Put one record back by hand, as a killed undo would have left it.
  ASSERT_TRUE(table_.SetActiveIndex("").ok());
  ASSERT_TRUE(table_.First().ok());
  ASSERT_TRUE(table_.Edit().ok());
  ASSERT_TRUE(table_.SetFieldText(2, "a.txt").ok());
  ASSERT_TRUE(table_.Post().ok());
  const UndoOutcome fill = Undo();
  EXPECT_EQ(2u, fill.undone);
  EXPECT_EQ(0u, fill.kept);
  EXPECT_EQ((std::vector<std::string>{"ann/a.txt", "bob/a.txt"}), Names());
}

// Journals written before changes were recorded read as they stand, and a
// change whose images were dropped is refused with its reason.
TEST_F(HistoryTest, OldJournalsAndDroppedImages) {
  Import("a.txt", {"ann"});
  std::string old = ReadOrEmpty(dir_.File("imports.dat"));
  const std::size_t at = old.find('@');
  ASSERT_NE(std::string::npos, at);
  old.erase(at, 7);  // the header's date, which older entries lack
  testing::WriteOrDie(dir_.File("imports.dat"),
                      old + "2024.05.02 10:00:00\tfill-names\t1\t1\t1\t-\tby hand\r\n");
  const std::vector<ImportEntry> history = History();
  ASSERT_EQ(2u, history.size());
  EXPECT_EQ("", history[0].dateBefore);
  EXPECT_EQ(kChangeFillNames, history[1].kind);
  EXPECT_EQ("", history[1].images);
  EXPECT_EQ("by hand", history[1].file);

  UndoPreview preview;
  ASSERT_TRUE(PreviewUndo(dir_.path(), &table_, &preview).ok());
  EXPECT_FALSE(preview.possible);
  UndoOutcome outcome;
  const Status refused = UndoLatest(dir_.path(), &table_, {}, &outcome);
  EXPECT_EQ(StatusKind::InvalidInput, refused.kind());
  EXPECT_NE(std::string::npos, refused.message().find("before-images were dropped")) << refused.message();
  EXPECT_EQ(2u, History().size());
  EXPECT_EQ(1u, table_.RecordCount());
}

// The history keeps the images of its newest changes only: an older
// change is listed but refused, and a bound of 0 keeps none at all.
TEST_F(HistoryTest, BeforeImagesBeyondTheBoundsAreDropped) {
  Import("a.txt", {"ann", "bob", "cid"});
  bounds_.changes = 2;  // the two newest fills
  ASSERT_TRUE(Fill({"ann"}, "one").ok());
  ASSERT_TRUE(Fill({"bob"}, "two").ok());
  ASSERT_TRUE(Fill({"cid"}, "three").ok());
  std::vector<ImportEntry> history = History();
  ASSERT_EQ(4u, history.size());
  EXPECT_EQ("", history[1].images);  // the fourth newest
  EXPECT_NE("", history[2].images);
  EXPECT_NE("", history[3].images);
  EXPECT_EQ(2u, std::distance(std::filesystem::directory_iterator(dir_.File("history")),
                              std::filesystem::directory_iterator()));
  EXPECT_EQ(1u, Undo().undone);
  EXPECT_EQ(1u, Undo().undone);
  UndoOutcome refused;
  EXPECT_EQ(StatusKind::InvalidInput, UndoLatest(dir_.path(), &table_, {}, &refused).kind());
  EXPECT_EQ((std::vector<std::string>{"ann/one", "bob/a.txt", "cid/a.txt"}), Names());

  // So few bytes that not even the newest change's images fit.
  bounds_ = {10, 8};
  ASSERT_TRUE(Fill({"bob"}, "four").ok());
  history = History();
  EXPECT_EQ("", history.back().images);
  bounds_ = {0, 1u << 20};
  ASSERT_TRUE(Fill({"cid"}, "five").ok());
  history = History();
  EXPECT_EQ(kChangeFillCodes, history.back().kind);
  EXPECT_EQ("", history.back().images);
  EXPECT_TRUE(std::filesystem::is_empty(dir_.File("history")));
}

// Image and hash files that no line of the history names, as a change or
// an import killed before its line leaves them, go with the next change;
// other files of the folder stay.
TEST_F(HistoryTest, FilesNoLineNamesGoWithTheNextChange) {
  Import("a.txt", {"ann", "bob"});
  std::filesystem::create_directory(dir_.File("history"));
  for (const char* name : {"history/00000001-1-0.bef", "history/00000001-1-0.sums", "history/notes.txt"})
    testing::WriteOrDie(dir_.File(name), "left");
  ASSERT_TRUE(Fill({"ann"}, "filled").ok());
  EXPECT_FALSE(std::filesystem::exists(dir_.File("history/00000001-1-0.bef")));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("history/00000001-1-0.sums")));
  EXPECT_TRUE(std::filesystem::exists(dir_.File("history/notes.txt")));
  EXPECT_TRUE(std::filesystem::exists(dir_.File("history/" + History().back().images)));
  EXPECT_EQ(1u, Undo().undone);
}

// A change of more records than the undo reads at once: its images are
// read a block at a time beside the records and the table comes back byte
// for byte. An image file cut short stops the undo with the reason, and
// the history keeps the change.
TEST_F(HistoryTest, ALargeChangeComesBackAsItsImagesAreRead) {
  constexpr std::uint32_t kRecords = 60000;
  ImportCount("big.txt", kRecords);
  const Files before = Snapshot();
  const auto fillAll = [&] {
    std::uint32_t changed = 0;
    const Status s = RecordChange({dir_.path(), bounds_}, &table_, kChangeFillCodes, "", [&](const Table::ChangedRecordFn& n) {
      return table_.RewriteFields(
          {0, 2},
          [](FieldRewrite& r) {
            static std::string name;
            name = "x" + std::string(r.texts[0]).substr(0, 5);
            r.store[0] = name;
            r.store[1] = "filled";
          },
          {}, &changed, n);
    });
    EXPECT_TRUE(s.ok()) << s.message();
    EXPECT_EQ(kRecords, changed);
  };
  fillAll();
  const std::string images = dir_.File("history/" + History().back().images);
  EXPECT_GT(std::filesystem::file_size(images), 2u << 20);
  UndoPreview preview;
  ASSERT_TRUE(PreviewUndo(dir_.path(), &table_, &preview).ok());
  EXPECT_EQ(kRecords, preview.undoable);
  EXPECT_EQ(0u, preview.kept);
  const UndoOutcome undone = Undo();
  EXPECT_EQ(kRecords, undone.undone);
  EXPECT_EQ(0u, undone.kept);
  EXPECT_TRUE(Snapshot() == before);
  EXPECT_FALSE(std::filesystem::exists(images));

  fillAll();
  const std::string cut = dir_.File("history/" + History().back().images);
  std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 2 + 5);
  UndoOutcome stopped;
  const Status s = UndoLatest(dir_.path(), &table_, {}, &stopped);
  EXPECT_EQ(StatusKind::Corrupt, s.kind());
  EXPECT_NE(std::string::npos, s.message().find("is not a before-image file")) << s.message();
  EXPECT_GT(stopped.undone, 0u);
  EXPECT_LT(stopped.undone, kRecords);
  EXPECT_EQ(2u, History().size());
}

// An import counts toward the bounds as a change does; a large one's hashes
// lie apart and are dropped past the bounds, and it can no longer be taken
// back. Hashes that pass the bytes alone are not kept at all.
TEST_F(HistoryTest, ImportsCountTowardTheBounds) {
  bounds_.changes = 2;
  ImportCount("a.txt", 300);
  ImportCount("b.txt", 400);
  EXPECT_TRUE(EntryUndoable(History()[0]));
  ASSERT_TRUE(Fill({"n1"}, "filled").ok());
  std::vector<ImportEntry> history = History();
  ASSERT_EQ(3u, history.size());
  EXPECT_TRUE(history[0].sumsApart);
  EXPECT_FALSE(EntryUndoable(history[0]));
  EXPECT_TRUE(EntryUndoable(history[1]));
  EXPECT_EQ(2u, std::distance(std::filesystem::directory_iterator(dir_.File("history")),
                              std::filesystem::directory_iterator()));
  EXPECT_EQ(2u, Undo().undone);  // n1 of each import
  EXPECT_EQ(400u, Undo().undone);
  UndoOutcome refused;
  const Status s = UndoLatest(dir_.path(), &table_, {}, &refused);
  EXPECT_EQ(StatusKind::InvalidInput, s.kind());
  EXPECT_NE(std::string::npos, s.message().find("the import of a.txt of ")) << s.message();
  EXPECT_NE(std::string::npos, s.message().find("its record hashes were dropped")) << s.message();
  EXPECT_EQ(300u, table_.RecordCount());

  bounds_ = {10, 1000};  // less than 300 hashes take
  ImportCount("c.txt", 300);
  EXPECT_FALSE(EntryUndoable(History().back()));
  EXPECT_TRUE(std::filesystem::is_empty(dir_.File("history")));
}

}  // namespace
}  // namespace zvonar
