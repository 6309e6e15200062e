#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "base/tests/TestSupport.h"
#include "import/BillImport.h"
#include "import/tests/BillTestSupport.h"
#include "store/DetalTable.h"

namespace zvonar {
namespace {

using testing::Bill;
using testing::Cp;

class ImportBillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string warning;
    ASSERT_TRUE(OpenDetalTable(dir_.path(), "dbf", kDefaultDetalWidths, &table_, &warning).ok());
  }

  Status Import(const std::string& name, const std::string& bill, ImportResult* result) {
    testing::WriteOrDie(dir_.File(name), bill);
    return ImportBill(ImportRequest{dir_.File(name), dir_.path(), settings_, fields_}, &table_, nullptr, result);
  }

  // Field `field` of every record after closing and opening the table again.
  std::vector<std::string> Column(int field) {
    EXPECT_TRUE(table_.Close().ok());
    std::string warning;
    EXPECT_TRUE(OpenDetalTable(dir_.path(), "dbf", kDefaultDetalWidths, &table_, &warning).ok());
    std::vector<std::string> column;
    for (Status s = table_.First(); s.ok() && !table_.Eof(); s = table_.Next())
      column.push_back(Cp1251ToUtf8(table_.FieldText(field)));
    return column;
  }

  testing::TempDir dir_;
  Table table_;
  MainSettings settings_;
  RegisterFields fields_;
};

TEST_F(ImportBillTest, WritesTheSummaryAndAppendsTheRecords) {
  testing::WriteOrDie(dir_.File("abonents.dat"),
                      Bill({"Zvonar v.2.3.3.65, (39500.5)", "[Abonents]", "4951234567=Иванов"}));
  settings_.language = "Russian";
  ImportResult result;
  ASSERT_TRUE(
      Import("march.txt",
             Bill({"Счет клиента : 1234567", "Клиент : Петров", "СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА", "БАЛАНС НА 31.03.2008",
                   "Ведомость начислений +7/9161112233", "Ежемесячная абонентская плата     150.00 Руб",
                   "Ведомость разговоров +7/9161112233", "Тип: 1 - исходящий", "Код: М - мобильный",
                   "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50", "01.03.2008 12:35:00 4957654321 М 1"}),
             &result)
          .ok());
  EXPECT_EQ(dir_.File("1234567-[2008.Март].sum"), result.summaryPath);
  EXPECT_TRUE(FileExists(result.summaryPath));
  EXPECT_EQ(2, result.records.recordsAdded);
  EXPECT_EQ(Cp("Тип: 1 - исходящий"), result.records.typeLegend.value_or(""));
  EXPECT_EQ(1u, result.records.rejected.size());
  EXPECT_EQ((std::vector<std::string>{"9161112233"}), result.records.owners);
  EXPECT_EQ((std::vector<std::string>{"Ежемесячная абонентская плата", "Иванов"}), Column(kAbonentField));
  EXPECT_EQ((std::vector<std::string>{"2008.03.31", "2008.03.01 12:30:05"}), Column(kDateTimeField));
}

TEST_F(ImportBillTest, AStoppedWalkKeepsWhatItStoredAndFreesTheTable) {
  ImportResult result;
  ASSERT_TRUE(
      Import("bad.txt",
             Bill({"Ведомость разговоров +7/9161112233", "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50",
                   "31.02.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50",
                   "02.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50"}),
             &result)
          .ok());
  ASSERT_TRUE(result.records.stop);
  EXPECT_EQ(3u, result.records.stop->lineNo);
  EXPECT_EQ("", result.summaryPath);
  // The bulk append has ended: the table takes single records again.
  EXPECT_TRUE(table_.Append().ok());
  table_.Cancel();
  EXPECT_EQ((std::vector<std::string>{"9161112233"}), Column(kOwnerField));
}

TEST_F(ImportBillTest, ProgressShowsRecordNumberAndRecordCount) {
  testing::WriteOrDie(dir_.File("b.txt"), Bill({"Ведомость разговоров +7/9161112233",
                                                "01.03.2008 12:30:05 4951234567 M 1 60 1.00 2.50 0.00 2.50",
                                                "01.03.2008 12:35:00 4957654321 M 1",  // not stored, not counted
                                                "02.03.2008 12:30:05 4951234567 M 1 60 1.00 2.50 0.00 2.50"}));
  std::vector<std::pair<int64_t, int64_t>> shown;
  const ProgressFn progress = [&](int64_t position, int64_t total) { shown.emplace_back(position, total); };
  ImportResult result;
  for (int run = 0; run < 2; ++run)  // the same bill twice, on purpose
    ASSERT_TRUE(ImportBill(ImportRequest{dir_.File("b.txt"), dir_.path(), settings_, fields_, true}, &table_, progress,
                           &result)
                    .ok());
  // "0 / 1" at the start, then the last stored record's number and the
  // record count as they change (a bill this short reports every line); the
  // second bill goes on from the records already there.
  const std::vector<std::pair<int64_t, int64_t>> want{{0, 1}, {1, 1}, {2, 2}, {0, 1}, {3, 3}, {4, 4}};
  EXPECT_EQ(want, shown);
}

