#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "base/TextFile.h"
#include "base/tests/TestSupport.h"
#include "store/Table.h"
#include "store/tests/StoreTestSupport.h"

namespace zvonar {
namespace {

using testing::AddRecord;
using testing::ReadAll;
using testing::RecordLine;
using testing::SmallFieldDefs;
using Lines = std::vector<std::string>;

class TableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Table::Create(path_, SmallFieldDefs()).ok());
    ASSERT_TRUE(table_.Open(path_).ok());
  }
  void Reopen() {
    ASSERT_TRUE(table_.Close().ok());
    OpenNotes notes;
    ASSERT_TRUE(table_.Open(path_, &notes).ok());
    EXPECT_EQ("", notes.indexRebuilt);  // a cleanly closed table keeps its index file
  }
  void AddSample() {
    ASSERT_TRUE(AddRecord(table_, {"bob", "2024.03.02 10:00:00", "second"}).ok());
    ASSERT_TRUE(AddRecord(table_, {"alice", "2024.03.03", "third"}).ok());
    ASSERT_TRUE(AddRecord(table_, {"bob", "2024.03.01 08:15:00", "first"}).ok());
    ASSERT_TRUE(AddRecord(table_, {"alice", "2024.02.28 23:59:59", "zeroth"}).ok());
  }

  testing::TempDir dir_;
  std::string path_ = dir_.File("T.dbf");
  Table table_;
};

TEST_F(TableTest, RecordsSurviveCloseAndReopen) {
  const std::string cyrillic = "\xC8\xE2\xE0\xED\xEE\xE2";  // six code page 1251 letters
  ASSERT_TRUE(AddRecord(table_, {cyrillic, "2024.03.15 14:30:05", "  lead"}).ok());
  ASSERT_TRUE(AddRecord(table_, {"toolongname", "2024.03.16", ""}).ok());
  Reopen();
  EXPECT_EQ(2u, table_.RecordCount());
  EXPECT_EQ((Lines{cyrillic + "|2024.03.15 14:30:05|  lead", "toolon|2024.03.16|"}), ReadAll(table_));
  ASSERT_TRUE(table_.First().ok());
  EXPECT_EQ(1u, table_.RecNo());
  EXPECT_EQ(table_.FieldIndex("when"), 1);
  EXPECT_EQ(table_.FieldIndex("missing"), -1);
}

TEST_F(TableTest, NavigationSetsBofAndEof) {
  EXPECT_TRUE(table_.Bof() && table_.Eof());
  EXPECT_EQ(0u, table_.RecNo());
  EXPECT_EQ("", table_.FieldText(0));
  AddSample();
  ASSERT_TRUE(table_.First().ok());
  EXPECT_TRUE(table_.Bof());
  EXPECT_FALSE(table_.Eof());
  ASSERT_TRUE(table_.Prior().ok());
  EXPECT_TRUE(table_.Bof());
  EXPECT_EQ(1u, table_.RecNo());
  ASSERT_TRUE(table_.Last().ok());
  EXPECT_TRUE(table_.Eof());
  EXPECT_EQ(4u, table_.RecNo());
  ASSERT_TRUE(table_.Prior().ok());
  EXPECT_FALSE(table_.Eof());
  EXPECT_EQ(3u, table_.RecNo());
  ASSERT_TRUE(table_.Next().ok());
  ASSERT_TRUE(table_.Next().ok());
  EXPECT_TRUE(table_.Eof());
  EXPECT_EQ(4u, table_.RecNo());  // stays on the last record
}

TEST_F(TableTest, IndexOrdersKeepRecordOrderForEqualKeys) {
  AddSample();
  const Lines byName = {"alice|2024.03.03|third", "alice|2024.02.28 23:59:59|zeroth", "bob|2024.03.02 10:00:00|second",
                        "bob|2024.03.01 08:15:00|first"};
  const Lines byWhen = {"alice|2024.02.28 23:59:59|zeroth", "bob|2024.03.01 08:15:00|first",
                        "bob|2024.03.02 10:00:00|second", "alice|2024.03.03|third"};
  EXPECT_EQ(byName, ReadAll(table_, "name"));
  EXPECT_EQ(byWhen, ReadAll(table_, "WHEN"));
  Reopen();
  EXPECT_EQ(byName, ReadAll(table_, "Name"));
  EXPECT_EQ(byWhen, ReadAll(table_, "When"));
  EXPECT_EQ((std::vector<std::string>{"NAME", "WHEN"}), table_.IndexNames());
  EXPECT_EQ(StatusKind::NotFound, table_.SetActiveIndex("NOTE").kind());
}

