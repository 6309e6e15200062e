// A table that holds its lock only while it reads, as the window keeps it:
// other programs write between its reads, a writer kept out while it reads
// is told that the window reads, and its next read shows what the others
// changed, counted by the change counter in the table's header.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "base/tests/TestSupport.h"
#include "store/Bytes.h"
#include "store/tests/StoreTestSupport.h"

namespace zvonar {
namespace {

using testing::AddRecord;
using testing::ReadAll;
using Lines = std::vector<std::string>;

// The change counter beside the table: 0 before a writer counted one.
std::uint32_t ChangeCounter(const std::string& path) {
  const std::string bytes = testing::ReadOrEmpty(path + ".changes");
  return bytes.size() == 4 ? GetU32(bytes.data()) : 0;
}

class TableShareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::CreateSmallTable(path_, 3);
    quick_.lockWait = std::chrono::milliseconds(100);
    window_.LockOnlyWhileReading();
    window_.SetOthersChangedHook([this] { ++noticed_; });
    ASSERT_TRUE(window_.Open(path_, nullptr, quick_).ok());
  }

  testing::TempDir dir_;
  const std::string path_ = dir_.File("t.dbf");
  OpenOptions quick_;
  Table window_;
  int noticed_ = 0;
};

TEST_F(TableShareTest, EachChangeOfTheRecordsCountsOnceAndAnIndexRebuildDoesNot) {
  Table writer;
  ASSERT_TRUE(writer.Open(path_).ok());
  std::uint32_t count = ChangeCounter(path_);
  ASSERT_TRUE(AddRecord(writer, {"dora", "2024.03.04", "four"}).ok());
  EXPECT_EQ(++count, ChangeCounter(path_)) << "append";
  ASSERT_TRUE(writer.First().ok());
  ASSERT_TRUE(writer.Edit().ok());
  ASSERT_TRUE(writer.SetFieldText(2, "edited").ok());
  ASSERT_TRUE(writer.Post().ok());
  EXPECT_EQ(++count, ChangeCounter(path_)) << "edit";
  ASSERT_TRUE(writer.Delete().ok());
  EXPECT_EQ(++count, ChangeCounter(path_)) << "delete";
  ASSERT_TRUE(writer.BeginBulkAppend().ok());
  for (const char* name : {"eve", "fay", "gus"}) ASSERT_TRUE(writer.BulkAppend({name, "2024.03.05", "bulk"}).ok());
  ASSERT_TRUE(writer.EndBulkAppend().ok());
  EXPECT_EQ(++count, ChangeCounter(path_)) << "a bulk append is one change";
  std::uint32_t changed = 0;
  const FieldRewriteFn rewrite = [](FieldRewrite& record) { record.store[0] = "all"; };
  ASSERT_TRUE(writer.RewriteFields({2}, rewrite, {}, &changed).ok());
  EXPECT_EQ(++count, ChangeCounter(path_)) << "a rewrite of every record is one change";
  ASSERT_TRUE(writer.ReCreateIndex().ok());
  EXPECT_EQ(count, ChangeCounter(path_)) << "the records did not change";
  ASSERT_TRUE(writer.Close().ok());
  // The counter lives in bytes other dBase readers skip: the table reads
  // as before.
  Table reader;
  ASSERT_TRUE(reader.Open(path_).ok());
  EXPECT_EQ(6u, reader.RecordCount());
}

TEST_F(TableShareTest, TheLockIsHeldOnlyWhileReading) {
  // Another program that opens the table, adds a record and closes it.
  const auto otherAdds = [this](std::string_view name) {
    Table writer;
    Status s = writer.Open(path_, nullptr, quick_);
    if (s.ok()) s = AddRecord(writer, {name, "2024.03.04", "other"});
    return s;
  };
  EXPECT_TRUE(otherAdds("dora").ok()) << "after Open nothing is held";
  ASSERT_TRUE(window_.BeginRead().ok());
  ASSERT_TRUE(window_.BeginRead().ok());  // holds nest
  Status s = otherAdds("eve");
  EXPECT_EQ(StatusKind::InUse, s.kind());
  EXPECT_EQ(kTableReadByWindowText, s.message());
  window_.EndRead();
  EXPECT_EQ(kTableReadByWindowText, otherAdds("eve").message());
  window_.EndRead();
  EXPECT_TRUE(otherAdds("eve").ok());

  // A read without a hold of its own holds the lock for itself only.
  ASSERT_EQ(5u, ReadAll(window_, "NAME").size());
  EXPECT_TRUE(otherAdds("fay").ok());
  // So does a change the window makes.
  ASSERT_TRUE(AddRecord(window_, {"gus", "2024.03.07", "mine"}).ok());
  EXPECT_TRUE(otherAdds("hal").ok());
  ASSERT_TRUE(window_.BeginChanges().ok());
  EXPECT_EQ(kTableInUseText, otherAdds("ida").message()) << "the window writes";
  ASSERT_TRUE(window_.EndChanges().ok());
  EXPECT_TRUE(otherAdds("ida").ok());
  EXPECT_EQ(9u, ReadAll(window_, "NAME").size());

  // A program that keeps the table open keeps it shared: a writer hears
  // that another program has it.
  Table cli;
  ASSERT_TRUE(cli.Open(path_, nullptr, quick_).ok());
  EXPECT_EQ(kTableInUseText, otherAdds("jon").message());
}

