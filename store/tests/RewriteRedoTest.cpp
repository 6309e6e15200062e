// The redo file of a field rewrite: a writer opening the table replays a
// complete one of this table, and sets aside, untouched, any other (of
// another table, over the header, cut short, with a wrong checksum);
// readers never replay, nor write anything.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "base/TextFile.h"
#include "base/tests/TestSupport.h"
#include "store/Bytes.h"
#include "store/RewriteRedo.h"
#include "store/Table.h"
#include "store/tests/StoreTestSupport.h"

namespace zvonar {
namespace {

using testing::ReadAll;
using Lines = std::vector<std::string>;

class RewriteRedoTest : public ::testing::Test {
 protected:
  // A table of four records whose notes a rewrite renewed: `before_` and
  // `after_` are its bytes either side, `first_` and `run_` the records
  // that changed, whole.
  void SetUp() override {
    testing::CreateSmallTable(path_, 3);
    Table table;
    ASSERT_TRUE(table.Open(path_).ok());
    ASSERT_TRUE(testing::AddRecord(table, {"dan", "2024.03.04", "four"}).ok());
    ASSERT_TRUE(table.Close().ok());
    before_ = testing::ReadOrEmpty(path_);
    ASSERT_TRUE(table.Open(path_).ok());
    std::uint32_t changed = 0;
    const FieldRewriteFn renew = [](FieldRewrite& record) {
      if (record.recno == 2 || record.recno == 3) record.store[0] = "renewed";
    };
    ASSERT_TRUE(table.RewriteFields({table.FieldIndex("note")}, renew, {}, &changed).ok());
    ASSERT_EQ(2u, changed);
    EXPECT_FALSE(FileExists(RedoPathFor(path_)));  // removed once the run is in place
    ASSERT_TRUE(table.Close().ok());
    after_ = testing::ReadOrEmpty(path_);
    const std::size_t header = GetLe(&before_[8], 2), length = GetLe(&before_[10], 2);
    first_ = header + length;  // records 2 and 3
    run_ = after_.substr(first_, 2 * length);
    ASSERT_EQ(before_.substr(0, first_), after_.substr(0, first_));
  }

  // A writer killed after a few bytes of the run reached the records.
  void Tear() { testing::WriteOrDie(path_, before_.substr(0, first_) + run_.substr(0, 5) + before_.substr(first_ + 5)); }

  // Opens for writing; the notes' redoSetAside.
  std::string OpenToWrite() {
    Table table;
    OpenNotes notes;
    EXPECT_TRUE(table.Open(path_, &notes).ok());
    EXPECT_TRUE(table.Close().ok());
    return notes.redoSetAside;
  }

  // Names of the files set aside beside the table.
  Lines SetAside() {
    Lines names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
      if (entry.path().filename().string().starts_with("t.dbf.redo.rejected-"))
        names.push_back(entry.path().filename().string());
    return names;
  }

