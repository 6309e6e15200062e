// A small table in a temporary data directory, with bulk appends noted in
// its import journal: the ground of the journal and history tests.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "base/tests/TestSupport.h"
#include "store/ImportJournal.h"
#include "store/tests/StoreTestSupport.h"

namespace zvonar::testing {

class JournalTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Table::Create(path_, SmallFieldDefs()).ok());
    ASSERT_TRUE(table_.Open(path_).ok());
  }

  // Appends one record per name in one bulk append and notes it.
  void Import(const std::string& file, std::initializer_list<std::string> names) {
    ASSERT_TRUE(table_.BeginBulkAppend().ok());
    int minute = 10;
    for (const std::string& name : names)
      ASSERT_TRUE(table_.BulkAppend({name, "2024.05.01 12:" + std::to_string(minute++) + ":00", file}).ok());
    const Status s = EndJournaledAppend(dir_.path(), &table_, file, FileFingerprint(file), bounds_);
    ASSERT_TRUE(s.ok()) << s.message();
  }

  // Appends `count` records named n0, n1, ... in one bulk append and notes
  // it.
  void ImportCount(const std::string& file, std::uint32_t count) {
    ASSERT_TRUE(table_.BeginBulkAppend(count).ok());
    for (std::uint32_t i = 0; i < count; ++i)
      ASSERT_TRUE(table_.BulkAppend({"n" + std::to_string(i), "2024.05.01", "note " + std::to_string(i)}).ok());
    const Status s = EndJournaledAppend(dir_.path(), &table_, file, FileFingerprint(file), bounds_);
    ASSERT_TRUE(s.ok()) << s.message();
  }

  std::vector<ImportEntry> Journal() {
    std::vector<ImportEntry> entries;
    EXPECT_TRUE(ReadImportJournal(dir_.path(), &entries).ok());
    return entries;
  }

  HistoryBounds bounds_;
  TempDir dir_;
  std::string path_ = dir_.File("t.dbf");
  Table table_;
};

}  // namespace zvonar::testing
