// Damage on purpose: a table file that does not add up is refused and left
// alone; an index file that is missing, stale or damaged is told apart and
// regained from the records.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "base/tests/TestSupport.h"
#include "store/DateTimeField.h"
#include "store/Table.h"
#include "store/tests/StoreTestSupport.h"

namespace zvonar {
namespace {

using testing::AddRecord;
using testing::ReadAll;
using Lines = std::vector<std::string>;

class TableDamageTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::CreateSmallTable(path_, 3); }

  // Opening fails with Corrupt and the file keeps every byte.
  void ExpectRefused(const std::string& content, const std::string& wantInMessage) {
    testing::WriteOrDie(path_, content);
    Table table;
    const Status s = table.Open(path_);
    EXPECT_EQ(StatusKind::Corrupt, s.kind()) << s.message();
    EXPECT_NE(std::string::npos, s.message().find(wantInMessage)) << s.message();
    EXPECT_FALSE(table.IsOpen());
    EXPECT_EQ(content, testing::ReadOrEmpty(path_));
  }

  Lines OpenAndRead(OpenNotes* notes, const char* index) {
    Table table;
    const Status s = table.Open(path_, notes);
    EXPECT_TRUE(s.ok()) << s.message();
    return ReadAll(table, index);
  }

  testing::TempDir dir_;
  std::string path_ = dir_.File("T.dbf");
  std::string indexPath_ = dir_.File("T.MDX");
  const Lines byName_ = {"alice|2024.03.03|two", "bob|2024.03.02 10:00:00|one", "carl|2024.03.01|three"};
};

TEST_F(TableDamageTest, TableThatDoesNotAddUpIsRefusedAndLeftAlone) {
  const std::string good = testing::ReadOrEmpty(path_);
  const std::size_t headerLength = 32 + 3 * 32 + 1;
  ExpectRefused(good.substr(0, 20), "only 20 bytes");
  ExpectRefused(good.substr(0, headerLength + 40), "counts 3 records");
  std::string wrongVersion = good;
  wrongVersion[0] = 0x04;
  ExpectRefused(wrongVersion, "version");
  std::string wrongHeader = good;
  wrongHeader[8] = static_cast<char>(wrongHeader[8] + 1);
  ExpectRefused(wrongHeader, "header length");
  std::string wrongRecord = good;
  wrongRecord[10] = static_cast<char>(wrongRecord[10] + 1);
  ExpectRefused(wrongRecord, "record length");
  std::string wrongType = good;
  wrongType[32 + 32 + 11] = 'Q';
  ExpectRefused(wrongType, "type");
  std::string moreCounted = good;
  moreCounted[4] = 4;
  ExpectRefused(moreCounted, "counts 4 records");
}

TEST_F(TableDamageTest, RecordsAfterTheCountAreNeverShownAndTheNextAppendCutsThem) {
  // As a writer killed before its commit leaves the file: two whole records
  // beyond the count, then a torn one.
  std::string content = testing::ReadOrEmpty(path_);
  const std::size_t recordLength = 1 + 6 + 8 + 10;
  const std::size_t dataEnd = content.size() - 1;  // before the end-of-file byte
  const std::string last = content.substr(dataEnd - recordLength, recordLength);
  const std::string good = content;
  content = content.substr(0, dataEnd) + "\x1A" + last + last + last.substr(0, 9);
  testing::WriteOrDie(path_, content);

  OpenNotes notes;
  for (TableAccess access : {TableAccess::Read, TableAccess::Write}) {
    Table table;
    OpenOptions options;
    options.access = access;
    ASSERT_TRUE(table.Open(path_, &notes, options).ok());
    EXPECT_EQ("", notes.indexRebuilt);  // the index still describes the table
    EXPECT_EQ(byName_, ReadAll(table, "NAME"));
  }
  EXPECT_EQ(content, testing::ReadOrEmpty(path_));  // opening, reading and closing cut nothing
  {
    Table table;
    ASSERT_TRUE(table.Open(path_).ok());
    ASSERT_TRUE(AddRecord(table, {"dora", "2024.03.04", "four"}).ok());
    EXPECT_EQ(3u, table.DroppedUncommitted());
  }
  EXPECT_EQ(good.size() + recordLength, std::filesystem::file_size(path_));
  EXPECT_EQ(
      (Lines{"bob|2024.03.02 10:00:00|one", "alice|2024.03.03|two", "carl|2024.03.01|three", "dora|2024.03.04|four"}),
      OpenAndRead(&notes, ""));
}

