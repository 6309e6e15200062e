#include <gtest/gtest.h>

#include "analysis/ResultRows.h"
#include "base/tests/TestSupport.h"
#include "books/AbonentsBook.h"
#include "books/NoNameNumbers.h"
#include "books/tests/KillRewrite.h"
#include "store/DetalTable.h"

namespace zvonar {
namespace {

using testing::TempDir;

TEST(NoNameLine, KeyRules) {
  NoNameRules town{6, 1, "123", "NoName"};
  NoNameRules plain{6, 0, "123", "NoName"};
  EXPECT_EQ("+71232345678=NoName", NoNameLine("2345678", town));  // a 7-character town number
  EXPECT_EQ("2345678=NoName", NoNameLine("2345678", plain));
  EXPECT_EQ("791612345678=NoName", NoNameLine("791612345678", town));  // 12 characters: as it stands
  EXPECT_EQ("12345678=NoName", NoNameLine("12345678", town));          // 8: as it stands
  EXPECT_EQ("", NoNameLine("12345", town));                            // shorter than 6: skipped
  EXPECT_EQ("+7123234567=NoName", NoNameLine("234567", town));
}

ResultRows RowsOf(const std::vector<std::pair<std::string, std::string>>& numbersAndNames) {
  ResultRows rows;
  for (const auto& [number, name] : numbersAndNames)
    rows.Append({"79001", "2006.05.01", number, name, "", "", "", "", "", "", "", ""});
  return rows;
}

TEST(NoNameCollector, EachNumberOnceUnlessNamed) {
  const NameValueList book =
      NameValueList::FromLines({"Zvonar v.2.3.3.65,  (1)", "[Abonents]", "89161234567=Anna", "79035550000="});
  const ResultRows rows = RowsOf({{"79261112233", ""},
                                  {"79261112233", ""},       // the same number again
                                  {"79161234567", ""},       // named under the 8 spelling
                                  {"79035550000", ""},       // in the book with an empty name
                                  {"79269990000", "Boris"},  // named in the record
                                  {"S12", ""},
                                  {"55555", ""}});
  NoNameCollector variants(&book, {6, 1, "495", "?"});
  CollectNoNamesFromRows(rows, &variants);
  EXPECT_EQ((std::vector<std::string>{"79261112233=?", "79035550000=?"}), variants.Lines());

  NoNameCollector exact(&book, {6, 0, "495", "?"});  // only the exact number counts
  CollectNoNamesFromRows(rows, &exact);
  EXPECT_EQ((std::vector<std::string>{"79261112233=?", "79161234567=?", "79035550000=?"}), exact.Lines());
}

TEST(AddNoNameLines, WritesIntoTheBookAndGivesItsKeys) {
  TempDir dir;
  const std::string path = AbonentsBookPath(dir.path());
  std::vector<std::string> keys = {"stale"};
  ASSERT_TRUE(AddNoNameLines(path, {}, &keys).ok());
  EXPECT_TRUE(keys.empty());
  EXPECT_FALSE(FileExists(path));  // nothing to write: no file

  testing::WriteOrDie(path, "[Abonents]\r\n7901=A\r\n7902=\r\n");
  ASSERT_TRUE(AddNoNameLines(path, {"7902=NoName", "7903=NoName"}, &keys).ok());
  EXPECT_EQ((std::vector<std::string>{"7901", "7902", "7903"}), keys);
  std::vector<AbonentEntry> entries;
  ASSERT_TRUE(LoadAbonentsBook(path, &entries).ok());
  EXPECT_EQ((std::vector<AbonentEntry>{{"7901", "A"}, {"7902", "NoName"}, {"7903", "NoName"}}), entries);
}

TEST(FillNamesInRows, NamedRowsTakeTheBooksNameOthersKeepTheirs) {
  const NameValueList book = NameValueList::FromLines({"[Abonents]", "89161234567=Anna", "79031112233=Boris"});
  const ResultRows rows = RowsOf({{"79161234567", ""}, {"79031112233", "Old"}, {"79265554433", "Kept"}, {"", ""}});
  ResultRows filled;
  EXPECT_EQ(2u, FillNamesInRows(rows, book, "495", 1, &filled));
  ASSERT_EQ(4u, filled.RowCount());
  EXPECT_EQ("Anna", filled.Cell(0, 3));
  EXPECT_EQ("Boris", filled.Cell(1, 3));
  EXPECT_EQ("Kept", filled.Cell(2, 3));
  EXPECT_EQ("79265554433", filled.Cell(2, 2));
  EXPECT_EQ("79001", filled.Cell(2, 0));
  EXPECT_EQ(1u, FillNamesInRows(rows, book, "495", 0, &filled));  // only exact numbers
  EXPECT_EQ("", filled.Cell(0, 3));
}

// A detalization table in `dir` with one record per number/name pair.
void MakeTable(const std::string& dir, const std::vector<std::pair<std::string, std::string>>& numberNames) {
  Table table;
  std::string warning;
  ASSERT_TRUE(OpenDetalTable(dir, "dbf", kDefaultDetalWidths, &table, &warning).ok());
  ASSERT_TRUE(table.BeginBulkAppend().ok());
  for (const auto& [number, name] : numberNames) {
    std::vector<std::string> texts(kDetalFieldCount);
    texts[kOwnerField] = "owner";
    texts[kDateTimeField] = "2024.03.01 10:00:00";
    texts[kNumberField] = number;
    texts[kAbonentField] = name;
    ASSERT_TRUE(table.BulkAppend(texts).ok());
  }
  ASSERT_TRUE(table.EndBulkAppend().ok());
}

std::vector<std::string> NamesIn(Table* table) {
  std::vector<std::string> names;
  for (table->First(); !table->Eof(); table->Next()) names.push_back(table->FieldText(kAbonentField));
  return names;
}

TEST(FillNamesInTable, RecordsTakeTheBooksNameUnderAnySpellingOthersKeepTheirs) {
  TempDir dir;
  MakeTable(dir.path(),
            {{"89161234567", ""}, {"79031112233", "Old"}, {"2345678", ""}, {"79265554433", "Kept"}, {"", "Empty"}});
  const NameValueList book =
      NameValueList::FromLines({"[Abonents]", "79161234567=Anna", "79031112233=Boris", "+74952345678=Town"});
  Table table;
  std::string warning;
  ASSERT_TRUE(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
  std::uint32_t changed = 0;
  ASSERT_TRUE(FillNamesInTable(&table, book, "495", 0, {}, &changed).ok());
  EXPECT_EQ(1u, changed);  // only the exact number
  EXPECT_EQ((std::vector<std::string>{"", "Boris", "", "Kept", "Empty"}), NamesIn(&table));
  ASSERT_TRUE(FillNamesInTable(&table, book, "+7495", 1, {}, &changed).ok());
  EXPECT_EQ(2u, changed);
  EXPECT_EQ((std::vector<std::string>{"Anna", "Boris", "Town", "Kept", "Empty"}), NamesIn(&table));
  ASSERT_TRUE(FillNamesInTable(&table, book, "+7495", 1, {}, &changed).ok());
  EXPECT_EQ(0u, changed);  // a second fill finds every name in place
  ASSERT_TRUE(table.Close().ok());
  EXPECT_EQ(StatusKind::InvalidInput, FillNamesInTable(&table, book, "", 0, {}, &changed).kind());
}

// A fill killed at any moment leaves every record whole: each name is the
// one it had or one of the books' names, never a mix, and no record is lost.
TEST(FillNamesInTable, AKilledFillLeavesEveryRecordWhole) {
  constexpr int kRecords = 30000, kNumbers = 500;
  TempDir dir;
  std::vector<std::pair<std::string, std::string>> records;
  for (int i = 0; i < kRecords; ++i) records.emplace_back(std::to_string(79000000000LL + i % kNumbers), "");
  MakeTable(dir.path(), records);
  std::vector<std::string> short_, long_;
  for (int i = 0; i < kNumbers; ++i) {
    const std::string number = std::to_string(79000000000LL + i);
    short_.push_back(number + "=N" + std::to_string(i));
    long_.push_back(number + "=A much longer name " + std::to_string(i));
  }
  const NameValueList books[2] = {NameValueList::FromLines(short_), NameValueList::FromLines(long_)};
  for (int round = 0; round < 3; ++round) {
    std::uint32_t changed = 0;
    ASSERT_TRUE(testing::KillWhileRewriting(
        dir.path(),  // one book, then the other
        [&](Table* table, int pass) { return FillNamesInTable(table, books[pass % 2], "", 0, {}, &changed); },
        std::chrono::milliseconds(40 + 50 * round)));

    Table table;
    std::string warning;
    ASSERT_TRUE(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
    const std::vector<std::string> names = NamesIn(&table);
    ASSERT_EQ(static_cast<std::size_t>(kRecords), names.size());
    for (int i = 0; i < kRecords; ++i) {
      const std::string n = std::to_string(i % kNumbers);
      const std::string& name = names[i];
      ASSERT_TRUE(name.empty() || name == "N" + n || name == "A much longer name " + n) << i << ": " << name;
    }
  }
}

}  // namespace
}  // namespace zvonar
