#include <gtest/gtest.h>

#include "base/tests/TestSupport.h"
#include "books/CodesTypes.h"
#include "books/tests/KillRewrite.h"
#include "store/DetalTable.h"

namespace zvonar {
namespace {

class CodesTypesTest : public ::testing::Test {
 protected:
  // Opens the table of the temporary directory and appends one record per
  // code/type pair; the record's Number is its 1-based place.
  void MakeTable(const std::vector<std::pair<std::string, std::string>>& codeTypes) {
    std::string warning;
    ASSERT_TRUE(OpenDetalTable(dir_.path(), "dbf", kDefaultDetalWidths, &table_, &warning).ok());
    ASSERT_TRUE(table_.BeginBulkAppend().ok());
    for (std::size_t i = 0; i < codeTypes.size(); ++i) {
      std::vector<std::string> texts(kDetalFieldCount);
      texts[kOwnerField] = "owner";
      texts[kDateTimeField] = "2024.03.01 10:00:00";
      texts[kNumberField] = std::to_string(i + 1);
      texts[kCodeField] = codeTypes[i].first;
      texts[kTypeField] = codeTypes[i].second;
      ASSERT_TRUE(table_.BulkAppend(texts).ok());
    }
    ASSERT_TRUE(table_.EndBulkAppend().ok());
  }

  // Code and Type of every record in file order.
  std::vector<std::pair<std::string, std::string>> CodeTypes() {
    std::vector<std::pair<std::string, std::string>> all;
    EXPECT_TRUE(table_.SetActiveIndex("").ok());
    for (table_.First(); !table_.Eof(); table_.Next())
      all.emplace_back(table_.FieldText(kCodeField), table_.FieldText(kTypeField));
    return all;
  }

  testing::TempDir dir_;
  Table table_;
};

TEST_F(CodesTypesTest, FileRowsSplitAtTheFirstEqualsAndKeepTheirOrder) {
  const std::string path = CodeTypePath(dir_.path());
  std::vector<CodeTypeRow> rows = {{"x", "y"}};
  ASSERT_TRUE(LoadCodeTypes(path, &rows).ok());  // missing: no rows, no error
  EXPECT_TRUE(rows.empty());

  testing::WriteOrDie(path, "1=Call\r\n8=a=b\r\nbare\r\n=empty marker\r\n");
  ASSERT_TRUE(LoadCodeTypes(path, &rows).ok());
  const std::vector<CodeTypeRow> want = {{"1", "Call"}, {"8", "a=b"}, {"bare", ""}, {"", "empty marker"}};
  EXPECT_EQ(want, rows);
  EXPECT_EQ((std::vector<std::string>{"Call", "a=b", "", "empty marker"}), CodeTypeIndications(rows));

  ASSERT_TRUE(SaveCodeTypes(path, rows).ok());
  EXPECT_EQ("1=Call\r\n8=a=b\r\nbare=\r\n=empty marker\r\n", testing::ReadOrEmpty(path));
}

TEST_F(CodesTypesTest, AddNumbersByTheRowCountSoADeleteCanRepeatAMarker) {
  std::vector<CodeTypeRow> rows;
  AddCodeTypeRow(&rows, "Call");
  AddCodeTypeRow(&rows, "SMS");
  AddCodeTypeRow(&rows, "GPRS");
  rows.erase(rows.begin() + 1);
  AddCodeTypeRow(&rows, "MMS");
  const std::vector<CodeTypeRow> want = {{"1", "Call"}, {"3", "GPRS"}, {"3", "MMS"}};
  EXPECT_EQ(want, rows);

  // Both lines are written; a fill uses the first.
  const std::string path = CodeTypePath(dir_.path());
  ASSERT_TRUE(SaveCodeTypes(path, rows).ok());
  std::vector<CodeTypeRow> read;
  ASSERT_TRUE(LoadCodeTypes(path, &read).ok());
  EXPECT_EQ(want, read);
  MakeTable({{"3", "03"}});
  std::uint32_t changed = 0;
  ASSERT_TRUE(FillCodes(&table_, read, {}, &changed).ok());
  EXPECT_EQ(1u, changed);
  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"GPRS", "GPRS"}}), CodeTypes());
}

