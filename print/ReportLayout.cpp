// Layout of the printed reports. A list page holds up to 57 data lines, 17
// units apart from y 80; the first page also has the header at y 25, the
// column titles at y 46 and the start line at y 60; every page has its
// number at (720, 25). A data line is nine columns from x 30, 10 units
// apart: date and time 126, number 90, abonent 100, code 40, type 50,
// seconds 45, minutes 45, cost 60 (2 units lower), roaming 100.
//
// The statistic block: a title line, the column titles (type 150, seconds
// 50, minutes 50, cost 70), a separator, the type rows, a second separator
// and the total row, 17 units apart.
#include "print/ReportLayout.h"

#include <algorithm>
#include <unordered_set>

#include "base/Cp1251.h"
#include "config/AddedTexts.h"
#include "config/LanguageFile.h"

namespace zvonar {
namespace {

constexpr int kLeft = 30;
constexpr int kGap = 10;
constexpr int kWideWidth = 900;
constexpr std::array<int, 9> kLineWidths = {126, 90, 100, 40, 50, 45, 45, 60, 100};
constexpr std::size_t kCostColumn = 7;
constexpr std::array<int, 4> kStatWidths = {150, 50, 50, 70};
// The result-list columns printed, left to right: Date / Time, Number,
// Abonent, Code, Type, Sec, Min, Cost, Roaming.
constexpr std::array<int, 9> kPrintedColumns = {1, 2, 3, 4, 5, 6, 7, 8, 11};
// A page of its own for the statistic starts it here.
constexpr int kStatPageTop = 60;

std::string Cp1251(std::string_view utf8) {
  std::string bytes;
  (void)Utf8ToCp1251(utf8, &bytes);  // the texts below are all in the code page
  return bytes;
}

// `words` between two runs of `c`, 81 characters in all as the Russian
// lines have, and never fewer than 3 of `c` on either side.
std::string Ruled(char c, std::string_view words) {
  constexpr std::size_t kLength = 81, kLeast = 3;
  const std::size_t runs = words.size() + 2 + 2 * kLeast > kLength ? 2 * kLeast : kLength - words.size() - 2;
  return std::string(runs / 2, c) + " " + std::string(words) + " " + std::string(runs - runs / 2, c);
}

ReportText Wide(int y) {
  ReportText t;
  t.x = kLeft;
  t.y = y;
  t.width = kWideWidth;
  t.justified = true;
  return t;
}

constexpr std::array<const char*, 14> kRussianWords = {
    "Детализация на номер:", "за период:", "Начало Детализации", "Конец Детализации",
    "Время / Дата", "Номер", "Абонент", "Код", "Тип", "Сек", "Мин", "Стоимость", "Роуминг", "Статистика"};

// The column titles of the statistic: those of Type, Sec, Min and Cost.
constexpr std::array<std::size_t, 4> kStatTitleColumns = {4, 5, 6, 7};

}  // namespace

ReportWords RussianReportWords() { return ReportWordsOf(LanguageFile()); }

ReportWords ReportWordsOf(const LanguageFile& lang) {
  const auto word = [&](std::size_t i) {
    const std::string& line = lang.Line(static_cast<std::size_t>(AddedText::ReportNumberWords) + i);
    return line.empty() ? Cp1251(kRussianWords[i]) : PlainCaption(line);
  };
  ReportWords w;
  w.numberWords = word(0);
  w.periodWords = word(1);
  w.start = word(2);
  w.end = word(3);
  for (std::size_t i = 0; i < w.columns.size(); ++i) w.columns[i] = word(4 + i);
  w.statistic = word(13);
  return w;
}

ReportBuilder::Ref ReportBuilder::Add(std::size_t page, ReportText text) {
  pages_[page].texts.push_back(std::move(text));
  return {page, pages_[page].texts.size() - 1};
}

void ReportBuilder::Clear() {
  pages_.clear();
  lines_.clear();
  numbered_ = header_ = statistic_ = false;
  statTitles_.clear();
  statSeparators_.clear();
  statRows_.clear();
}

std::size_t ReportBuilder::AddPage(bool numbered) {
  pages_.emplace_back();
  const std::size_t page = pages_.size() - 1;
  if (numbered) {
    ReportText number;
    number.x = 720;
    number.y = 25;
    number.width = 20;
    number.justified = true;
    number.text = std::to_string(page + 1);
    Add(page, std::move(number));
  }
  return page;
}

void ReportBuilder::AddHeader(std::size_t page) {
  constexpr int kWidth = 300;
  for (int i = 0; i < 2; ++i) {
    ReportText t;
    t.x = kLeft + i * (kWidth + 100);
    t.y = 25;
    t.width = kWidth;
    t.bold = true;
    headerRefs_[static_cast<std::size_t>(i)] = Add(page, std::move(t));
  }
  header_ = true;
}

void ReportBuilder::SetHeader(std::string_view owner, std::string_view period) {
  if (!header_) return;
  At(headerRefs_[0]).text = words_.numberWords + " " + std::string(owner);
  At(headerRefs_[1]).text = words_.periodWords + " " + std::string(period);
}

std::array<ReportBuilder::Ref, 9> ReportBuilder::AddDataLine(std::size_t page, int y, bool titles) {
  std::array<Ref, 9> refs;
  int x = kLeft;
  for (std::size_t i = 0; i < kLineWidths.size(); ++i) {
    ReportText t;
    t.x = x;
    t.y = i == kCostColumn ? y + 2 : y;
    t.width = kLineWidths[i];
    if (titles && i == kCostColumn) t.fontSize = 8;
    refs[i] = Add(page, std::move(t));
    x += kLineWidths[i] + kGap;
  }
  return refs;
}

std::array<ReportBuilder::Ref, 4> ReportBuilder::AddStatRow(std::size_t page, int y) {
  std::array<Ref, 4> refs;
  int x = kLeft;
  for (std::size_t i = 0; i < kStatWidths.size(); ++i) {
    ReportText t;
    t.x = x;
    t.y = y;
    t.width = kStatWidths[i];
    refs[i] = Add(page, std::move(t));
    x += kStatWidths[i] + kGap;
  }
  return refs;
}

void ReportBuilder::BuildFilterPages(std::size_t rows, std::size_t statRows) {
  const std::size_t perPage = kReportRowsPerPage;
  const std::size_t pageCount = rows <= perPage ? 1 : (rows + perPage - 1) / perPage;
  Clear();
  numbered_ = true;
  lines_.reserve(rows + 1);
  std::size_t left = rows;
  int lastRows = 0;
  for (std::size_t p = 0; p < pageCount; ++p) {
    const std::size_t here = std::min(left, perPage);
    const std::size_t page = AddPage(true);
    pages_[page].texts.reserve(9 * (here + 1) + 8);
    if (p == 0) {
      AddHeader(page);
      lines_.push_back(AddDataLine(page, 80 - 34, true));
      ReportText start = Wide(60);
      start.bold = true;
      start_ = Add(page, std::move(start));
    }
    for (std::size_t r = 1; r <= here; ++r)
      lines_.push_back(AddDataLine(page, 80 + kReportRowStep * static_cast<int>(r - 1), false));
    left -= here;
    lastRows = static_cast<int>(here);
  }
  ReportText end = Wide(80 + kReportRowStep * lastRows);
  end.bold = true;
  const int endY = end.y;
  end_ = Add(pages_.size() - 1, std::move(end));
  if (statRows == 0) return;
  if (static_cast<long long>(statRows) > 53 - lastRows) {
    AddPage(true);
    BuildStatisticBlock(statRows, kStatPageTop, true);
  } else {
    BuildStatisticBlock(statRows, endY + 16, true);
  }
}

void ReportBuilder::BuildStatisticBlock(std::size_t k, int y0, bool append) {
  if (y0 == 0) y0 = 50;
  if (!append) {
    Clear();
    AddPage(false);
    AddHeader(0);
  }
  statistic_ = true;
  statTitles_.clear();
  statSeparators_.clear();
  statRows_.clear();
  if (k == 0) return;
  std::size_t page = pages_.size() - 1;
  statTitle_ = Add(page, Wide(y0));
  statTitles_.push_back(AddStatRow(page, y0 + kReportRowStep));
  statSeparators_.push_back(Add(page, Wide(y0 + 2 * kReportRowStep)));
  int y = y0 + 3 * kReportRowStep;
  // A page too short for what comes next goes on at the top of a new one,
  // under the column titles and a separator again.
  const auto room = [&](int lines) {
    if (y + kReportRowStep * (lines - 1) <= kReportLastY) return;
    page = AddPage(numbered_);
    statTitles_.push_back(AddStatRow(page, kStatPageTop));
    statSeparators_.push_back(Add(page, Wide(kStatPageTop + kReportRowStep)));
    y = kStatPageTop + 2 * kReportRowStep;
  };
  for (std::size_t row = 1; row < k; ++row) {
    room(1);
    statRows_.push_back(AddStatRow(page, y));
    y += kReportRowStep;
  }
  room(2);  // the closing separator and the total stay together
  statSeparators_.push_back(Add(page, Wide(y)));
  statRows_.push_back(AddStatRow(page, y + kReportRowStep));
}

void ReportBuilder::FillFilterReport(std::string_view owner, std::string_view period, const ResultRows& rows,
                                     const std::vector<StatRow>& stat) {
  SetHeader(owner, period);
  if (lines_.empty()) return;
  At(start_).text = Ruled('=', words_.start);
  At(end_).text = Ruled('=', words_.end);
  for (std::size_t i = 0; i < 9; ++i) At(lines_[0][i]).text = words_.columns[i];
  for (std::size_t line = 1; line < lines_.size() && line - 1 < rows.RowCount(); ++line)
    for (std::size_t i = 0; i < 9; ++i) At(lines_[line][i]).text = rows.Cell(line - 1, kPrintedColumns[i]);
  if (statistic_) FillStatisticBlock(owner, period, stat, true);
}

void ReportBuilder::FillStatisticBlock(std::string_view owner, std::string_view period,
                                       const std::vector<StatRow>& stat, bool appended) {
  if (!appended) SetHeader(owner, period);
  if (statRows_.empty()) return;
  At(statTitle_).text = Ruled('-', words_.statistic);
  for (const Ref& r : statSeparators_) At(r).text = std::string(87, '-');
  for (const auto& row : statTitles_)
    for (std::size_t i = 0; i < 4; ++i) At(row[i]).text = words_.columns[kStatTitleColumns[i]];
  for (std::size_t i = 0; i < statRows_.size() && i < stat.size(); ++i) {
    const StatRow& s = stat[i];
    const std::string* cells[] = {&s.caption, &s.sec, &s.min, &s.cost};
    for (std::size_t c = 0; c < 4; ++c) At(statRows_[i][c]).text = *cells[c];
  }
}

std::string ReportOwnersOf(const ResultRows& rows) {
  std::string owners;
  std::unordered_set<std::string_view> seen;
  std::string_view last;
  for (std::size_t r = 0; r < rows.RowCount(); ++r) {
    const std::string_view owner = rows.Cell(r, 0);
    if ((r > 0 && owner == last) || !seen.insert(owner).second) continue;
    last = owner;
    if (!owners.empty()) owners += ", ";
    owners += owner;
  }
  return owners;
}

std::string ReportPeriodOf(const ResultRows& rows) {
  constexpr std::size_t kDateLength = 10;  // "yyyy.mm.dd": year first, so texts order as dates
  std::string_view first, last;
  for (std::size_t r = 0; r < rows.RowCount(); ++r) {
    const std::string_view date = rows.Cell(r, 1).substr(0, kDateLength);
    if (date.empty()) continue;
    if (first.empty() || date < first) first = date;
    if (date > last) last = date;
  }
  return first.empty() ? std::string() : std::string(first) + " - " + std::string(last);
}

std::vector<ReportPage> FilterReportPages(const ResultRows& rows, const std::vector<StatRow>* stat,
                                          std::string_view owner, std::string_view period,
                                          const ReportWords& words) {
  if (rows.Empty()) return {};
  static const std::vector<StatRow> kNone;
  const std::vector<StatRow>& statistic = stat != nullptr ? *stat : kNone;
  ReportBuilder builder;
  builder.SetWords(words);
  builder.BuildFilterPages(rows.RowCount(), statistic.size());
  builder.FillFilterReport(owner, period, rows, statistic);
  return builder.TakePages();
}

std::vector<ReportPage> StatisticReportPages(const std::vector<StatRow>& stat, std::string_view owner,
                                             std::string_view period, const ReportWords& words) {
  if (stat.empty()) return {};
  ReportBuilder builder;
  builder.SetWords(words);
  builder.BuildStatisticBlock(stat.size(), 0, false);
  builder.FillStatisticBlock(owner, period, stat, false);
  return builder.TakePages();
}

}  // namespace zvonar