TEST_F(TableDamageTest, MissingIndexOpensWithoutIndexesUntilReCreated) {
  std::filesystem::remove(indexPath_);
  Table table;
  OpenNotes notes;
  ASSERT_TRUE(table.Open(path_, &notes).ok());
  EXPECT_TRUE(notes.indexMissing);
  EXPECT_TRUE(table.IndexNames().empty());
  EXPECT_EQ(StatusKind::NotFound, table.SetActiveIndex("NAME").kind());
  EXPECT_EQ(3u, ReadAll(table, "").size());
  ASSERT_TRUE(AddRecord(table, {"dora", "2024.03.04", "four"}).ok());
  EXPECT_FALSE(std::filesystem::exists(indexPath_));

  EXPECT_EQ(StatusKind::NotFound, table.RefreshIndexDefs().kind());
  ASSERT_TRUE(table.ReCreateIndex().ok());
  EXPECT_TRUE(std::filesystem::exists(indexPath_));
  ASSERT_TRUE(table.RefreshIndexDefs().ok());
  EXPECT_EQ((std::vector<std::string>{"NAME", "WHEN"}), table.IndexNames());
  EXPECT_EQ(4u, table.RecordCount());
  EXPECT_EQ("dora|2024.03.04|four", ReadAll(table, "NAME").back());
  ASSERT_TRUE(table.Close().ok());
  EXPECT_EQ(4u, OpenAndRead(&notes, "WHEN").size());
  EXPECT_FALSE(notes.indexMissing);
  EXPECT_EQ("", notes.indexRebuilt);
  // Nothing left beside the table, its index and the writers' change counter.
  EXPECT_EQ(3, std::distance(std::filesystem::directory_iterator(dir_.path()), {}));
  EXPECT_TRUE(std::filesystem::exists(path_ + ".changes"));
}

TEST_F(TableDamageTest, StaleIndexIsRebuiltFromTheRecords) {
  const std::string oldIndex = testing::ReadOrEmpty(indexPath_);
  {
    Table table;
    ASSERT_TRUE(table.Open(path_).ok());
    ASSERT_TRUE(AddRecord(table, {"aaron", "2024.01.01", "new"}).ok());
  }
  testing::WriteOrDie(indexPath_, oldIndex);
  OpenNotes notes;
  const Lines byName = OpenAndRead(&notes, "NAME");
  EXPECT_NE(std::string::npos, notes.indexRebuilt.find("another state")) << notes.indexRebuilt;
  ASSERT_EQ(4u, byName.size());
  EXPECT_EQ("aaron|2024.01.01|new", byName.front());
}

TEST_F(TableDamageTest, DamagedIndexIsRebuiltFromTheRecords) {
  std::string index = testing::ReadOrEmpty(indexPath_);
  index[2048 + 300] ^= 0x55;  // inside the first tag's header
  testing::WriteOrDie(indexPath_, index);
  OpenNotes notes;
  EXPECT_EQ(byName_, OpenAndRead(&notes, "NAME"));
  EXPECT_NE(std::string::npos, notes.indexRebuilt.find("damaged")) << notes.indexRebuilt;
  EXPECT_EQ(index, testing::ReadOrEmpty(indexPath_));  // sorted in memory, the file left for a writer
  {
    Table table;
    ASSERT_TRUE(table.Open(path_).ok());
    ASSERT_TRUE(table.ReCreateIndex().ok());
  }
  EXPECT_EQ(byName_, OpenAndRead(&notes, "NAME"));
  EXPECT_EQ("", notes.indexRebuilt);

  testing::WriteOrDie(indexPath_, "not an index at all");
  EXPECT_EQ(byName_, OpenAndRead(&notes, "NAME"));
  EXPECT_NE("", notes.indexRebuilt);
}

