// Bills that overlap the table: the calls held already are skipped or kept
// as asked, repeats inside one bill stay, and the sums after each import
// match a count of the distinct calls made here independently.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "base/tests/TestSupport.h"
#include "import/BillImport.h"
#include "import/KnownRecords.h"
#include "import/tests/BillTestSupport.h"
#include "store/DetalTable.h"
#include "store/History.h"

namespace zvonar {
namespace {

using testing::Cp;

// A call line of the bill: "dd.mm.yyyy hh:mm:ss NUMBER CODE 1 SEC 1.00 COST 0.00 COST".
std::string Call(const std::string& date, const std::string& time, const std::string& number, int cents,
                 const std::string& code = "М") {
  char cost[16];
  std::snprintf(cost, sizeof cost, "%d.%02d", cents / 100, cents % 100);
  return date + " " + time + " " + number + " " + code + " 1 60 1.00 " + cost + " 0.00 " + cost;
}

// A bill of `owner` holding `calls`, lines ended by `lineEnd`.
std::string BillOf(const std::vector<std::string>& calls, const std::string& lineEnd = "\r\n",
                   const std::string& owner = "9161112233") {
  std::string text = Cp("Ведомость разговоров +7/" + owner) + lineEnd;
  for (const std::string& call : calls) text += Cp(call) + lineEnd;
  return text;
}

// Calls of a month: one a day at 10:00 from day 1 to `days`, numbers and
// costs told apart by the day.
std::vector<std::string> Month(const std::string& month, int days) {
  std::vector<std::string> calls;
  for (int day = 1; day <= days; ++day) {
    const std::string date = (day < 10 ? "0" : "") + std::to_string(day) + "." + month + ".2008";
    calls.push_back(Call(date, "10:00:00", "49500000" + std::to_string(10 + day), 100 + day));
  }
  return calls;
}

// The cost in cents of the calls, each line counted as often as the bill
// repeating it most holds it.
int UnionCents(const std::vector<std::vector<std::string>>& bills) {
  std::map<std::string, int> most;
  for (const auto& bill : bills) {
    std::map<std::string, int> here;
    for (const std::string& call : bill) ++here[call];
    for (const auto& [call, n] : here) most[call] = std::max(most[call], n);
  }
  int cents = 0;
  for (const auto& [call, n] : most) {
    int units = 0, hundredths = 0;
    const std::size_t at = call.find(" 1.00 ") + 6;
    std::sscanf(call.c_str() + at, "%d.%d", &units, &hundredths);
    cents += n * (units * 100 + hundredths);
  }
  return cents;
}

class KnownRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string warning;
    ASSERT_TRUE(OpenDetalTable(dir_.path(), "dbf", kDefaultDetalWidths, &table_, &warning).ok());
  }

  ImportResult Import(const std::string& name, const std::string& bill, bool keep = false,
                      std::function<bool(const KnownRecordsFound&)> ask = nullptr) {
    testing::WriteOrDie(dir_.File(name), bill);
    ImportResult result;
    ImportRequest request{dir_.File(name), dir_.path(), settings_, fields_};
    request.keepKnown = keep;
    request.skipKnown = std::move(ask);
    const Status s = ImportBill(request, &table_, nullptr, &result);
    EXPECT_TRUE(s.ok()) << name << ": " << s.message();
    return result;
  }

  // Sum of the Cost of every record, in cents.
  int TableCents() {
    int cents = 0;
    for (Status s = table_.First(); s.ok() && !table_.Eof(); s = table_.Next()) {
      int units = 0, hundredths = 0;
      std::sscanf(table_.FieldText(kCostField).c_str(), "%d.%d", &units, &hundredths);
      cents += units * 100 + hundredths;
    }
    return cents;
  }

  testing::TempDir dir_;
  Table table_;
  MainSettings settings_;
  RegisterFields fields_;
};

TEST_F(KnownRecordsTest, ABillOverlappingHalfOfTheLastAddsOnlyItsNewCalls) {
  const std::vector<std::string> all = Month("03", 8);
  const std::vector<std::string> first(all.begin(), all.begin() + 4), second(all.begin() + 2, all.end());
  EXPECT_EQ(4, Import("a.txt", BillOf(first)).records.recordsAdded);
  const ImportResult result = Import("b.txt", BillOf(second));
  EXPECT_EQ(4, result.records.recordsAdded);
  EXPECT_EQ(2u, result.skipped);
  EXPECT_EQ(6u, result.known.records);
  EXPECT_EQ(2u, result.known.known);
  EXPECT_EQ("2008.03.03", result.known.firstDate);
  EXPECT_EQ("2008.03.04", result.known.lastDate);
  EXPECT_EQ(8u, table_.RecordCount());
  EXPECT_EQ(UnionCents({first, second}), TableCents());
}

