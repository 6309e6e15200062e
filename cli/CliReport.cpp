// zvonar-cli report: the printed report of a filter run written as a PDF
// file, the pages laid out and painted by the same code as the window's
// preview. Painting runs on Qt's offscreen platform, so no screen is needed.
#include <cstdio>

#include "analysis/FilterEngine.h"
#include "analysis/FilterStatistic.h"
#include "base/OutputFile.h"
#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "config/ShippedFiles.h"
#include "config/MainSettings.h"
#include "print/ReportLayout.h"
#include "print/ReportPainter.h"

namespace zvonar {
namespace {

std::string DateText(const CalendarDate& d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d.%02d.%02d", d.year, d.month, d.day);
  return text;
}

}  // namespace

int RunReport(CliContext& c) {
  std::string pdf;
  bool statOnly = false;
  std::string language;
  std::vector<std::string> criteriaArgs;
  for (std::size_t i = 0; i < c.args.size(); ++i) {
    if (c.args[i] == "--pdf") {
      if (i + 1 >= c.args.size() || c.args[i + 1].empty()) return kExitUsage;
      pdf = c.args[++i];
    } else if (c.args[i] == "--lang") {
      if (i + 1 >= c.args.size() || (c.args[i + 1] != "english" && c.args[i + 1] != "russian"))
        return Fail(c, "--lang takes english or russian");
      language = c.args[++i];
    } else if (c.args[i] == "--stat-only") {
      statOnly = true;
    } else {
      criteriaArgs.push_back(c.args[i]);
    }
  }
  if (pdf.empty()) return kExitUsage;
  // Refused before the filter runs, so a wrong name costs no time.
  Status s = CheckOutputPath(pdf, c.dataDir);
  if (!s.ok()) return Fail(c, s.message());
  MainSettings settings;
  FilterCriteria criteria;
  ResultRows rows;
  std::vector<StatRow> stat;
  bool stopped = false;
  const int code = FilterAndStatistic(c, criteriaArgs, &settings, &criteria, &rows, &stat, &stopped, language);
  if (code != kExitOk || stopped) return code;
  if (rows.Empty()) return Fail(c, "the filter found no records; no report written");
  // The header names the owner and dates that filtered the records, as the
  // window's ticked boxes do, else what the records hold.
  const std::string period = criteria.date ? DateText(criteria.dateBegin) + " - " + DateText(criteria.dateEnd)
                                           : ReportPeriodOf(rows);
  const std::string owner = criteria.owner ? criteria.ownerText : ReportOwnersOf(rows);
  // The report's words and the statistic's captions come from the same
  // language file, the one in settings.ini unless --lang names another.
  const ReportWords words = ReportWordsOf(LanguageFileOf(c.dataDir, settings.language));
  const bool withStatistic = settings.addFilterStatisticOnPrint && settings.countFilterStatistic;
  const std::vector<ReportPage> pages = statOnly
                                            ? StatisticReportPages(stat, owner, period, words)
                                            : FilterReportPages(rows, withStatistic ? &stat : nullptr, owner, period, words);
  s = WithGuiApplication([&] { return WriteReportPdf(pages, pdf); });
  if (!s.ok()) return Fail(c, s.message());
  c.out << pages.size() << (pages.size() == 1 ? " page" : " pages") << " written to " << pdf << '\n';
  return kExitOk;
}

}  // namespace zvonar
