#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/Cp1251.h"
#include "config/AddedTexts.h"
#include "config/LanguageFile.h"
#include "print/ReportLayout.h"

namespace zvonar {
namespace {

std::string Cp(std::string_view utf8) {
  std::string bytes;
  EXPECT_TRUE(Utf8ToCp1251(utf8, &bytes).ok());
  return bytes;
}

// Rows whose cells name their row and column: "r5c3".
ResultRows MakeRows(int n) {
  ResultRows rows;
  std::vector<std::string> cells(kResultColumns);
  for (int r = 0; r < n; ++r) {
    std::array<std::string_view, kResultColumns> views;
    for (int c = 0; c < kResultColumns; ++c) {
      cells[c] = "r" + std::to_string(r) + "c" + std::to_string(c);
      views[c] = cells[c];
    }
    rows.Append(views);
  }
  return rows;
}

std::vector<StatRow> MakeStat(int typeRows) {
  std::vector<StatRow> stat;
  for (int i = 0; i < typeRows; ++i)
    stat.push_back({"type" + std::to_string(i), std::to_string(i * 60), std::to_string(i), std::to_string(i) + ".5"});
  stat.push_back({"All", "9999", "99", "123.5"});
  return stat;
}

const ReportText* Find(const ReportPage& page, std::string_view text) {
  for (const ReportText& t : page.texts)
    if (t.text == text) return &t;
  return nullptr;
}

int CountOnAllPages(const std::vector<ReportPage>& pages, std::string_view text) {
  int n = 0;
  for (const ReportPage& p : pages)
    n += static_cast<int>(
        std::count_if(p.texts.begin(), p.texts.end(), [&](const ReportText& t) { return t.text == text; }));
  return n;
}

// The y of every text `text` on `page`, in the order they were placed.
std::vector<int> YsOf(const ReportPage& page, std::string_view text) {
  std::vector<int> ys;
  for (const ReportText& t : page.texts)
    if (t.text == text) ys.push_back(t.y);
  return ys;
}

// The y of the text `text` on `page`, or -1 when it is not there.
int YOf(const ReportPage& page, std::string_view text) {
  const ReportText* t = Find(page, text);
  return t != nullptr ? t->y : -1;
}

const std::string kStart = std::string(30, '=') + " " + Cp("Начало Детализации") + " " + std::string(31, '=');
const std::string kEnd = std::string(31, '=') + " " + Cp("Конец Детализации") + " " + std::string(31, '=');
const std::string kStatTitle = std::string(34, '-') + " " + Cp("Статистика") + " " + std::string(35, '-');
const std::string kSeparator(87, '-');

TEST(FilterReportPages, OneFullPageOf57Rows) {
  const auto pages = FilterReportPages(MakeRows(57), nullptr, "79161234567", "2024.03.01 - 2024.03.31");
  ASSERT_EQ(1u, pages.size());
  const ReportPage& page = pages[0];
  // Page number, two header objects, nine titles, start, 57 x 9 cells, end.
  EXPECT_EQ(1u + 2 + 9 + 1 + 57 * 9 + 1, page.texts.size());

  const ReportText* number = Find(page, "1");
  ASSERT_NE(nullptr, number);
  EXPECT_EQ(720, number->x);
  EXPECT_EQ(25, number->y);
  EXPECT_EQ(20, number->width);
  EXPECT_TRUE(number->justified);

  const ReportText* owner = Find(page, Cp("Детализация на номер: ") + "79161234567");
  const ReportText* period = Find(page, Cp("за период: ") + "2024.03.01 - 2024.03.31");
  ASSERT_NE(nullptr, owner);
  ASSERT_NE(nullptr, period);
  EXPECT_EQ(30, owner->x);
  EXPECT_EQ(430, period->x);
  EXPECT_EQ(25, period->y);
  EXPECT_TRUE(owner->bold && period->bold);

  const ReportText* start = Find(page, kStart);
  ASSERT_NE(nullptr, start);
  EXPECT_EQ(60, start->y);
  EXPECT_EQ(900, start->width);
  EXPECT_TRUE(start->bold && start->justified);
  const ReportText* end = Find(page, kEnd);
  ASSERT_NE(nullptr, end);
  EXPECT_EQ(1049, end->y);
  EXPECT_TRUE(end->bold && end->justified);
}

TEST(FilterReportPages, DataLinesPrintNineColumnsInPlace) {
  const auto pages = FilterReportPages(MakeRows(57), nullptr, "", "");
  const ReportPage& page = pages[0];
  // Date / Time .. Cost and Roaming; Owner (c0), MTP (c9) and All (c10) are not printed.
  const int columns[] = {1, 2, 3, 4, 5, 6, 7, 8, 11};
  const int xs[] = {30, 166, 266, 376, 426, 486, 541, 596, 666};
  const int widths[] = {126, 90, 100, 40, 50, 45, 45, 60, 100};
  for (int i = 0; i < 9; ++i) {
    const ReportText* first = Find(page, "r0c" + std::to_string(columns[i]));
    const ReportText* last = Find(page, "r56c" + std::to_string(columns[i]));
    ASSERT_NE(nullptr, first) << i;
    ASSERT_NE(nullptr, last) << i;
    EXPECT_EQ(xs[i], first->x) << i;
    EXPECT_EQ(widths[i], first->width) << i;
    EXPECT_EQ(16, first->height);
    const int lower = i == 7 ? 2 : 0;  // the cost column sits 2 units lower
    EXPECT_EQ(80 + lower, first->y) << i;
    EXPECT_EQ(80 + 17 * 56 + lower, last->y) << i;
  }
  for (const char* skipped : {"r0c0", "r0c9", "r0c10"}) EXPECT_EQ(nullptr, Find(page, skipped)) << skipped;

  const char* titles[] = {"Время / Дата", "Номер", "Абонент", "Код", "Тип", "Сек", "Мин", "Стоимость", "Роуминг"};
  for (int i = 0; i < 9; ++i) {
    const ReportText* t = Find(page, Cp(titles[i]));
    ASSERT_NE(nullptr, t) << titles[i];
    EXPECT_EQ(xs[i], t->x);
    EXPECT_EQ(i == 7 ? 48 : 46, t->y);
    EXPECT_EQ(i == 7 ? 8 : 0, t->fontSize);
  }
}

TEST(FilterReportPages, FiftyEighthRowStartsASecondBarePage) {
  const auto pages = FilterReportPages(MakeRows(58), nullptr, "7916", "p");
  ASSERT_EQ(2u, pages.size());
  const ReportPage& second = pages[1];
  // Its page number, one data line and the end line: no header, titles or start.
  EXPECT_EQ(1u + 9 + 1, second.texts.size());
  EXPECT_EQ(25, YOf(second, "2"));
  EXPECT_EQ(80, YOf(second, "r57c1"));
  EXPECT_EQ(97, YOf(second, kEnd));
  EXPECT_EQ(-1, YOf(pages[0], kEnd));
  EXPECT_EQ(1032, YOf(pages[0], "r56c1"));
}

TEST(FilterReportPages, TwoFullPagesOf114Rows) {
  const auto pages = FilterReportPages(MakeRows(114), nullptr, "", "");
  ASSERT_EQ(2u, pages.size());
  EXPECT_EQ(80, YOf(pages[1], "r57c1"));
  EXPECT_EQ(1032, YOf(pages[1], "r113c1"));
  EXPECT_EQ(1049, YOf(pages[1], kEnd));
  EXPECT_EQ(1u + 57 * 9 + 1, pages[1].texts.size());
}

TEST(FilterReportPages, EmptyListGivesNoPages) {
  const std::vector<StatRow> stat = MakeStat(2);
  EXPECT_TRUE(FilterReportPages(ResultRows(), &stat, "", "").empty());
  EXPECT_TRUE(StatisticReportPages({}, "", "").empty());
}

TEST(FilterReportPages, ShortStatisticFollowsTheEndLine) {
  // 50 rows and a statistic of 3 rows (2 types and the total): 3 <= 53 - 50.
  const std::vector<StatRow> stat = MakeStat(2);
  const auto pages = FilterReportPages(MakeRows(50), &stat, "", "");
  ASSERT_EQ(1u, pages.size());
  const ReportPage& page = pages[0];
  const int endY = 80 + 17 * 50;
  EXPECT_EQ(endY, YOf(page, kEnd));
  const int y0 = endY + 16;
  EXPECT_EQ(y0, YOf(page, kStatTitle));
  EXPECT_EQ((std::vector<int>{48, y0 + 17}), YsOf(page, Cp("Стоимость")));  // the list's title, the block's
  EXPECT_EQ(y0 + 51, YOf(page, "type0"));
  EXPECT_EQ(y0 + 68, YOf(page, "type1"));
  EXPECT_EQ(y0 + 102, YOf(page, "All"));
  EXPECT_EQ(y0 + 102, YOf(page, "123.5"));
  int separators = 0;
  for (const ReportText& t : page.texts) {
    if (t.text != kSeparator) continue;
    ++separators;
    EXPECT_TRUE(t.y == y0 + 34 || t.y == y0 + 85) << t.y;
    EXPECT_TRUE(t.justified);
  }
  EXPECT_EQ(2, separators);
  const ReportText* type = Find(page, "type1");
  const ReportText* sec = Find(page, "60");
  const ReportText* cost = Find(page, "1.5");
  ASSERT_TRUE(type && sec && cost);
  EXPECT_EQ(30, type->x);
  EXPECT_EQ(150, type->width);
  EXPECT_EQ(190, sec->x);
  EXPECT_EQ(310, cost->x);
  EXPECT_EQ(70, cost->width);
}

TEST(FilterReportPages, StatisticWithoutRoomGetsAPageOfItsOwn) {
  // 50 rows and a statistic of 4 rows: 4 > 53 - 50.
  const std::vector<StatRow> stat = MakeStat(3);
  const auto pages = FilterReportPages(MakeRows(50), &stat, "", "");
  ASSERT_EQ(2u, pages.size());
  EXPECT_EQ(-1, YOf(pages[0], kStatTitle));
  EXPECT_EQ(25, YOf(pages[1], "2"));
  EXPECT_EQ(60, YOf(pages[1], kStatTitle));
  EXPECT_EQ(77, YOf(pages[1], Cp("Тип")));
  EXPECT_EQ(111, YOf(pages[1], "type0"));
  EXPECT_EQ(145, YOf(pages[1], "type2"));
  EXPECT_EQ(179, YOf(pages[1], "All"));

  // A full last page leaves no room for even the shortest statistic.
  const std::vector<StatRow> total = MakeStat(0);
  const auto full = FilterReportPages(MakeRows(57), &total, "", "");
  ASSERT_EQ(2u, full.size());
  EXPECT_EQ(60, YOf(full[1], kStatTitle));
  EXPECT_EQ(128, YOf(full[1], "All"));
}

TEST(StatisticReportPages, StandsUnderTheHeaderWithoutPageNumber) {
  const auto pages = StatisticReportPages(MakeStat(2), "7916", "2024.01.01 - 2024.01.31");
  ASSERT_EQ(1u, pages.size());
  const ReportPage& page = pages[0];
  // Header 2, title, 4 titles, 2 separators, 3 rows of 4.
  EXPECT_EQ(2u + 1 + 4 + 2 + 3 * 4, page.texts.size());
  EXPECT_EQ(25, YOf(page, Cp("Детализация на номер: ") + "7916"));
  EXPECT_EQ(50, YOf(page, kStatTitle));
  EXPECT_EQ(67, YOf(page, Cp("Сек")));
  EXPECT_EQ(101, YOf(page, "type0"));
  EXPECT_EQ(152, YOf(page, "All"));
  for (const ReportText& t : page.texts) EXPECT_FALSE(t.x == 720 && t.y == 25) << t.text;  // no page number
}

TEST(StatisticReportPages, LongStatisticGoesOnOverPagesWithTheTotal) {
  // 70 type rows and the total: more than one page can hold from y 50.
  const std::vector<StatRow> stat = MakeStat(70);
  const auto pages = StatisticReportPages(stat, "", "");
  ASSERT_EQ(2u, pages.size());
  for (const StatRow& row : stat) EXPECT_EQ(1, CountOnAllPages(pages, row.caption)) << row.caption;
  for (const ReportPage& page : pages)
    for (const ReportText& t : page.texts) EXPECT_LE(t.y, kReportLastY) << t.text;
  // The continued page repeats the column titles at its top.
  EXPECT_EQ(60, YOf(pages[1], Cp("Тип")));
  EXPECT_EQ(77, YOf(pages[1], kSeparator));
  EXPECT_EQ(1036, YOf(pages[0], "type55"));
  EXPECT_EQ(94, YOf(pages[1], "type56"));
  const ReportText* total = Find(pages[1], "All");
  ASSERT_NE(nullptr, total);
  // The closing separator stands right above the total.
  int closing = -1;
  for (const ReportText& t : pages[1].texts)
    if (t.text == kSeparator) closing = std::max(closing, t.y);
  EXPECT_EQ(total->y - 17, closing);
  // The rows on each page are 17 units apart, in order.
  int lastY = 0;
  std::size_t page = 0;
  for (int i = 0; i < 70; ++i) {
    const std::string caption = "type" + std::to_string(i);
    if (Find(pages[page], caption) == nullptr) {
      ++page;
      lastY = 77;
    }
    const int y = YOf(pages[page], caption);
    if (lastY > 0) {
      EXPECT_EQ(lastY + 17, y) << caption;
    }
    lastY = y;
  }
}

TEST(FilterReportPages, LongStatisticAfterTheListKeepsEveryRow) {
  // 40 rows and 30 statistic rows: a new page, where they all fit.
  const std::vector<StatRow> stat = MakeStat(29);
  auto pages = FilterReportPages(MakeRows(40), &stat, "", "");
  ASSERT_EQ(2u, pages.size());
  EXPECT_EQ(60 + 17 * 33, YOf(pages[1], "All"));
  // 10 rows and 60 statistic rows: two pages of statistic, both numbered.
  const std::vector<StatRow> longer = MakeStat(59);
  pages = FilterReportPages(MakeRows(10), &longer, "", "");
  ASSERT_EQ(3u, pages.size());
  EXPECT_EQ(25, YOf(pages[2], "3"));
  for (const StatRow& row : longer) EXPECT_EQ(1, CountOnAllPages(pages, row.caption)) << row.caption;
  EXPECT_NE(nullptr, Find(pages[2], "All"));
}

TEST(ReportHeader, OwnersAndPeriodOfTheListedRows) {
  ResultRows rows;
  const auto add = [&rows](std::string_view owner, std::string_view when) {
    std::array<std::string_view, kResultColumns> cells{};
    cells[0] = owner;
    cells[1] = when;
    rows.Append(cells);
  };
  EXPECT_EQ("", ReportOwnersOf(rows));
  EXPECT_EQ("", ReportPeriodOf(rows));
  // Sorted by another column, the rows' dates are in no order.
  add("79002", "2008.04.02 10:00:00");
  add("79002", "2008.03.31");
  add("79001", "2008.04.30 23:59:59");
  add("79002", "");
  add("79003", "2008.04.01 00:00:01");
  add("79001", "2008.03.05 08:00:00");
  EXPECT_EQ("79002, 79001, 79003", ReportOwnersOf(rows));
  EXPECT_EQ("2008.03.05 - 2008.04.30", ReportPeriodOf(rows));
  ResultRows one;
  std::array<std::string_view, kResultColumns> cells{};
  cells[0] = "79161234567";
  cells[1] = "2024.03.02 09:15:02";
  one.Append(cells);
  one.Append(cells);
  EXPECT_EQ("79161234567", ReportOwnersOf(one));
  EXPECT_EQ("2024.03.02 - 2024.03.02", ReportPeriodOf(one));
}

}  // namespace
// A language file's report lines replace the Russian words one by one; the
// start line keeps its 81 characters whatever the words' length.
TEST(ReportWordsOf, LinesOfTheFileElseTheRussianWords) {
  std::vector<std::string> lines(static_cast<std::size_t>(AddedText::ReportStart) + 1);
  lines[static_cast<std::size_t>(AddedText::ReportNumberWords)] = "Calls && texts of:";
  lines[static_cast<std::size_t>(AddedText::ReportStart)] = "Start";
  const ReportWords words = ReportWordsOf(LanguageFile(lines));
  EXPECT_EQ("Calls & texts of:", words.numberWords);
  EXPECT_EQ(Cp("за период:"), words.periodWords);  // left empty in the file
  EXPECT_EQ(Cp("Конец Детализации"), words.end);     // beyond the file's end
  EXPECT_EQ(Cp("Роуминг"), words.columns[8]);

  const auto pages = FilterReportPages(MakeRows(2), nullptr, "7916", "p", words);
  ASSERT_EQ(1u, pages.size());
  EXPECT_NE(nullptr, Find(pages[0], "Calls & texts of: 7916"));
  const std::string start = std::string(37, '=') + " Start " + std::string(37, '=');
  EXPECT_NE(nullptr, Find(pages[0], start));
  EXPECT_NE(nullptr, Find(FilterReportPages(MakeRows(2), nullptr, "7916", "p")[0], kStart))
      << "the Russian start line when no words are given";

  ReportWords wide = RussianReportWords();
  wide.statistic = std::string(90, 'S');
  const auto stat = StatisticReportPages({{"Call", "1", "1", "1"}, {"All", "1", "1", "1"}}, "", "", wide);
  ASSERT_EQ(1u, stat.size());
  EXPECT_NE(nullptr, Find(stat[0], "--- " + wide.statistic + " ---"));
  EXPECT_NE(nullptr, Find(stat[0], Cp("Стоимость")));
}

}  // namespace zvonar