TEST_F(TableTest, FindNearestGoesToFirstKeyAtOrAfter) {
  AddSample();
  ASSERT_TRUE(table_.SetActiveIndex("NAME").ok());
  ASSERT_TRUE(table_.FindNearest("b").ok());
  EXPECT_EQ("bob|2024.03.02 10:00:00|second", RecordLine(table_));
  EXPECT_FALSE(table_.Eof());
  ASSERT_TRUE(table_.FindNearest("alice").ok());
  EXPECT_EQ(2u, table_.RecNo());
  ASSERT_TRUE(table_.FindNearest("carl").ok());
  EXPECT_TRUE(table_.Eof());

  ASSERT_TRUE(table_.SetActiveIndex("WHEN").ok());
  ASSERT_TRUE(table_.FindNearest("2024.03.01").ok());
  EXPECT_EQ("first", table_.FieldText(2));
  ASSERT_TRUE(table_.FindNearest("2024.03.01 08:15:01").ok());
  EXPECT_EQ("second", table_.FieldText(2));
  EXPECT_EQ(StatusKind::InvalidInput, table_.FindNearest("March").kind());
  ASSERT_TRUE(table_.SetActiveIndex("").ok());
  EXPECT_FALSE(table_.FindNearest("bob").ok());
}

TEST_F(TableTest, PostRefusesTextThatIsNotADate) {
  AddSample();
  ASSERT_TRUE(table_.Append().ok());
  ASSERT_TRUE(table_.SetFieldText(0, "eve").ok());
  const Status bad = table_.SetFieldText(1, "2024.02.30");
  EXPECT_EQ(StatusKind::InvalidInput, bad.kind());
  EXPECT_NE(std::string::npos, bad.message().find("2024.02.30")) << bad.message();
  EXPECT_EQ(bad.message(), table_.Post().message());
  EXPECT_EQ(EditState::Append, table_.State());
  EXPECT_FALSE(table_.SetFieldText(1, "").ok());  // an empty text is no date either
  table_.Cancel();
  ASSERT_TRUE(table_.Append().ok());
  ASSERT_TRUE(table_.SetFieldText(0, "nodate").ok());
  EXPECT_NE(std::string::npos, table_.Post().message().find("WHEN holds no date"));
  table_.Cancel();
  EXPECT_EQ(4u, table_.RecordCount());
  Reopen();
  EXPECT_EQ(4u, table_.RecordCount());
}

TEST_F(TableTest, EditMovesTheRecordInEveryOrder) {
  AddSample();
  ASSERT_TRUE(table_.SetActiveIndex("NAME").ok());
  ASSERT_TRUE(table_.First().ok());  // alice, record 2
  ASSERT_TRUE(table_.Edit().ok());
  ASSERT_TRUE(table_.SetFieldText(0, "zed").ok());
  ASSERT_TRUE(table_.SetFieldText(1, "2024.01.01 01:00:00").ok());
  EXPECT_EQ("zed", table_.FieldText(0));  // the edit buffer shows while editing
  ASSERT_TRUE(table_.Next().ok());        // moving on stores the edit
  EXPECT_EQ(EditState::Browse, table_.State());
  EXPECT_TRUE(table_.Eof());
  EXPECT_EQ(2u, table_.RecNo());  // the edited record moved to the end and stays current
  Reopen();
  EXPECT_EQ("zed|2024.01.01 01:00:00|third", ReadAll(table_, "NAME").back());
  EXPECT_EQ("zed|2024.01.01 01:00:00|third", ReadAll(table_, "WHEN").front());
  EXPECT_EQ("zed|2024.01.01 01:00:00|third", ReadAll(table_)[1]);
}