// The look-up walks the DateTime order, then puts back the active index and
// the current record, whether the table was just opened or walked before.
TEST_F(KnownRecordsTest, TheLookUpLeavesTheCurrentRecordWhereItWas) {
  Import("march.txt", BillOf(Month("03", 20)));
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(table_.Close().ok());
    std::string warning;
    ASSERT_TRUE(OpenDetalTable(dir_.path(), "dbf", kDefaultDetalWidths, &table_, &warning).ok());
    ASSERT_TRUE(table_.SetActiveIndex(kOwnerIndex).ok());
    ASSERT_TRUE(table_.First().ok());
    for (int i = 0; i < 7; ++i) ASSERT_TRUE(table_.Next().ok());
    if (pass == 1) {
      EXPECT_EQ(7u, table_.Position());
    }
    const std::uint32_t recno = table_.RecNo();
    KnownRecords known(table_);
    known.Add({"9161112233", "2008.03.05 10:00:00", "4950000015", "", "М", "", "60", "1", "1.05"});
    ASSERT_TRUE(known.Find(&table_).ok());
    EXPECT_EQ("OWNER", table_.ActiveIndex());
    EXPECT_EQ(recno, table_.RecNo());
    EXPECT_EQ(7u, table_.Position());
    ASSERT_TRUE(table_.Next().ok());
    EXPECT_EQ(recno + 1, table_.RecNo());
  }
}

TEST_F(KnownRecordsTest, TheSameBillWithOtherLineEndsAddsNothingAndIsNoError) {
  const std::vector<std::string> calls = Month("04", 5);
  Import("lf-less.txt", BillOf(calls));
  const ImportResult again = Import("lf.txt", BillOf(calls, "\n"));
  EXPECT_EQ(0, again.records.recordsAdded);
  EXPECT_EQ(5u, again.skipped);
  EXPECT_EQ(5u, table_.RecordCount());
  EXPECT_EQ(UnionCents({calls}), TableCents());
  // Nothing appended, nothing to take back: the newest change is still the first bill.
  std::optional<ImportEntry> last;
  std::uint32_t undoable = 0;
  ASSERT_TRUE(LastImport(dir_.path(), &table_, &last, &undoable).ok());
  ASSERT_TRUE(last);
  EXPECT_EQ(dir_.File("lf-less.txt"), last->file);
}

TEST_F(KnownRecordsTest, AQuarterlyBillOverThreeMonthlyOnesAddsOnlyWhatTheyMissed) {
  const std::vector<std::string> jan = Month("01", 20), feb = Month("02", 20), mar = Month("03", 20);
  Import("jan.txt", BillOf(jan));
  Import("feb.txt", BillOf(feb));
  Import("mar.txt", BillOf(mar));
  std::vector<std::string> quarter = Month("01", 31);  // eleven days the January bill missed
  quarter.insert(quarter.end(), feb.begin(), feb.end());
  quarter.insert(quarter.end(), mar.begin(), mar.end());
  quarter.push_back(Call("15.02.2008", "18:30:00", "4957777777", 999));  // a call of its own
  const ImportResult result = Import("q1.txt", BillOf(quarter));
  EXPECT_EQ(12, result.records.recordsAdded);
  EXPECT_EQ(60u, result.skipped);
  EXPECT_EQ("2008.01.01", result.known.firstDate);
  EXPECT_EQ("2008.03.20", result.known.lastDate);
  EXPECT_EQ(72u, table_.RecordCount());
  EXPECT_EQ(UnionCents({jan, feb, mar, quarter}), TableCents());
}

TEST_F(KnownRecordsTest, RepeatsInsideOneBillAreKeptAndCountedAgainstTheTableOnce) {
  const std::string twice = Call("05.05.2008", "09:00:00", "4951111111", 250);
  const std::string other = Call("05.05.2008", "09:00:00", "4952222222", 250);
  const std::vector<std::string> first = {twice, twice, other};
  EXPECT_EQ(3, Import("first.txt", BillOf(first)).records.recordsAdded);
  // The table holds the repeated call twice: a bill holding it three times adds one.
  const std::vector<std::string> second = {other, twice, twice, twice};
  const ImportResult result = Import("second.txt", BillOf(second));
  EXPECT_EQ(1, result.records.recordsAdded);
  EXPECT_EQ(3u, result.skipped);
  EXPECT_EQ(4u, table_.RecordCount());
  EXPECT_EQ(UnionCents({first, second}), TableCents());
}

