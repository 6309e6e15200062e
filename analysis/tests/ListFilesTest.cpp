#include <gtest/gtest.h>

#include "analysis/ListFiles.h"
#include "base/tests/TestSupport.h"

namespace zvonar {
namespace {

using testing::ReadOrEmpty;
using testing::TempDir;
using testing::WriteOrDie;

ResultRows TwoOwners() {
  ResultRows rows;
  rows.Append({"79001", "2008.03.01 10:00:00", "79031112233", "\xC0\xED\xED\xE0", "1", "2", "60", "1", "1.50", "0.00",
               "1.50", "MTS"});
  rows.Append({"79002", "2008.03.02 11:00:00", "79265554433", "", "8", "9", "0", "0", "0.50", "", "0.50", ""});
  return rows;
}

TEST(SaveListFile, WritesOneLinePerRowWithAndWithoutNames) {
  TempDir dir;
  const ResultRows rows = TwoOwners();
  ASSERT_TRUE(SaveListFile(rows, dir.path(), "79001", false, true, "fil").ok());
  EXPECT_EQ(
      "2008.03.01 10:00:00=79031112233#\xC0\xED\xED\xE0#1#2#60#1#1.50#0.00#1.50#MTS\r\n"
      "2008.03.02 11:00:00=79265554433##8#9#0#0#0.50##0.50#\r\n",
      ReadOrEmpty(dir.File("79001.fil")));

  // Without names the third field is empty; only the base name's rows.
  ASSERT_TRUE(SaveListFile(rows, dir.path(), "79002", true, false, "dat").ok());
  EXPECT_EQ("2008.03.02 11:00:00=79265554433##8#9#0#0#0.50##0.50#\r\n", ReadOrEmpty(dir.File("79002.dat")));
}

TEST(LoadListFile, ReadsBackWhatWasSavedUnderTheFileOwner) {
  TempDir dir;
  const ResultRows rows = TwoOwners();
  for (bool withNames : {true, false}) {
    ASSERT_TRUE(SaveListFile(rows, dir.path(), "list", false, withNames, "fil").ok());
    ResultRows back;
    bool found = false;
    ASSERT_TRUE(LoadListFile(dir.path(), "list", "fil", {}, &back, &found).ok());
    EXPECT_TRUE(found);
    ASSERT_EQ(2u, back.RowCount());
    for (std::size_t r = 0; r < 2; ++r) {
      EXPECT_EQ("list", back.Cell(r, 0));  // the owner is the file's base name
      for (int c = 1; c < kResultColumns; ++c) {
        const std::string_view want = c == 3 && !withNames ? std::string_view() : rows.Cell(r, c);
        EXPECT_EQ(want, back.Cell(r, c)) << "row " << r << " column " << c << " names " << withNames;
      }
    }
  }
}

TEST(LoadListFile, ReadsOddLinesIntoTheirColumns) {
  TempDir dir;
  WriteOrDie(dir.File("a.b.fil"),
             "no equals sign\r\n"
             "2008.03.01=111#n\r\n"                         // short line: the rest stays empty
             "2008.03.01=222#a#b#c#d#e#f#g#h#roam#ing\r\n"  // pieces after the tenth have no cell
             "2008.03.01=333##1#2#3#4#5#6#7#\r\n");
  ResultRows rows;
  ASSERT_TRUE(LoadListFile(dir.path(), "a.b", "fil", {}, &rows).ok());
  ASSERT_EQ(4u, rows.RowCount());
  for (int c = 0; c < kResultColumns; ++c) EXPECT_EQ(c == 0 ? "a.b" : "", rows.Cell(0, c)) << c;
  EXPECT_EQ("111", rows.Cell(1, 2));
  EXPECT_EQ("n", rows.Cell(1, 3));
  EXPECT_EQ("", rows.Cell(1, 4));
  EXPECT_EQ("roam", rows.Cell(2, 11));
  EXPECT_EQ("2008.03.01", rows.Cell(3, 1));  // equal date-times keep their own cells
  EXPECT_EQ("333", rows.Cell(3, 2));
  EXPECT_EQ("7", rows.Cell(3, 10));
  EXPECT_EQ("", rows.Cell(3, 11));
  EXPECT_EQ("2008.03.01=222#a#b#c#d#e#f#g#h#roam", ListFileLine(rows, 2, true));
}

// Cells holding the separators of the format are written with them
// replaced, so the list loads back to its cells but for the replacements
// the count tells of.
TEST(SaveListFile, CellsWithSeparatorsLoadBackIntoTheirOwnColumns) {
  TempDir dir;
  ResultRows rows;
  const std::string ivanov = "\xC8\xE2\xE0\xED\xEE\xE2";  // Cyrillic, code page 1251
  const std::string no = "\xB9";                          // the sign No.
  rows.Append({"o", "2008.03.01 10:00=00", "7903=1", ivanov + " #2", "1#", "a\r\nb", "60", "1", "1.50", "0\t0", "1.50",
               "MTS#1"});
  rows.Append(
      {"o", "2008.03.02 11:00:00", "79265554433", ivanov + " " + no + "3", "8", "9", "0", "0", "0.50", "", "0.50", ""});
  std::size_t replaced = 99;
  ASSERT_TRUE(SaveListFile(rows, dir.path(), "x", false, true, "fil", &replaced).ok());
  EXPECT_EQ(6u, replaced);  // DateTime, Abonent, Code, Type, MTP, Roaming
  ResultRows back;
  ASSERT_TRUE(LoadListFile(dir.path(), "x", "fil", {}, &back).ok());
  ASSERT_EQ(2u, back.RowCount());
  const std::vector<std::string> want = {
      "x",    "2008.03.01 10:00 00", "7903=1", ivanov + " " + no + "2", "1" + no, "a  b", "60", "1", "1.50", "0 0",
      "1.50", "MTS" + no + "1"};
  for (int c = 0; c < kResultColumns; ++c) {
    EXPECT_EQ(want[static_cast<std::size_t>(c)], back.Cell(0, c)) << c;
    if (c > 0) {
      EXPECT_EQ(rows.Cell(1, c), back.Cell(1, c)) << c;  // nothing to replace: as it stood
    }
  }

  // Without names the Abonent cell is not written, so it is not counted.
  ASSERT_TRUE(SaveListFile(rows, dir.path(), "y", false, false, "fil", &replaced).ok());
  EXPECT_EQ(5u, replaced);
}

TEST(LoadListFile, ClearsAppendsAndTakesOnlyTheLastLines) {
  TempDir dir;
  WriteOrDie(dir.File("x.fil"), "d1=1\r\nd2=2\r\nd3=3\r\n");
  WriteOrDie(dir.File("empty.fil"), "");
  ResultRows rows = TwoOwners();

  // A missing or empty file leaves the list as it was.
  bool found = true;
  ASSERT_TRUE(LoadListFile(dir.path(), "missing", "fil", {}, &rows, &found).ok());
  EXPECT_FALSE(found);
  ASSERT_TRUE(LoadListFile(dir.path(), "empty", "fil", {}, &rows).ok());
  EXPECT_EQ(2u, rows.RowCount());

  std::vector<std::pair<int64_t, int64_t>> steps;
  LoadListOptions options;
  options.clear = false;
  options.lastLines = 2;
  options.progress = [&steps](int64_t at, int64_t total) { steps.emplace_back(at, total); };
  ASSERT_TRUE(LoadListFile(dir.path(), "x", "fil", options, &rows).ok());
  ASSERT_EQ(4u, rows.RowCount());
  EXPECT_EQ("d2", rows.Cell(2, 1));
  EXPECT_EQ("d3", rows.Cell(3, 1));
  EXPECT_EQ((std::vector<std::pair<int64_t, int64_t>>{{2, 3}, {3, 3}}), steps);

  options.clear = true;
  options.lastLines = 3;  // not less than the line count: every line
  ASSERT_TRUE(LoadListFile(dir.path(), "x", "fil", options, &rows).ok());
  ASSERT_EQ(3u, rows.RowCount());
  EXPECT_EQ("d1", rows.Cell(0, 1));
}

TEST(SplitListPath, CutsAtTheLastSlashAndTheLastFullStop) {
  struct Case {
    std::string_view path, folder, base, ext;
  };
  const Case cases[] = {
      {"/home/u/a.b.fil", "/home/u", "a.b", "fil"},
      {"/home/u/79001.fil", "/home/u", "79001", "fil"},
      {"/home/u.v/list", "/home/u.v", "u", "v/list"},  // no full stop in the name: names no file
  };
  for (const Case& t : cases) {
    const ListPath p = SplitListPath(t.path);
    EXPECT_EQ(t.folder, p.folder) << t.path;
    EXPECT_EQ(t.base, p.baseName) << t.path;
    EXPECT_EQ(t.ext, p.extension) << t.path;
  }
  EXPECT_EQ("/home/u/a.b.fil", ListFilePath("/home/u", "a.b", "fil"));
}

TEST(SaveListFile, ReportsAFolderItCannotWrite) {
  TempDir dir;
  const Status s = SaveListFile(TwoOwners(), dir.File("no/such"), "x", false, true, "fil");
  EXPECT_FALSE(s.ok());
  EXPECT_NE(std::string::npos, s.message().find("no/such")) << s.message();
}

}  // namespace
}  // namespace zvonar