TEST_F(TableTest, ARecordEditedIsReadAnewHoweverItWasReadBefore) {
  // A walk in file order reads a long run of records at once, other moves
  // shorter ones, so a record can be held twice: an edit reaches both.
  ASSERT_TRUE(table_.BeginBulkAppend().ok());
  for (int i = 0; i < 2100; ++i) ASSERT_TRUE(table_.BulkAppend({"n" + std::to_string(i), "2024.03.01", "old"}).ok());
  ASSERT_TRUE(table_.EndBulkAppend().ok());
  ASSERT_TRUE(table_.GoToRecNo(5).ok());  // a short run
  ASSERT_TRUE(table_.SetActiveIndex("").ok());
  ASSERT_TRUE(table_.First().ok());
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(table_.Next().ok());  // a long run over it
  ASSERT_TRUE(table_.GoToRecNo(5).ok());
  ASSERT_TRUE(table_.Edit().ok());
  ASSERT_TRUE(table_.SetFieldText(2, "new").ok());
  ASSERT_TRUE(table_.Post().ok());
  ASSERT_TRUE(table_.GoToRecNo(2100).ok());  // elsewhere, then back
  ASSERT_TRUE(table_.GoToRecNo(5).ok());
  EXPECT_EQ("new", table_.FieldText(2));
  EXPECT_EQ("n4|2024.03.01|new", ReadAll(table_)[4]);
}

TEST_F(TableTest, RecordsReadAllOverTheFileStayRightThroughEditsAndAppends) {
  // Reads by number stride over more blocks than are kept, so blocks are
  // dropped and read again; the last block is read while still short.
  ASSERT_TRUE(table_.BeginBulkAppend().ok());
  for (int i = 1; i <= 10001; ++i) ASSERT_TRUE(table_.BulkAppend({"n" + std::to_string(i), "2024.03.01", "old"}).ok());
  ASSERT_TRUE(table_.EndBulkAppend().ok());
  for (int round = 0; round < 2; ++round)
    for (std::uint32_t recno = 1; recno <= 10001; recno += 29) {
      ASSERT_TRUE(table_.GoToRecNo(recno).ok());
      ASSERT_EQ("n" + std::to_string(recno), table_.FieldText(0)) << recno;
    }
  for (const std::uint32_t recno : {1u, 5000u, 10001u}) {
    ASSERT_TRUE(table_.GoToRecNo(recno).ok());
    ASSERT_TRUE(table_.Edit().ok());
    ASSERT_TRUE(table_.SetFieldText(2, "new").ok());
    ASSERT_TRUE(table_.Post().ok());
  }
  ASSERT_TRUE(AddRecord(table_, {"n10002", "2024.03.02", "added"}).ok());
  ASSERT_TRUE(AddRecord(table_, {"n10003", "2024.03.02", "added"}).ok());
  for (const std::uint32_t recno : {10001u, 10002u, 10003u, 5000u, 1u, 2u}) {
    ASSERT_TRUE(table_.GoToRecNo(recno).ok());
    EXPECT_EQ("n" + std::to_string(recno), table_.FieldText(0)) << recno;
    const bool edited = recno == 1 || recno == 5000 || recno == 10001;
    EXPECT_EQ(recno > 10001 ? "added" : edited ? "new" : "old", table_.FieldText(2)) << recno;
  }
  const Lines all = ReadAll(table_);
  ASSERT_EQ(10003u, all.size());
  EXPECT_EQ("n5000|2024.03.01|new", all[4999]);
  EXPECT_EQ("n10003|2024.03.02|added", all[10002]);
}

