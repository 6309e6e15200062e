#include "analysis/XlsxExport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "analysis/tests/XlsxReadBack.h"
#include "base/Cp1251.h"
#include "base/tests/TestSupport.h"
#include "config/LanguageFile.h"
#include "config/ShippedFiles.h"

namespace zvonar {
namespace {

using testing::ReadOrEmpty;
using testing::CellsDiffer;
using testing::ReadXlsxBack;
using testing::TempDir;
using testing::WriteOrDie;

int Width(std::map<std::string, std::string>& cells, const std::string& key) {
  return std::atoi(cells[key].c_str());
}

std::string Cp(std::string_view utf8) {
  std::string bytes;
  EXPECT_TRUE(Utf8ToCp1251(utf8, &bytes).ok());
  return bytes;
}

class XlsxExportTest : public ::testing::Test {
 protected:
  XlsxExportTest() {
    content_.rows = &rows_;
    content_.titles = ResultColumnTitles(LanguageFile());
    content_.words = XlsxWordsOf(LanguageFile());
    content_.exportedAt = {JulianDayFromDate(2026, 12, 10), (8 * 3600 + 5 * 60 + 9) * 1000};
  }

  Status Export(XlsxOutcome* outcome = nullptr) {
    XlsxOutcome ignored;
    return ExportXlsx(path_, content_, outcome != nullptr ? outcome : &ignored);
  }