TEST_F(TableShareTest, TheNextReadShowsWhatOthersAddedRemovedOrChanged) {
  ASSERT_EQ(3u, window_.RecordCount());
  ASSERT_TRUE(window_.SetActiveIndex("NAME").ok());
  ASSERT_TRUE(window_.First().ok());
  ASSERT_EQ("alice", window_.FieldText(0));
  EXPECT_EQ(0, noticed_);
  {
    Table writer;
    ASSERT_TRUE(writer.Open(path_).ok());
    ASSERT_TRUE(AddRecord(writer, {"abe", "2024.03.04", "four"}).ok());
  }
  EXPECT_EQ(3u, window_.RecordCount()) << "nothing read yet";
  EXPECT_EQ((Lines{"abe|2024.03.04|four", "alice|2024.03.03|two", "bob|2024.03.02 10:00:00|one",
                   "carl|2024.03.01|three"}),
            ReadAll(window_, "NAME"));
  EXPECT_EQ(1, noticed_);

  // A change in place keeps the record count: the counter tells it.
  {
    Table writer;
    ASSERT_TRUE(writer.Open(path_).ok());
    std::uint32_t changed = 0;
    const FieldRewriteFn rewrite = [](FieldRewrite& record) {
      if (record.recno == 1) record.store[0] = "uno";
    };
    ASSERT_TRUE(writer.RewriteFields({2}, rewrite, {}, &changed).ok());
    ASSERT_EQ(1u, changed);
    ASSERT_TRUE(writer.SetActiveIndex("NAME").ok());
    ASSERT_TRUE(writer.FindNearest("carl").ok());
    ASSERT_TRUE(writer.Delete().ok());
  }
  ASSERT_TRUE(window_.BeginRead().ok());
  EXPECT_EQ(3u, window_.RecordCount());
  EXPECT_EQ(2, noticed_);
  window_.EndRead();
  EXPECT_EQ((Lines{"abe|2024.03.04|four", "alice|2024.03.03|two", "bob|2024.03.02 10:00:00|uno"}),
            ReadAll(window_, "NAME"));
  EXPECT_EQ(2, noticed_) << "no change since";

  // The window's own changes are no news to it.
  ASSERT_TRUE(AddRecord(window_, {"ben", "2024.03.06", "mine"}).ok());
  EXPECT_EQ(4u, ReadAll(window_, "NAME").size());
  EXPECT_EQ(2, noticed_);

  // A table created anew in its place is opened instead.
  ASSERT_TRUE(Table::Create(path_, testing::SmallFieldDefs()).ok());
  EXPECT_TRUE(ReadAll(window_, "NAME").empty());
  EXPECT_EQ(0u, window_.RecordCount());
  EXPECT_EQ(3, noticed_);
}

// The window's orders after each of another program's small appends,
// which change the index file in place: never the blocks it read before.
TEST_F(TableShareTest, ReaderSeesTheIndexAsEachWriterLeftItNeverAMix) {
  Table writer;
  ASSERT_TRUE(writer.Open(path_).ok());
  const auto bulk = [&](int from, int count) {
    ASSERT_TRUE(writer.BeginBulkAppend().ok());
    for (int i = from; i < from + count; ++i) {
      const std::string name = "n" + std::to_string(i * 37 % 500);
      ASSERT_TRUE(writer.BulkAppend({name, "2024.03." + std::to_string(10 + i % 18), "x"}).ok());
    }
    ASSERT_TRUE(writer.EndBulkAppend().ok());
  };
  bulk(0, 400);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    Lines byName = ReadAll(window_, "NAME");
    Lines physical = ReadAll(window_);
    ASSERT_EQ(physical.size(), window_.RecordCount());
    std::stable_sort(physical.begin(), physical.end(), [](const std::string& a, const std::string& b) {
      return a.substr(0, a.find('|')) < b.substr(0, b.find('|'));
    });
    const auto nameOf = [](const Lines& lines) {
      Lines names;
      for (const std::string& line : lines) names.push_back(line.substr(0, line.find('|')));
      return names;
    };
    EXPECT_EQ(nameOf(physical), nameOf(byName));
    bulk(400 + round * 7, 7);  // keys among the others: nodes split
  }
  EXPECT_EQ(3u + 400 + 6 * 7, writer.RecordCount());
}

}  // namespace
}  // namespace zvonar