// The block rewrite of fill commands: live records only, texts cut to the
// width, records that keep their bytes not counted, an index tag over a
// rewritten field in step, and new texts that view the record's own bytes.
TEST_F(TableTest, RewriteFieldsChangesLiveRecordsAndKeepsTheirOrders) {
  AddSample();
  ASSERT_TRUE(table_.GoToPosition(1).ok());
  ASSERT_TRUE(table_.Delete().ok());  // alice, third
  const int name = table_.FieldIndex("name"), note = table_.FieldIndex("note");
  std::vector<std::uint32_t> seen;
  std::uint32_t changed = 0;
  // Name and note swap places; the record whose note is "first" keeps both.
  const FieldRewriteFn swap = [&](FieldRewrite& record) {
    seen.push_back(record.recno);
    if (record.texts[1] == "first") return;
    record.store[0] = record.texts[1];
    record.store[1] = record.texts[0];
  };
  std::int64_t lastDone = 0;
  ASSERT_TRUE(table_
                  .RewriteFields(
                      {name, note}, swap, [&](std::int64_t done, std::int64_t) { lastDone = done; }, &changed)
                  .ok());
  EXPECT_EQ((std::vector<std::uint32_t>{1, 3, 4}), seen);
  EXPECT_EQ(4, lastDone);
  EXPECT_EQ(2u, changed);
  const Lines want = {"second|2024.03.02 10:00:00|bob", "bob|2024.03.01 08:15:00|first",
                      "zeroth|2024.02.28 23:59:59|alice"};
  EXPECT_EQ(want, ReadAll(table_));
  EXPECT_EQ((Lines{want[1], want[0], want[2]}), ReadAll(table_, "NAME"));
  Reopen();
  EXPECT_EQ(want, ReadAll(table_));
  EXPECT_EQ((Lines{want[1], want[0], want[2]}), ReadAll(table_, "NAME"));

  const FieldRewriteFn same = [](FieldRewrite& record) { record.store[0] = record.texts[0]; };
  ASSERT_TRUE(table_.RewriteFields({note}, same, {}, &changed).ok());
  EXPECT_EQ(0u, changed);
  EXPECT_EQ(StatusKind::InvalidInput, table_.RewriteFields({table_.FieldIndex("when")}, same, {}, &changed).kind());
  EXPECT_EQ(StatusKind::InvalidInput, table_.RewriteFields({7}, same, {}, &changed).kind());
}

// A rewrite killed inside its in-place write: the next open writes the run
// of a complete redo file again; a redo file cut short is dropped, since the
// records were not yet touched then.
TEST_F(TableTest, DeletedRecordsAreNeitherShownNorCounted) {
  AddSample();
  ASSERT_TRUE(table_.GoToPosition(1).ok());
  ASSERT_TRUE(table_.Delete().ok());  // alice, third
  EXPECT_EQ(3u, table_.RecordCount());
  EXPECT_EQ(3u, table_.RecNo());  // the next record becomes current
  ASSERT_TRUE(table_.Last().ok());
  ASSERT_TRUE(table_.Delete().ok());
  EXPECT_EQ(3u, table_.RecNo());  // at the end the previous one does
  const Lines rest = {"bob|2024.03.02 10:00:00|second", "bob|2024.03.01 08:15:00|first"};
  EXPECT_EQ(rest, ReadAll(table_));
  Reopen();
  EXPECT_EQ(2u, table_.RecordCount());
  EXPECT_EQ(rest, ReadAll(table_));
  EXPECT_EQ((Lines{rest[1], rest[0]}), ReadAll(table_, "WHEN"));
  ASSERT_TRUE(table_.First().ok());
  ASSERT_TRUE(table_.Delete().ok());
  ASSERT_TRUE(table_.Delete().ok());
  EXPECT_TRUE(table_.Eof() && table_.Bof());
  EXPECT_FALSE(table_.Delete().ok());
}

TEST_F(TableTest, PositionsReachEveryRecordInTheActiveOrder) {
  std::vector<std::string> names;
  ASSERT_TRUE(table_.BeginBulkAppend().ok());
  for (int i = 0; i < 500; ++i) {
    const std::string name = "n" + std::to_string((i * 7919) % 500);
    ASSERT_TRUE(table_.BulkAppend({name, "2024.01.01", std::to_string(i)}).ok());
  }
  ASSERT_TRUE(table_.EndBulkAppend().ok());
  for (std::uint32_t p = 0; p < 500; p += 3) {  // delete every third record in file order
    ASSERT_TRUE(table_.GoToPosition(p - p / 3).ok());
    ASSERT_TRUE(table_.Delete().ok());
  }
  for (const char* index : {"", "NAME", "WHEN"}) {
    const Lines walked = ReadAll(table_, index);
    ASSERT_EQ(table_.RecordCount(), walked.size());
    for (std::uint32_t p = 0; p < walked.size(); p += 37) {
      ASSERT_TRUE(table_.GoToPosition(p).ok());
      EXPECT_EQ(walked[p], RecordLine(table_)) << index << " " << p;
      EXPECT_EQ(p, table_.Position());
    }
  }
  EXPECT_FALSE(table_.GoToPosition(table_.RecordCount()).ok());
}