TEST_F(CodesTypesTest, KeysDropLeadingZerosOfIntegersOnly) {
  EXPECT_EQ("7", CodeTypeKey("07"));
  EXPECT_EQ("7", CodeTypeKey("+7"));
  EXPECT_EQ("-7", CodeTypeKey("-007"));
  EXPECT_EQ("0", CodeTypeKey("000"));
  EXPECT_EQ("07a", CodeTypeKey("07a"));
  EXPECT_EQ("SMS", CodeTypeKey("SMS"));
}

TEST_F(CodesTypesTest, FillThenReturnGivesMarkersBackWithoutLeadingZeros) {
  const std::vector<CodeTypeRow> rows = CodeTypeRowsOf({"7=Voice call", "8=", "9=SMS", "10=sms", "f=Fax", "11=Call"});
  MakeTable({{"07", "9"}, {"8", "F"}, {"", "12"}, {"11", "x"}, {"Voice call", ""}});
  std::vector<std::int64_t> seen;
  std::uint32_t changed = 0;
  ASSERT_TRUE(FillCodes(
                  &table_, rows,
                  [&](std::int64_t at, std::int64_t total) {
                    seen.push_back(at);
                    EXPECT_EQ(5, total);
                  },
                  &changed)
                  .ok());
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(5, seen.back());
  EXPECT_EQ(3u, changed);  // an empty indication ("8=") and unknown markers leave the field
  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{
                {"Voice call", "SMS"}, {"8", "Fax"}, {"", "12"}, {"Call", "x"}, {"Voice call", ""}}),
            CodeTypes());

  // "SMS" and "sms" are one text: the first line's marker comes back.
  ASSERT_TRUE(ReturnCodes(&table_, rows, {}, &changed).ok());
  EXPECT_EQ(4u, changed);
  EXPECT_EQ(
      (std::vector<std::pair<std::string, std::string>>{{"7", "9"}, {"8", "f"}, {"", "12"}, {"11", "x"}, {"7", ""}}),
      CodeTypes());
}

TEST_F(CodesTypesTest, AThousandLineFileFillsEveryMarker) {
  std::string file;
  std::vector<std::pair<std::string, std::string>> records;
  for (int i = 1; i <= 1000; ++i) {
    file += std::to_string(i) + "=Service " + std::to_string(i) + "\r\n";
    records.emplace_back((i % 2 ? "0" : "") + std::to_string(i), std::to_string(1001 - i));
  }
  const std::string path = CodeTypePath(dir_.path());
  testing::WriteOrDie(path, file);
  std::vector<CodeTypeRow> rows;
  ASSERT_TRUE(LoadCodeTypes(path, &rows).ok());
  ASSERT_EQ(1000u, rows.size());
  MakeTable(records);
  std::uint32_t changed = 0;
  ASSERT_TRUE(FillCodes(&table_, rows, {}, &changed).ok());
  EXPECT_EQ(1000u, changed);
  const auto filled = CodeTypes();
  ASSERT_EQ(1000u, filled.size());
  for (int i = 1; i <= 1000; ++i) {
    EXPECT_EQ("Service " + std::to_string(i), filled[i - 1].first);
    EXPECT_EQ("Service " + std::to_string(1001 - i), filled[i - 1].second);
  }
  ASSERT_TRUE(ReturnCodes(&table_, rows, {}, &changed).ok());
  EXPECT_EQ(1000u, changed);
  EXPECT_EQ("1", CodeTypes()[0].first);  // was 01
}