TEST_F(KnownRecordsTest, CodeCountsOnlyWhenBothRecordsHaveOne) {
  // A record stored without a code, as an older program left it.
  ASSERT_TRUE(table_.Append().ok());
  const std::vector<std::string> cells = {
      "9161112233", "2008.06.01 08:00:00", "4953333333", "", "", "1", "60", "1.00", "3.00", "0.00", "3.00"};
  for (std::size_t i = 0; i < cells.size(); ++i) ASSERT_TRUE(table_.SetFieldText(static_cast<int>(i), cells[i]).ok());
  ASSERT_TRUE(table_.Post().ok());
  Import("coded.txt", BillOf({Call("01.06.2008", "08:00:00", "4953333333", 300, "Г")}));
  EXPECT_EQ(1u, table_.RecordCount());  // no code on one side: the same call

  Import("g.txt", BillOf({Call("02.06.2008", "08:00:00", "4954444444", 300, "Г")}));
  const ImportResult result = Import("m.txt", BillOf({Call("02.06.2008", "08:00:00", "4954444444", 300, "М")}));
  EXPECT_EQ(1, result.records.recordsAdded);  // two codes that differ: two calls
  EXPECT_EQ(0u, result.skipped);
  EXPECT_EQ(3u, table_.RecordCount());
}

TEST_F(KnownRecordsTest, KeptWhenToldOrWhenTheAnswerIsNo) {
  const std::vector<std::string> calls = Month("07", 3);
  Import("july.txt", BillOf(calls));
  EXPECT_EQ(3, Import("kept.txt", BillOf(calls, "\n"), true).records.recordsAdded);
  EXPECT_EQ(6u, table_.RecordCount());

  std::vector<std::string> more = calls;
  more.push_back(Call("04.07.2008", "11:00:00", "4955555555", 100));
  KnownRecordsFound asked;
  const ImportResult no = Import("no.txt", BillOf(more, "\n"), false, [&](const KnownRecordsFound& found) {
    asked = found;
    return false;
  });
  EXPECT_EQ(4, no.records.recordsAdded);
  EXPECT_EQ(0u, no.skipped);
  EXPECT_EQ(4u, asked.records);
  EXPECT_EQ(3u, asked.known);  // each stored call answers for one call of the bill
  EXPECT_EQ("2008.07.01", asked.firstDate);
  EXPECT_EQ("2008.07.03", asked.lastDate);

  const ImportResult yes = Import("yes.txt", BillOf(more), false, [](const KnownRecordsFound&) { return true; });
  EXPECT_EQ(0, yes.records.recordsAdded);
  EXPECT_EQ(4u, yes.skipped);
}

TEST_F(KnownRecordsTest, UndoAfterASkippingImportLeavesTheTableAsBefore) {
  const std::vector<std::string> all = Month("09", 10);
  Import("a.txt", BillOf({all.begin(), all.begin() + 6}));
  ASSERT_TRUE(table_.Close().ok());
  const std::string dbf = testing::ReadOrEmpty(dir_.File("Tellura.dbf"));
  const std::string mdx = testing::ReadOrEmpty(dir_.File("Tellura.MDX"));
  std::string warning;
  ASSERT_TRUE(OpenDetalTable(dir_.path(), "dbf", kDefaultDetalWidths, &table_, &warning).ok());

  const ImportResult result = Import("b.txt", BillOf({all.begin() + 3, all.end()}));
  EXPECT_EQ(4, result.records.recordsAdded);
  ImportEntry undone;
  std::uint32_t removed = 0;
  ASSERT_TRUE(UndoLastImport(dir_.path(), &table_, &undone, &removed).ok());
  EXPECT_EQ(4u, removed);
  EXPECT_EQ(6u, table_.RecordCount());
  ASSERT_TRUE(table_.Close().ok());
  EXPECT_EQ(dbf, testing::ReadOrEmpty(dir_.File("Tellura.dbf")));
  EXPECT_EQ(mdx, testing::ReadOrEmpty(dir_.File("Tellura.MDX")));
}

}  // namespace
}  // namespace zvonar