// A record made current by its number takes its place in the active order,
// read from the index file or from memory: the next record and its
// position are those of a walk.
TEST_F(TableTest, GoToRecNoPlacesTheRecordInTheActiveOrder) {
  ASSERT_TRUE(table_.BeginBulkAppend().ok());
  for (int i = 0; i < 300; ++i)
    ASSERT_TRUE(table_.BulkAppend({"n" + std::to_string((i * 7919) % 100), "2024.01.01", std::to_string(i)}).ok());
  ASSERT_TRUE(table_.EndBulkAppend().ok());
  ASSERT_TRUE(table_.GoToPosition(10).ok());
  const std::uint32_t gone = table_.RecNo();
  ASSERT_TRUE(table_.Delete().ok());
  for (int pass = 0; pass < 2; ++pass) {
    Reopen();
    for (const char* index : {"NAME", "", "WHEN"}) {
      const Lines walked = ReadAll(table_, index);
      for (std::uint32_t recno : {1u, 77u, 150u, 299u}) {
        ASSERT_TRUE(table_.GoToRecNo(recno).ok()) << index << " " << recno;
        EXPECT_EQ(recno, table_.RecNo());
        const std::string here = RecordLine(table_);
        const auto at = static_cast<std::size_t>(std::find(walked.begin(), walked.end(), here) - walked.begin());
        ASSERT_LT(at, walked.size());
        if (pass == 1) {
          EXPECT_EQ(at, table_.Position()) << index << " " << recno;
        }
        ASSERT_TRUE(table_.Next().ok());
        if (at + 1 < walked.size()) {
          EXPECT_EQ(walked[at + 1], RecordLine(table_)) << index << " " << recno;
        }
      }
    }
    const std::string current = RecordLine(table_);
    EXPECT_EQ(StatusKind::InvalidInput, table_.GoToRecNo(gone).kind());
    EXPECT_EQ(current, RecordLine(table_));  // a refused number leaves the current record
    EXPECT_FALSE(table_.GoToRecNo(0).ok());
    EXPECT_FALSE(table_.GoToRecNo(301).ok());
  }
}

// Records arriving in a few ascending runs with equal keys across them, as
// the bills of several owners do, come out of both tags in key order with
// equal keys in file order, after the first bulk append and after a second
// one merged into them.
TEST_F(TableTest, BulkAppendInAscendingRunsOrdersLikeASortOfKeyThenRecord) {
  struct Row {
    std::string name, when, note;
  };
  std::vector<Row> rows;
  const auto append = [&](int runs, int first) {
    ASSERT_TRUE(table_.BeginBulkAppend().ok());
    for (int r = 0; r < runs; ++r) {
      for (int i = 0; i < 40; ++i) {
        const std::string day = std::to_string(10 + i / 4 + r);
        Row row{std::string(1, static_cast<char>('a' + i / 2)),
                "2024.05." + day + " 0" + std::to_string(1 + i % 4) + ":00:00",
                "r" + std::to_string(first + static_cast<int>(rows.size()))};
        ASSERT_TRUE(table_.BulkAppend({row.name, row.when, row.note}).ok());
        rows.push_back(row);
      }
    }
    ASSERT_TRUE(table_.EndBulkAppend().ok());
  };
  const auto expected = [&](bool byName) {
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return byName ? rows[a].name < rows[b].name : rows[a].when < rows[b].when;
    });
    Lines lines;
    for (const std::size_t i : order) lines.push_back(rows[i].name + "|" + rows[i].when + "|" + rows[i].note);
    return lines;
  };
  append(3, 0);
  EXPECT_EQ(expected(true), ReadAll(table_, "NAME"));
  EXPECT_EQ(expected(false), ReadAll(table_, "WHEN"));
  append(2, 0);
  Reopen();
  EXPECT_EQ(expected(true), ReadAll(table_, "NAME"));
  EXPECT_EQ(expected(false), ReadAll(table_, "WHEN"));
}