TEST_F(CodesTypesTest, ChangeMatchesTheWholeTextWithItsLetterCase) {
  MakeTable({{"Call", "Call"}, {"call", "SMS"}, {"Call ok", "1"}, {"Call", ""}});
  std::uint32_t changed = 0;
  ASSERT_TRUE(ChangeCodeType(&table_, CodeTypeField::Code, "Call", "Voice", {}, &changed).ok());
  EXPECT_EQ(2u, changed);
  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{
                {"Voice", "Call"}, {"call", "SMS"}, {"Call ok", "1"}, {"Voice", ""}}),
            CodeTypes());
  ASSERT_TRUE(ChangeCodeType(&table_, CodeTypeField::Type, "SMS", "Text", {}, &changed).ok());
  EXPECT_EQ(1u, changed);
  EXPECT_EQ("Text", CodeTypes()[1].second);
  // An empty find or replace text changes nothing.
  ASSERT_TRUE(ChangeCodeType(&table_, CodeTypeField::Code, "", "x", {}, &changed).ok());
  ASSERT_TRUE(ChangeCodeType(&table_, CodeTypeField::Code, "call", "", {}, &changed).ok());
  EXPECT_EQ(0u, changed);
  EXPECT_EQ("call", CodeTypes()[1].first);
}

TEST_F(CodesTypesTest, AFillHoldsTheTableAgainstOtherPrograms) {
  MakeTable({{"1", "2"}, {"2", "1"}});
  int tries = 0;
  std::uint32_t changed = 0;
  const std::vector<CodeTypeRow> rows = CodeTypeRowsOf({"1=One", "2=Two"});
  const auto progress = [&](std::int64_t, std::int64_t) {
    if (tries++ > 0) return;
    // Another program cannot even read until the fill is written.
    OpenOptions quick;
    quick.access = TableAccess::Read;
    quick.lockWait = std::chrono::milliseconds(50);
    Table other;
    EXPECT_EQ(StatusKind::InUse, other.Open(table_.path(), nullptr, quick).kind());
  };
  ASSERT_TRUE(FillCodes(&table_, rows, progress, &changed).ok());
  EXPECT_GE(tries, 1);
  EXPECT_EQ(2u, changed);
  // Afterwards it reads the whole fill.
  Table other;
  OpenOptions read;
  read.access = TableAccess::Read;
  ASSERT_TRUE(other.Open(table_.path(), nullptr, read).ok());
  EXPECT_EQ("One", other.FieldText(kCodeField));
  EXPECT_EQ("Two", other.FieldText(kTypeField));
}

// A fill killed at a random moment leaves every record whole: each field
// holds its marker or its whole text, and no record is lost.
TEST_F(CodesTypesTest, AKilledFillLeavesEveryRecordWhole) {
  constexpr int kRecords = 20000;
  std::vector<std::pair<std::string, std::string>> records;
  std::vector<std::string> lines;
  for (int i = 1; i <= 50; ++i) lines.push_back(std::to_string(i) + "=Indication " + std::to_string(i));
  for (int i = 0; i < kRecords; ++i) records.emplace_back(std::to_string(i % 50 + 1), std::to_string((i * 7) % 50 + 1));
  MakeTable(records);
  ASSERT_TRUE(table_.Close().ok());
  const std::vector<CodeTypeRow> rows = CodeTypeRowsOf(lines);
  for (int round = 0; round < 3; ++round) {
    std::uint32_t changed = 0;
    ASSERT_TRUE(testing::KillWhileRewriting(
        dir_.path(),  // filled and returned in turn
        [&](Table* table, int pass) {
          return pass % 2 == 0 ? FillCodes(table, rows, {}, &changed) : ReturnCodes(table, rows, {}, &changed);
        },
        std::chrono::milliseconds(30 + 40 * round)));

    std::string warning;
    ASSERT_TRUE(OpenDetalTable(dir_.path(), "dbf", kDefaultDetalWidths, &table_, &warning).ok());
    const auto now = CodeTypes();
    ASSERT_EQ(static_cast<std::size_t>(kRecords), now.size());
    for (int i = 0; i < kRecords; ++i) {
      const std::string code = std::to_string(i % 50 + 1);
      const std::string type = std::to_string((i * 7) % 50 + 1);
      EXPECT_TRUE(now[i].first == code || now[i].first == "Indication " + code) << i << ": " << now[i].first;
      EXPECT_TRUE(now[i].second == type || now[i].second == "Indication " + type) << i << ": " << now[i].second;
      if (::testing::Test::HasFailure()) return;
    }
    ASSERT_TRUE(table_.Close().ok());
  }
}

}  // namespace
}  // namespace zvonar
