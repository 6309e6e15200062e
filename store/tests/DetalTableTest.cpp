#include <gtest/gtest.h>

#include <filesystem>

#include "base/tests/TestSupport.h"
#include "store/Bytes.h"
#include "store/DetalTable.h"

namespace zvonar {
namespace {

TEST(OpenDetalTable, FirstStartCreatesTwelveFieldsAndBothTags) {
  testing::TempDir dir;
  Table table;
  std::string warning = "stale";
  ASSERT_TRUE(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
  EXPECT_EQ("", warning);
  EXPECT_TRUE(FileExists(dir.File("Tellura.dbf")));
  EXPECT_TRUE(FileExists(dir.File("Tellura.MDX")));
  ASSERT_EQ(kDetalFieldCount, table.FieldCount());
  for (int i = 0; i < kDetalFieldCount; ++i) EXPECT_EQ(i, table.FieldIndex(DetalFieldName(i))) << DetalFieldName(i);
  EXPECT_EQ(FieldType::DateTime, table.Field(kDateTimeField).type);
  EXPECT_EQ(50, table.Field(kRoamingField).width);
  EXPECT_TRUE(table.SetActiveIndex(kOwnerIndex).ok());
  EXPECT_TRUE(table.SetActiveIndex(kDateTimeIndex).ok());
  EXPECT_EQ(0u, table.RecordCount());
  EXPECT_EQ(0u, table.RecNo());
  ASSERT_TRUE(table.Close().ok());

  // What other dBase readers rely on: level, code page, production index
  // flag, lengths for the default widths, tag flags, end-of-file byte.
  const std::string bytes = testing::ReadOrEmpty(dir.File("Tellura.dbf"));
  ASSERT_EQ(418u, bytes.size());
  EXPECT_EQ(0x03, bytes[0]);
  EXPECT_EQ(1, bytes[28]);
  EXPECT_EQ(0xC9, static_cast<unsigned char>(bytes[29]));
  EXPECT_EQ(417, GetU16(&bytes[8]));
  EXPECT_EQ(198, GetU16(&bytes[10]));
  for (int i = 0; i < kDetalFieldCount; ++i) EXPECT_EQ(i <= kDateTimeField ? 1 : 0, bytes[32 + 32 * i + 31]) << i;
  EXPECT_EQ(0x0D, bytes[416]);
  EXPECT_EQ(0x1A, bytes[417]);
}

TEST(OpenDetalTable, TableExtensionFollowsDbTypeAndWidthsOnlyNewTables) {
  testing::TempDir dir;
  Table table;
  std::string warning;
  DetalWidths widths = kDefaultDetalWidths;
  widths[kOwnerField] = 20;
  ASSERT_TRUE(OpenDetalTable(dir.path(), "xyz", widths, &table, &warning).ok());
  EXPECT_TRUE(FileExists(dir.File("Tellura.xyz")));
  EXPECT_TRUE(FileExists(dir.File("Tellura.MDX")));
  EXPECT_EQ(20, table.Field(kOwnerField).width);
  ASSERT_TRUE(OpenDetalTable(dir.path(), "xyz", kDefaultDetalWidths, &table, &warning).ok());
  EXPECT_EQ(20, table.Field(kOwnerField).width);
}

TEST(OpenDetalTable, DamagedTableIsNeverRecreated) {
  testing::TempDir dir;
  testing::WriteOrDie(dir.File("Tellura.dbf"), "garbage, not a table, but the user's file all the same");
  Table table;
  std::string warning;
  EXPECT_EQ(StatusKind::Corrupt, OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).kind());
  EXPECT_EQ(StatusKind::Corrupt, ReCreateDetalIndex(dir.path(), "dbf", kDefaultDetalWidths, &table).kind());
  EXPECT_EQ("garbage, not a table, but the user's file all the same", testing::ReadOrEmpty(dir.File("Tellura.dbf")));
}

TEST(ReCreateDetalIndex, RegainsTheIndexBesideTheUntouchedRecords) {
  testing::TempDir dir;
  Table table;
  std::string warning;
  ASSERT_TRUE(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
  ASSERT_TRUE(table.BeginBulkAppend().ok());
  for (int i = 0; i < 300; ++i) {
    std::vector<std::string> texts(kDetalFieldCount);
    texts[kOwnerField] = "79" + std::to_string(100 + i % 7);
    texts[kDateTimeField] = "2024.05." + std::to_string(10 + i % 20) + " 12:00:00";
    texts[kNumberField] = std::to_string(i);
    ASSERT_TRUE(table.BulkAppend(texts).ok());
  }
  ASSERT_TRUE(table.EndBulkAppend().ok());
  ASSERT_TRUE(table.Close().ok());
  const std::string records = testing::ReadOrEmpty(dir.File("Tellura.dbf"));
  std::filesystem::remove(dir.File("Tellura.MDX"));

  ASSERT_TRUE(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
  EXPECT_EQ(kIndexNotExistText, warning);
  EXPECT_EQ(300u, table.RecordCount());
  ASSERT_TRUE(ReCreateDetalIndex(dir.path(), "dbf", kDefaultDetalWidths, &table).ok());
  EXPECT_EQ(300u, table.RecordCount());
  ASSERT_TRUE(table.SetActiveIndex(kOwnerIndex).ok());
  ASSERT_TRUE(table.FindNearest("79103").ok());
  EXPECT_EQ("3", table.FieldText(kNumberField));
  ASSERT_TRUE(table.Close().ok());
  EXPECT_EQ(records, testing::ReadOrEmpty(dir.File("Tellura.dbf")));
  // Nothing beside the table and its index but the writers' change counter.
  EXPECT_EQ(3, std::distance(std::filesystem::directory_iterator(dir.path()), {}));
  EXPECT_TRUE(std::filesystem::exists(dir.File("Tellura.dbf.changes")));

  ASSERT_TRUE(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
  EXPECT_EQ("", warning);
}

}  // namespace
}  // namespace zvonar