TEST_F(TableTest, CancelledBulkAppendLeavesTheTableAsItWasAndTheNextOneWorks) {
  AddSample();
  const Lines before = ReadAll(table_, "NAME");
  const auto size = std::filesystem::file_size(path_);
  ASSERT_TRUE(table_.BeginBulkAppend().ok());
  for (int i = 0; i < 300; ++i) ASSERT_TRUE(table_.BulkAppend({"zed" + std::to_string(i), "2024.02.02", "x"}).ok());
  EXPECT_TRUE(table_.CancelBulkAppend().ok());
  EXPECT_EQ(0u, table_.LastAppended());
  EXPECT_EQ(before, ReadAll(table_, "NAME"));
  EXPECT_EQ(size, std::filesystem::file_size(path_));
  ASSERT_TRUE(table_.BeginBulkAppend().ok());
  ASSERT_TRUE(table_.BulkAppend({"abe", "2024.01.01", "later"}).ok());
  ASSERT_TRUE(table_.EndBulkAppend().ok());
  Reopen();
  const Lines after = ReadAll(table_, "NAME");
  ASSERT_EQ(before.size() + 1, after.size());
  EXPECT_EQ("abe|2024.01.01|later", after.front());
}

TEST_F(TableTest, BulkAppendRefusesABadRecordAndKeepsTheRest) {
  AddSample();
  ASSERT_TRUE(table_.BeginBulkAppend().ok());
  ASSERT_TRUE(table_.BulkAppend({"carl", "2024.03.05", "bulk1"}).ok());
  EXPECT_FALSE(table_.BulkAppend({"dora", "someday", "bulk2"}).ok());
  EXPECT_FALSE(table_.BulkAppend({"two", "fields"}).ok());
  EXPECT_FALSE(table_.Edit().ok());
  ASSERT_TRUE(table_.BulkAppend({"aaron", "2024.01.05", "bulk3"}).ok());
  ASSERT_TRUE(table_.EndBulkAppend().ok());
  EXPECT_EQ(6u, table_.RecordCount());
  const Lines byName = ReadAll(table_, "NAME");
  EXPECT_EQ("aaron|2024.01.05|bulk3", byName.front());
  EXPECT_EQ("carl|2024.03.05|bulk1", byName.back());
  Reopen();
  EXPECT_EQ(byName, ReadAll(table_, "NAME"));
}

TEST_F(TableTest, ReadersShareTheTableAndAChangeWaitsForTheOthers) {
  OpenOptions quick;
  quick.lockWait = std::chrono::milliseconds(100);
  Table other;
  ASSERT_TRUE(other.Open(path_, nullptr, quick).ok());
  EXPECT_EQ(ReadAll(table_, "NAME"), ReadAll(other, "NAME"));
  const Status s = testing::AddRecord(other, {"dora", "2024.03.04", "four"});
  EXPECT_EQ(StatusKind::InUse, s.kind());
  EXPECT_EQ(kTableInUseText, s.message());
  EXPECT_EQ(StatusKind::InUse, Table::Create(path_, SmallFieldDefs(), quick.lockWait).kind());
  ASSERT_TRUE(table_.Close().ok());
  ASSERT_TRUE(testing::AddRecord(other, {"dora", "2024.03.04", "four"}).ok());
  ASSERT_TRUE(other.Close().ok());

  // A table opened for reading refuses changes, and so does a file that
  // may not be written; both read all the same.
  OpenOptions reading;
  reading.access = TableAccess::Read;
  ASSERT_TRUE(other.Open(path_, nullptr, reading).ok());
  EXPECT_TRUE(other.ReadOnly());
  EXPECT_FALSE(testing::AddRecord(other, {"eve", "2024.03.05", "five"}).ok());
  ASSERT_TRUE(other.Close().ok());
  std::filesystem::permissions(path_, std::filesystem::perms::owner_read);
  if (::geteuid() != 0) {  // root writes whatever the permissions
    ASSERT_TRUE(other.Open(path_).ok());
    EXPECT_TRUE(other.ReadOnly());
    EXPECT_EQ(1u, ReadAll(other, "").size());
    EXPECT_FALSE(testing::AddRecord(other, {"eve", "2024.03.05", "five"}).ok());
  }
  ASSERT_TRUE(other.Open(path_, nullptr, reading).ok());
  EXPECT_EQ(1u, ReadAll(other, "").size());
}

}  // namespace
}  // namespace zvonar