  testing::TempDir dir_;
  const std::string path_ = dir_.File("t.dbf");
  std::string before_, after_, run_;
  std::uint64_t first_ = 0;
};

TEST_F(RewriteRedoTest, AWriterReplaysACompleteRedoOfItsTable) {
  Tear();
  ASSERT_TRUE(WriteRedo(path_, first_, run_.data(), run_.size()).ok());
  EXPECT_EQ("", OpenToWrite());
  EXPECT_FALSE(FileExists(RedoPathFor(path_)));
  EXPECT_TRUE(SetAside().empty());
  EXPECT_EQ(after_, testing::ReadOrEmpty(path_));
}

TEST_F(RewriteRedoTest, AReaderNeitherReplaysNorWritesAnything) {
  Tear();
  ASSERT_TRUE(WriteRedo(path_, first_, run_.data(), run_.size()).ok());
  const std::string torn = testing::ReadOrEmpty(path_);
  const std::string redo = testing::ReadOrEmpty(RedoPathFor(path_));
  const std::string index = testing::ReadOrEmpty(dir_.File("t.MDX"));
  struct stat st {};
  ASSERT_EQ(0, ::stat(path_.c_str(), &st));
  const auto mtime = st.st_mtim;
  Table table;
  OpenOptions reading;
  reading.access = TableAccess::Read;
  ASSERT_TRUE(table.Open(path_, nullptr, reading).ok());
  EXPECT_EQ(4u, table.RecordCount());
  ASSERT_TRUE(table.Close().ok());
  EXPECT_EQ(torn, testing::ReadOrEmpty(path_));
  EXPECT_EQ(redo, testing::ReadOrEmpty(RedoPathFor(path_)));
  EXPECT_EQ(index, testing::ReadOrEmpty(dir_.File("t.MDX")));
  ASSERT_EQ(0, ::stat(path_.c_str(), &st));
  EXPECT_EQ(mtime.tv_sec, st.st_mtim.tv_sec);
  EXPECT_EQ(mtime.tv_nsec, st.st_mtim.tv_nsec);
}

TEST_F(RewriteRedoTest, AnyOtherRedoIsSetAsideAndTheTableLeftAsItIs) {
  // A run over the header that would count 5 records, of the right length.
  std::string header = before_.substr(0, 32);
  PutLe(5, &header[4], 4);
  // The same table with other records: its redo belongs to another table.
  testing::TempDir other;
  const std::string otherPath = other.File("t.dbf");
  testing::CreateSmallTable(otherPath, 3);
  {
    Table table;
    ASSERT_TRUE(table.Open(otherPath).ok());
    ASSERT_TRUE(testing::AddRecord(table, {"eve", "2024.05.04", "four"}).ok());
  }
  ASSERT_TRUE(WriteRedo(otherPath, first_, run_.data(), run_.size()).ok());
  const std::string foreign = testing::ReadOrEmpty(RedoPathFor(otherPath));

  ASSERT_TRUE(WriteRedo(path_, first_, run_.data(), run_.size()).ok());
  const std::string good = testing::ReadOrEmpty(RedoPathFor(path_));
  std::string badSum = good;
  badSum[40 + 3] ^= 1;  // a byte of the run
  const std::size_t length = run_.size() / 2;
  struct Case {
    const char* what;
    std::string redo;
    const char* why;
  };
  const Case cases[] = {
      {"from another table", foreign, "belongs to another table"},
      {"cut in the middle of a record", good.substr(0, 40 + length + length / 2), "is incomplete"},
      {"with a wrong checksum", badSum, "fails its checksum"},
      {"over the header", "", "names bytes outside the table's records"},
      {"larger than the table", good + std::string(before_.size(), 'x'), "is larger than the table's records"},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    testing::WriteOrDie(path_, before_);
    if (t.redo.empty())
      ASSERT_TRUE(WriteRedo(path_, 0, header.data(), header.size()).ok());
    else
      testing::WriteOrDie(RedoPathFor(path_), t.redo);
    const std::string redo = testing::ReadOrEmpty(RedoPathFor(path_));
    const std::string note = OpenToWrite();
    EXPECT_NE(std::string::npos, note.find(t.why)) << note;
    EXPECT_NE(std::string::npos, note.find("set aside as t.dbf.redo.rejected-")) << note;
    EXPECT_EQ(before_, testing::ReadOrEmpty(path_));
    EXPECT_FALSE(FileExists(RedoPathFor(path_)));
    const Lines aside = SetAside();
    ASSERT_EQ(1u, aside.size());
    EXPECT_EQ(redo, testing::ReadOrEmpty(dir_.File(aside[0])));
    std::filesystem::remove(dir_.File(aside[0]));
    Table table;
    ASSERT_TRUE(table.Open(path_).ok());
    EXPECT_EQ(4u, table.RecordCount());
  }
}

}  // namespace
}  // namespace zvonar