TEST_F(ImportBillTest, FailsWithoutABillOrATable) {
  ImportResult result;
  EXPECT_FALSE(
      ImportBill(ImportRequest{dir_.File("missing.txt"), dir_.path(), settings_, fields_}, &table_, nullptr, &result)
          .ok());
  ASSERT_TRUE(table_.Close().ok());
  EXPECT_FALSE(Import("b.txt", Bill({"x"}), &result).ok());
}

TEST_F(ImportBillTest, ABillImportedBeforeIsLeftAloneUnlessAskedAgain) {
  const std::string bill = Bill({"Ведомость разговоров +7/9161112233",
                                 "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50"});
  ImportResult result;
  ASSERT_TRUE(Import("march.txt", bill, &result).ok());
  EXPECT_FALSE(result.previous);
  // The same bytes under another name are the same bill.
  ASSERT_TRUE(Import("copy.txt", bill, &result).ok());
  ASSERT_TRUE(result.previous);
  EXPECT_EQ(dir_.File("march.txt"), result.previous->file);
  EXPECT_EQ(1u, result.previous->count);
  EXPECT_EQ(0, result.records.recordsAdded);
  EXPECT_EQ(1u, table_.RecordCount());

  testing::WriteOrDie(dir_.File("copy.txt"), bill);
  ASSERT_TRUE(ImportBill(ImportRequest{dir_.File("copy.txt"), dir_.path(), settings_, fields_, true}, &table_, nullptr,
                         &result)
                  .ok());
  EXPECT_FALSE(result.previous);
  EXPECT_EQ(1, result.records.recordsAdded);
  std::vector<ImportEntry> entries;
  ASSERT_TRUE(ReadImportJournal(dir_.path(), &entries).ok());
  ASSERT_EQ(2u, entries.size());
  EXPECT_EQ(entries[0].fingerprint, entries[1].fingerprint);
  EXPECT_EQ(2u, entries[1].first);
}

TEST_F(ImportBillTest, ABillThatStoresNothingIsNotJournaled) {
  // A bill whose every line is rejected appends nothing and notes nothing.
  ImportResult result;
  ASSERT_TRUE(Import("empty.txt", Bill({"Ведомость разговоров +7/9161112233", "01.03.2008 12:35:00 4957654321 М 1"}),
                     &result)
                  .ok());
  EXPECT_EQ(1u, result.records.rejected.size());
  std::vector<ImportEntry> entries;
  ASSERT_TRUE(ReadImportJournal(dir_.path(), &entries).ok());
  EXPECT_TRUE(entries.empty());
  EXPECT_FALSE(FileExists(dir_.File(kImportJournalName)));
}

TEST_F(ImportBillTest, CutCellsAreNotedByLineAndField) {
  // A name longer than Abonent (50), and with codes and types filled, a
  // type text longer than Type (15).
  testing::WriteOrDie(dir_.File("abonents.dat"),
                      Bill({"Zvonar v.2.3.3.65, (39500.5)", "[Abonents]", "4951234567=" + std::string(60, 'n')}));
  testing::WriteOrDie(dir_.File("codetype.dat"), Bill({"2=" + std::string(20, 't')}));
  settings_.fillCodesTypesOnAddDetalization = true;
  ImportResult result;
  ASSERT_TRUE(
      Import("cut.txt",
             Bill({"Ведомость разговоров +7/9161112233", "01.03.2008 12:30:05 4951234567 М 1 60 1.00 2.50 0.00 2.50",
                   "01.03.2008 12:35:00 4957654321 М 1",  // rejected: its cells are not counted
                   "02.03.2008 12:30:05 4957654321 М 2 60 1.00 2.50 0.00 2.50",
                   "03.03.2008 12:30:05 4951234567 М 2 60 1.00 2.50 0.00 2.50"}),
             &result)
          .ok());
  EXPECT_EQ(3, result.records.recordsAdded);
  EXPECT_EQ(4u, result.cutCells);
  EXPECT_EQ((std::vector<CutCell>{{2, kAbonentField}, {4, kTypeField}, {5, kAbonentField}, {5, kTypeField}}),
            result.cutAt);

  const auto name = [](int field) { return std::string(DetalFieldName(field)); };
  EXPECT_EQ("line 2, Abonent; line 4, Type; line 5, Abonent; line 5, Type",
            CutCellPlaces("line %1, %2", result.cutAt, result.cutCells, name));
  // Only the first places are named; more are told by "...".
  EXPECT_EQ("2: Abonent; 4: Type; ...", CutCellPlaces("%1: %2", result.cutAt, result.cutCells, name, 2));
  EXPECT_EQ("2: Abonent; ...", CutCellPlaces("%1: %2", {{2, kAbonentField}}, 150, name));
}

TEST(MergeOwners, AddsNewOwnersOnceInOrder) {
  std::vector<std::string> owners{"9161112233"};
  EXPECT_EQ(2u, MergeOwners({"9035556677", "9161112233", "9160000000", "9035556677"}, &owners));
  EXPECT_EQ((std::vector<std::string>{"9161112233", "9035556677", "9160000000"}), owners);
}

}  // namespace
}  // namespace zvonar