  TempDir dir_;
  std::string path_ = dir_.File("calls.xlsx");
  ResultRows rows_;
  XlsxContent content_;
};

TEST_F(XlsxExportTest, RowsKeepNumbersDatesAndTexts) {
  rows_.Append({"79001", "2008.03.01 10:00:00", "79161234567", Cp("Анна"), "1", "Call", "60", "1", "1.50", "",
                "1.50", ""});
  rows_.Append({"79001", "2008.03.02", "0612", "", "8", "SMS", "0", "0.25", "-2", "0.10", "3", "Beeline Net"});
  // Cells of the number and date columns that hold no number or date.
  rows_.Append({"79001", "soon", "790", "", "", "", "12a", "1,5", "1.50", "", "", ""});
  XlsxOutcome outcome;
  ASSERT_TRUE(Export(&outcome).ok());
  EXPECT_EQ(3u, outcome.rows);
  EXPECT_EQ(3u, outcome.textCells);

  auto cells = ReadXlsxBack(path_);
  EXPECT_EQ("Calls,Statistic,Criteria", cells["sheets"]);
  // A bold title row, frozen, under an autofilter over every row; numbers
  // and dates where the texts are ones, text elsewhere.
  EXPECT_EQ("", CellsDiffer(cells, "Calls",
                            {{"freeze", "A2"},
                             {"filter", "A1:L4"},
                             {"A1", "s|General|bold|Owner"},
                             {"B1", "s|General|bold|Date / Time"},
                             {"L1", "s|General|bold|Roaming"},
                             {"A2", "s|General|-|79001"},
                             {"B2", "d|dd.mm.yyyy hh:mm:ss|-|2008-03-01 10:00:00"},
                             {"C2", "s|General|-|79161234567"},  // numbers of phones stay text
                             {"D2", "s|General|-|Анна"},
                             {"E2", "s|General|-|1"},
                             {"G2", "n|0|-|60"},
                             {"H2", "n|0.00|-|1"},
                             {"I2", "n|0.00|-|1.5"},
                             {"J2", ""},  // an empty cell stays empty
                             {"K2", "n|0.00|-|1.5"},
                             {"B3", "d|dd.mm.yyyy hh:mm:ss|-|2008-03-02 00:00:00"},
                             {"G3", "n|0|-|0"},
                             {"H3", "n|0.00|-|0.25"},
                             {"I3", "n|0.00|-|-2"},
                             {"L3", "s|General|-|Beeline Net"},
                             {"B4", "s|General|-|soon"},
                             {"G4", "s|General|-|12a"},
                             {"H4", "s|General|-|1,5"}}));

  // Widths fit the widest text of each column, the title included.
  EXPECT_GE(Width(cells, "Calls!width B"), 19);
  EXPECT_GE(Width(cells, "Calls!width C"), 11);
  EXPECT_LT(Width(cells, "Calls!width E"), Width(cells, "Calls!width C"));
  EXPECT_GE(Width(cells, "Calls!width L"), 11);
}

TEST_F(XlsxExportTest, StatisticTotalIsASumFormula) {
  rows_.Append({"79001", "2008.03.01 10:00:00", "790", "", "1", "Call", "60", "1", "1.50", "", "1.50", ""});
  rows_.Append({"79001", "2008.03.01 11:00:00", "790", "", "1", "Call", "30", "0.5", "0.75", "", "0.75", ""});
  rows_.Append({"79001", "2008.03.01 12:00:00", "790", "", "8", "SMS", "0", "0", "0.10", "", "0.10", ""});
  content_.statistic = BuildStatRows({"SMS"}, "All");
  ASSERT_TRUE(ComputeFilterStatistic(rows_, &content_.statistic).ok());
  ASSERT_TRUE(Export().ok());

  auto cells = ReadXlsxBack(path_);
  EXPECT_EQ("", CellsDiffer(cells, "Statistic",
                            {{"A1", "s|General|bold|Type"},
                             {"D1", "s|General|bold|Cost"},
                             {"A2", "s|General|-|SMS"},
                             {"D2", "n|0.00|-|0.1"},
                             {"A3", "s|General|-|Call"},
                             {"B3", "n|0|-|90"},
                             {"C3", "n|0.00|-|1.5"},
                             {"D3", "n|0.00|-|2.25"},
                             {"A4", "s|General|bold|All"},
                             {"B4", "f|0|bold|=SUM(B2:B3)"},
                             {"C4", "f|0.00|bold|=SUM(C2:C3)"},
                             {"D4", "f|0.00|bold|=SUM(D2:D3)"}}));
}

TEST_F(XlsxExportTest, StatisticNotCountedSaysWhy) {
  rows_.Append({"79001", "2008.03.01 10:00:00", "790", "", "1", "Call", "6x", "", "", "", "", ""});
  content_.statisticError = "\"6x\" is not a valid floating point value";
  ASSERT_TRUE(Export().ok());
  auto cells = ReadXlsxBack(path_);
  EXPECT_EQ("s|General|-|The statistic was not counted: \"6x\" is not a valid floating point value",
            cells["Statistic!A2"]);
  EXPECT_EQ(0u, cells.count("Statistic!A3"));
}

TEST_F(XlsxExportTest, CriteriaSheetListsTheTickedCriteriaAndTheDate) {
  rows_.Append({"79001", "2008.03.01 10:00:00", "790", "", "1", "Call", "60", "1", "1.50", "", "1.50", ""});
  FilterCriteria& c = content_.criteria;
  c.owner = true;
  c.ownerText = "79001";
  c.date = true;
  c.dateBegin = {2008, 3, 1};
  c.dateEnd = {2008, 3, 31};
  c.number = true;
  c.numberText = "790";
  c.type = true;
  c.typeText = Cp("Звонок");
  c.calls = true;
  c.null = false;
  c.exclude = true;
  c.codeText = "ignored: not ticked";
  ASSERT_TRUE(Export().ok());

  auto cells = ReadXlsxBack(path_);
  EXPECT_EQ("", CellsDiffer(cells, "Criteria",
                            {{"A1", "s|General|bold|Criterion"},
                             {"B1", "s|General|bold|Value"},
                             {"A2", "s|General|-|Owner"},
                             {"B2", "s|General|-|79001"},
                             {"A3", "s|General|-|From"},
                             {"B3", "d|dd.mm.yyyy|-|2008-03-01 00:00:00"},
                             {"A4", "s|General|-|To"},
                             {"B4", "d|dd.mm.yyyy|-|2008-03-31 00:00:00"},
                             {"A5", "s|General|-|Number"},
                             {"B5", "s|General|-|790"},
                             {"A6", "s|General|-|Type"},
                             {"B6", "s|General|-|Звонок"},
                             {"A7", "s|General|-|Calls only"},
                             {"B7", "s|General|-|yes"},
                             {"A8", "s|General|-|Without zero-cost records"},
                             {"A9", "s|General|-|Exclude: the criteria turned around"},
                             {"A10", ""},
                             {"A11", "s|General|bold|Exported on"},
                             {"B11", "d|dd.mm.yyyy hh:mm:ss|-|2026-12-10 08:05:09"}}));
  EXPECT_GE(Width(cells, "Criteria!width A"), 35);

  content_.criteria = FilterCriteria();
  ASSERT_TRUE(Export().ok());
  cells = ReadXlsxBack(path_);
  EXPECT_EQ("s|General|-|None: every record of the table", cells["Criteria!A2"]);
  EXPECT_EQ("s|General|bold|Exported on", cells["Criteria!A4"]);
}

TEST_F(XlsxExportTest, WordsComeFromTheLanguageFile) {
  rows_.Append({"79001", "2008.03.01 10:00:00", "790", "", "1", "Call", "60", "1", "1.50", "", "1.50", ""});
  const LanguageFile russian = LanguageFileOf(dir_.path(), "russian");
  content_.words = XlsxWordsOf(russian);
  content_.titles = ResultColumnTitles(russian);
  ASSERT_TRUE(Export().ok());
  auto cells = ReadXlsxBack(path_);
  EXPECT_EQ("Звонки,Статистика,Условия", cells["sheets"]);
  EXPECT_EQ("s|General|bold|Условие", cells["Условия!A1"]);
  EXPECT_EQ("s|General|bold|Дата экспорта", cells["Условия!A4"]);
  EXPECT_EQ("s|General|-|Нет: все записи таблицы", cells["Условия!A2"]);

  // A file without the lines keeps the English words.
  const XlsxWords english = XlsxWordsOf(LanguageFile(std::vector<std::string>(119, "x")));
  EXPECT_EQ("Calls", english.rowsSheet);
  EXPECT_EQ("Exported on", english.exportedOn);
}

TEST_F(XlsxExportTest, FailureLeavesTheOldFileAlone) {
  rows_.Append({"79001", "2008.03.01 10:00:00", "790", "", "1", "Call", "60", "1", "1.50", "", "1.50", ""});
  WriteOrDie(path_, "old");
  // Sheet names a spreadsheet refuses: a bracket, and a name used twice.
  content_.words.statSheet = "Sums [all]";
  Status s = Export();
  EXPECT_FALSE(s.ok());
  EXPECT_NE(std::string::npos, s.message().find("Sums [all]")) << s.message();
  content_.words.statSheet = content_.words.rowsSheet;
  s = Export();
  EXPECT_FALSE(s.ok());
  EXPECT_NE(std::string::npos, s.message().find("Calls")) << s.message();
  EXPECT_EQ("old", ReadOrEmpty(path_));

  // More rows than a sheet holds: refused before anything is written.
  content_.words = XlsxWordsOf(LanguageFile());
  ResultRows many;
  many.Reserve(kXlsxMaxRows + 1, (kXlsxMaxRows + 1) * 12);
  for (std::size_t r = 0; r <= kXlsxMaxRows; ++r) many.Append({"7", "", "", "", "", "", "", "", "", "", "", ""});
  content_.rows = &many;
  s = Export();
  EXPECT_EQ("1048576 rows are more than a sheet holds (1048575 under its title row)", s.message());
  EXPECT_EQ("old", ReadOrEmpty(path_));
  content_.rows = &rows_;

  // A folder that does not exist: told, nothing made.
  XlsxOutcome outcome;
  s = ExportXlsx(dir_.File("no/such.xlsx"), content_, &outcome);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(std::string::npos, s.message().find("no/such.xlsx")) << s.message();
  EXPECT_EQ(0u, outcome.rows);

  // A good export replaces the file whole and leaves nothing beside it.
  ASSERT_TRUE(Export().ok());
  EXPECT_TRUE(ReadOrEmpty(path_).starts_with("PK"));
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.path())) ++files;
  EXPECT_EQ(1u, files);
}

}  // namespace
}  // namespace zvonar