TEST_F(TableDamageTest, DamagedNodeFoundOnTheWayIsLeftForTheRecords) {
  // The headers are sound, so the damage shows only when the walk meets
  // the node: the reader goes on over the records, and the file stays.
  std::string index = testing::ReadOrEmpty(indexPath_);
  const auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(index[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(index[at + 1])) << 8;
  };
  const std::size_t root = std::size_t{u32(2048)} * 512;  // the first tag (NAME) header's root page
  for (const char count : {'\x7f', '\x00'}) {
    std::string damaged = index;
    damaged[root] = count;  // an overfull leaf, then one that lost its keys
    testing::WriteOrDie(indexPath_, damaged);
    OpenNotes notes;
    Table table;
    ASSERT_TRUE(table.Open(path_, &notes).ok());
    EXPECT_EQ(byName_, ReadAll(table, "NAME")) << static_cast<int>(count);
    EXPECT_EQ(3u, table.RecordCount());
    ASSERT_TRUE(table.Close().ok());
    EXPECT_EQ(damaged, testing::ReadOrEmpty(indexPath_));
  }
}

TEST_F(TableDamageTest, FilesCopiedMidSessionReopenWithEveryStoredRecord) {
  // What a crash leaves: the files as they are while the table is open,
  // first after an edit of a key and a delete, then after an append too.
  Table table;
  ASSERT_TRUE(table.Open(path_).ok());
  ASSERT_TRUE(table.SetActiveIndex("NAME").ok());
  ASSERT_TRUE(table.FindNearest("bob").ok());
  ASSERT_TRUE(table.Edit().ok());
  ASSERT_TRUE(table.SetFieldText(0, "zoe").ok());
  ASSERT_TRUE(table.Post().ok());
  ASSERT_TRUE(table.FindNearest("alice").ok());
  ASSERT_TRUE(table.Delete().ok());
  auto reopenCopy = [&]() {
    testing::TempDir crashed;
    std::filesystem::copy(path_, crashed.File("T.dbf"));
    std::filesystem::copy(indexPath_, crashed.File("T.MDX"));
    Table reopened;
    OpenNotes notes;
    EXPECT_TRUE(reopened.Open(crashed.File("T.dbf"), &notes).ok());
    EXPECT_NE("", notes.indexRebuilt);
    return ReadAll(reopened, "NAME");
  };
  EXPECT_EQ((Lines{"carl|2024.03.01|three", "zoe|2024.03.02 10:00:00|one"}), reopenCopy());
  ASSERT_TRUE(AddRecord(table, {"aaron", "2024.01.01", "new"}).ok());
  EXPECT_EQ((Lines{"aaron|2024.01.01|new", "carl|2024.03.01|three", "zoe|2024.03.02 10:00:00|one"}), reopenCopy());
}

TEST_F(TableDamageTest, DamagedDateTimesReadEmptyAndKeepTheIndexInStep) {
  std::string content = testing::ReadOrEmpty(path_);
  const std::size_t headerLength = 32 + 3 * 32 + 1;
  const std::size_t recordLength = 1 + 6 + 8 + 10;
  auto damage = [&](std::size_t record, std::int32_t day, std::int32_t ms) {
    EncodeDateTimeField({day, ms}, &content[headerLength + record * recordLength + 1 + 6]);
  };
  damage(0, INT32_MAX, 0);    // bob: far past the year 9999
  damage(2, 2460385, -5000);  // carl, the last record: a negative time
  testing::WriteOrDie(path_, content);
  const Lines byWhen = {"bob||one", "carl||three", "alice|2024.03.03|two"};
  OpenNotes notes;
  EXPECT_EQ(byWhen, OpenAndRead(&notes, "WHEN"));
  EXPECT_NE("", notes.indexRebuilt);  // the last record changed behind the index file's back
  {
    Table table;
    ASSERT_TRUE(table.Open(path_).ok());
    ASSERT_TRUE(table.ReCreateIndex().ok());
  }
  EXPECT_EQ(byWhen, OpenAndRead(&notes, "WHEN"));
  EXPECT_EQ("", notes.indexRebuilt);  // the index written for them reads back
}

}  // namespace
}  // namespace zvonar
