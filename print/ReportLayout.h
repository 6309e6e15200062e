// The printed reports of the result list and of its statistic, as pages of
// positioned single-line texts. Coordinates are page units (screen pixels of
// a page, 96 to the inch, the page's top left corner at 0, 0); a renderer
// maps them onto the paper. Texts are code page 1251 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/FilterStatistic.h"
#include "analysis/ResultRows.h"

namespace zvonar {

class LanguageFile;

// The report's own words, code page 1251 texts: the header's words before
// the owner and the period, the start and end lines, the column titles of
// the list (Date / Time, Number, Abonent, Code, Type, Sec, Min, Cost,
// Roaming) and the statistic's title. The statistic's column titles are
// those of Type, Sec, Min and Cost.
struct ReportWords {
  std::string numberWords;
  std::string periodWords;
  std::string start;
  std::string end;
  std::array<std::string, 9> columns;
  std::string statistic;
};

// The report's Russian words, which a language file without report lines
// prints.
ReportWords RussianReportWords();
// The words from the report lines of `lang`; a line the file lacks or
// leaves empty gives the Russian word.
ReportWords ReportWordsOf(const LanguageFile& lang);

// One text object: a single line inside the box (x, y, width, height).
struct ReportText {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 16;
  std::string text;
  bool bold = false;
  bool justified = false;  // spread over the box's width
  int fontSize = 0;        // in points; 0 for the report's default size
};

struct ReportPage {
  std::vector<ReportText> texts;
};

inline constexpr int kReportRowsPerPage = 57;
inline constexpr int kReportRowStep = 17;
// The lowest y a text of a page may have: the end line under 57 rows.
inline constexpr int kReportLastY = 80 + kReportRowStep * kReportRowsPerPage;
// The default font size of the report's texts, in points.
inline constexpr int kReportFontSize = 10;

// Builds a report in two steps, as the print commands do: the layout step
// places empty objects, the fill step gives them their texts.
class ReportBuilder {
 public:
  // Pages for `rows` result rows, 57 a page, with the header, the column
  // titles and the start line on the first page, a page number on each and
  // the end line under the last row. With `statRows` > 0 the statistic
  // block of that many rows follows: on the last page when it has room for
  // them (no more than 53 minus the rows of that page), else from y 60 of a
  // page of its own.
  void BuildFilterPages(std::size_t rows, std::size_t statRows);
  // Texts of the header, the start and end lines, the column titles, the
  // data lines from `rows` and, when the layout has it, the statistic.
  void FillFilterReport(std::string_view owner, std::string_view period, const ResultRows& rows,
                        const std::vector<StatRow>& stat);
  // The words the fill steps print; the Russian ones until set.
  void SetWords(ReportWords words) { words_ = std::move(words); }
  // The statistic block of `k` rows (the last one the total) from `y0` (0
  // means 50): appended to the last page, or on a fresh report with the
  // header. A block longer than its page goes on over the next pages, the
  // column titles repeated at the top of each, so every row and the total
  // are printed.
  void BuildStatisticBlock(std::size_t k, int y0, bool append);
  // Texts of the statistic block from `stat`; the header too unless the
  // block was appended.
  void FillStatisticBlock(std::string_view owner, std::string_view period, const std::vector<StatRow>& stat,
                          bool appended);

  const std::vector<ReportPage>& Pages() const { return pages_; }
  std::vector<ReportPage> TakePages() { return std::move(pages_); }

 private:
  struct Ref {
    std::size_t page = 0;
    std::size_t index = 0;
  };
  Ref Add(std::size_t page, ReportText text);
  ReportText& At(Ref r) { return pages_[r.page].texts[r.index]; }
  void Clear();
  std::size_t AddPage(bool numbered);
  void AddHeader(std::size_t page);
  void SetHeader(std::string_view owner, std::string_view period);
  std::array<Ref, 9> AddDataLine(std::size_t page, int y, bool titles);
  std::array<Ref, 4> AddStatRow(std::size_t page, int y);

  ReportWords words_ = RussianReportWords();
  std::vector<ReportPage> pages_;
  bool numbered_ = false;  // pages carry a page number
  bool header_ = false;
  std::array<Ref, 2> headerRefs_{};
  std::vector<std::array<Ref, 9>> lines_;  // the column titles, then one per row
  Ref start_, end_;
  bool statistic_ = false;
  Ref statTitle_;
  std::vector<std::array<Ref, 4>> statTitles_;  // repeated on every page of the block
  std::vector<Ref> statSeparators_;
  std::vector<std::array<Ref, 4>> statRows_;
};

// The owner a report's header names when no owner was chosen: the one all
// `rows` share, or every owner in the order it first appears, joined by
// ", ".
std::string ReportOwnersOf(const ResultRows& rows);
// The period a report's header names when no dates were chosen: the first
// and last date of `rows`, "yyyy.mm.dd - yyyy.mm.dd"; empty without rows.
std::string ReportPeriodOf(const ResultRows& rows);

// The report of the result list with, when `stat` is given and has rows,
// its statistic. No pages for an empty list.
std::vector<ReportPage> FilterReportPages(const ResultRows& rows, const std::vector<StatRow>* stat,
                                          std::string_view owner, std::string_view period,
                                          const ReportWords& words = RussianReportWords());
// The statistic-only report. No pages for an empty statistic.
std::vector<ReportPage> StatisticReportPages(const std::vector<StatRow>& stat, std::string_view owner,
                                             std::string_view period,
                                             const ReportWords& words = RussianReportWords());

}  // namespace zvonar
