#include <gtest/gtest.h>

#include "analysis/OldBase.h"
#include "base/tests/TestSupport.h"
#include "store/DetalTable.h"
#include "store/Table.h"

namespace zvonar {
namespace {

using testing::TempDir;
using testing::WriteOrDie;

// An old base of two owners; 79001's file was written without names.
void WriteOldBase(const TempDir& dir) {
  WriteOrDie(dir.File("detalization.dat"), "79001\r\n79002\r\n");
  WriteOrDie(dir.File("79001.dat"),
             "2006.05.01 10:00:00=79031112233##1#2#30#1#1.50#0.00#1.50#\r\n"
             "2006.05.02 11:00:00=S9161234567##3#4#0#0#5.00#0.00#5.00#\r\n");
  WriteOrDie(dir.File("79002.dat"), "2006.06.01 12:00:00=4951234#Kept#07#x#10#1#0.50#0.00#0.50#MTS\r\n");
  WriteOrDie(dir.File("abonents.dat"), "stamp\r\n[Abonents]\r\n79031112233=Ann\r\n+79161234567=Me\r\n");
  WriteOrDie(dir.File("codetype.dat"), "1=Call\r\n7=Roam\r\n");
}

TEST(LoadOldBase, ReadsEveryOwnerFileUnderItsOwner) {
  TempDir dir;
  WriteOldBase(dir);
  std::vector<std::string> owners = {"old"};
  std::vector<std::pair<int, int>> stages;
  std::vector<std::pair<int64_t, int64_t>> lines;
  ResultRows rows;
  OldBaseFound found;
  OldBaseOptions options;  // names kept in the files, codes left as they are
  ASSERT_TRUE(LoadOldBase(
                  dir.path(), dir.File("detalization.dat"), options,
                  [&stages](int s, int n) { stages.emplace_back(s, n); },
                  [&lines](int64_t at, int64_t of) { lines.emplace_back(at, of); }, &owners, &rows, &found)
                  .ok());
  EXPECT_TRUE(found.ownersListRead);
  EXPECT_EQ(2u, found.ownerFiles);
  EXPECT_EQ((std::vector<std::string>{"79001", "79002"}), owners);
  EXPECT_EQ((std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}), stages);
  // Each file's lines from 1, against that file's line count.
  EXPECT_EQ((std::vector<std::pair<int64_t, int64_t>>{{1, 2}, {2, 2}, {1, 1}}), lines);
  ASSERT_EQ(3u, rows.RowCount());
  EXPECT_EQ("79001", rows.Cell(0, 0));
  EXPECT_EQ("", rows.Cell(0, 3));
  EXPECT_EQ("79002", rows.Cell(2, 0));
  EXPECT_EQ("Kept", rows.Cell(2, 3));
  EXPECT_EQ("07", rows.Cell(2, 4));
}

TEST(LoadOldBase, FillsNamesAndCodesAsTheSettingsAsk) {
  TempDir dir;
  WriteOldBase(dir);
  std::vector<std::string> owners;
  ResultRows rows;
  OldBaseOptions options;
  options.namesInFiles = false;
  options.fillCodesTypes = true;
  options.modePhoneCode = 1;
  ASSERT_TRUE(LoadOldBase(dir.path(), dir.File("detalization.dat"), options, nullptr, nullptr, &owners, &rows).ok());
  ASSERT_EQ(3u, rows.RowCount());
  EXPECT_EQ("Ann", rows.Cell(0, 3));
  EXPECT_EQ("Me", rows.Cell(1, 3));    // a charge row finds its owner by the last ten digits
  EXPECT_EQ("Kept", rows.Cell(2, 3));  // not in the book: the stored name stays
  EXPECT_EQ("Call", rows.Cell(0, 4));
  EXPECT_EQ("Roam", rows.Cell(2, 4));  // "07" is looked up as 7
  EXPECT_EQ("x", rows.Cell(2, 5));
}

TEST(LoadOldBase, WithoutOwnersListUsesTheOwnersKnownAndSkipsMissingFiles) {
  TempDir dir;
  WriteOldBase(dir);
  std::remove(dir.File("detalization.dat").c_str());
  std::vector<std::string> owners = {"79002", "79009"};
  ResultRows rows;
  OldBaseFound found;
  ASSERT_TRUE(LoadOldBase(dir.path(), dir.File("detalization.dat"), {}, nullptr, nullptr, &owners, &rows, &found).ok());
  EXPECT_FALSE(found.ownersListRead);
  EXPECT_EQ(1u, found.ownerFiles);
  EXPECT_EQ(2u, owners.size());
  ASSERT_EQ(1u, rows.RowCount());
  EXPECT_EQ("79002", rows.Cell(0, 0));

  owners.clear();
  ASSERT_TRUE(LoadOldBase(dir.path(), dir.File("detalization.dat"), {}, nullptr, nullptr, &owners, &rows).ok());
  EXPECT_EQ(1u, rows.RowCount());  // no owners: nothing loaded, nothing cleared
}

TEST(LoadOldBase, NamesTheFileAndLineOfARowWithoutDateTime) {
  TempDir dir;
  WriteOldBase(dir);
  WriteOrDie(dir.File("79002.dat"),
             "2006.06.01 12:00:00=1#a#1#2#0#0#0#0#0#\r\n=2#b#1#2#0#0#0#0#0#\r\n2006.06.03=3#c#1#2#0#0#0#0#0#\r\n");
  std::vector<std::string> owners;
  ResultRows rows;
  Status s = LoadOldBase(dir.path(), dir.File("detalization.dat"), {}, nullptr, nullptr, &owners, &rows);
  EXPECT_EQ(dir.File("79002.dat") + ":2: no date-time", s.message());

  // Counted in the file, also when only its last lines are read.
  WriteOrDie(dir.File("79001.dat"), "2006.05.01=1\r\n2006.05.02=2\r\n2006.13.03=3\r\n");
  OldBaseOptions last;
  last.lastLines = 2;
  s = LoadOldBase(dir.path(), dir.File("detalization.dat"), last, nullptr, nullptr, &owners, &rows);
  EXPECT_EQ(dir.File("79001.dat") + ":3: \"2006.13.03\" is not a date-time (yyyy.mm.dd hh:mm:ss or yyyy.mm.dd)",
            s.message());
}

TEST(LoadOldBase, FingerprintFollowsTheFilesOfTheBase) {
  TempDir dir;
  WriteOldBase(dir);
  const auto fingerprint = [&dir] {
    std::vector<std::string> owners = {"79002"};
    ResultRows rows;
    OldBaseFound found;
    EXPECT_TRUE(
        LoadOldBase(dir.path(), dir.File("detalization.dat"), {}, nullptr, nullptr, &owners, &rows, &found).ok());
    return found.fingerprint;
  };
  const std::string first = fingerprint();
  EXPECT_EQ(first, fingerprint());
  // Another book or another table changes nothing; the owner files do.
  WriteOrDie(dir.File("abonents.dat"), "stamp\r\n[Abonents]\r\n");
  EXPECT_EQ(first, fingerprint());
  WriteOrDie(dir.File("79002.dat"), "2006.06.01 12:00:00=4951234#Kept#07#x#10#1#0.50#0.00#0.51#MTS\r\n");
  const std::string changed = fingerprint();
  EXPECT_NE(first, changed);
  // The same owner files without the owners list are another base.
  std::remove(dir.File("detalization.dat").c_str());
  EXPECT_NE(changed, fingerprint());
}

TEST(FillListNames, TriesOtherSpellingsOnlyInModeOne) {
  const NameValueList book =
      NameValueList::FromLines({"stamp", "[Abonents]", "9161234567=Me", "84951234567=Town", "79031112233=Ann"});
  const auto names = [&book](int mode) {
    ResultRows rows;
    for (const char* number : {"S9161234567", "1234567", "79031112233", "S123"})
      rows.Append({"79001", "2006.05.01", number, "", "", "", "", "", "", "", "", ""});
    const std::size_t changed = FillListNames(&rows, book, "495", mode);
    std::vector<std::string> out;
    for (std::size_t r = 0; r < rows.RowCount(); ++r) out.emplace_back(rows.Cell(r, 3));
    out.push_back(std::to_string(changed));
    return out;
  };
  // Mode 0: only numbers the book holds as written.
  EXPECT_EQ((std::vector<std::string>{"", "", "Ann", "", "1"}), names(0));
  // Mode 1: a service number by its last ten digits, a local one with the
  // town code in front.
  EXPECT_EQ((std::vector<std::string>{"Me", "Town", "Ann", "", "3"}), names(1));
}

TEST(CopyListToTable, AppendsEveryRowOrNone) {
  TempDir dir;
  Table table;
  std::string warning;
  ASSERT_TRUE(OpenDetalTable(dir.path(), "dbf", kDefaultDetalWidths, &table, &warning).ok());
  ResultRows rows;
  rows.Append({"79001", "2006.05.01 10:00:00", "790", "Ann", "1", "2", "30", "1", "1.50", "0.00", "1.50", ""});
  rows.Append({"79002", "2006.05.02", "791", "", "", "", "", "", "", "", "", "MTS"});
  std::size_t appended = 0;
  int64_t last = 0;
  ASSERT_TRUE(CopyListToTable(
                  rows, &table, [&last](int64_t at, int64_t) { last = at; }, &appended)
                  .ok());
  EXPECT_EQ(2u, appended);
  EXPECT_EQ(2, last);
  ASSERT_EQ(2u, table.RecordCount());
  ASSERT_TRUE(table.SetActiveIndex("").ok());
  ASSERT_TRUE(table.First().ok());
  EXPECT_EQ("Ann", table.FieldText(kAbonentField));
  ASSERT_TRUE(table.Next().ok());
  EXPECT_EQ("MTS", table.FieldText(kRoamingField));

  rows.Append({"79003", "not a date", "", "", "", "", "", "", "", "", "", ""});
  const Status s = CopyListToTable(rows, &table, nullptr, &appended);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(std::string::npos, s.message().find("row 3")) << s.message();
  EXPECT_EQ(0u, appended);
  EXPECT_EQ(2u, table.RecordCount());  // the rows before the refused one went too
  ASSERT_TRUE(table.Close().ok());
  ASSERT_TRUE(table.Open(DetalTablePath(dir.path(), "dbf")).ok());
  EXPECT_EQ(2u, table.RecordCount());
}

}  // namespace
}  // namespace zvonar
