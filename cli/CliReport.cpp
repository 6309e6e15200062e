// zvonar-cli report: the printed report of a filter run written as a PDF
// file, the pages laid out and painted by the same code as the window's
// preview. Painting runs on Qt's offscreen platform, so no screen is needed;
// the painter is a module loaded for this command only.
#include <dlfcn.h>

#include <cstdio>
#include <filesystem>

#include "analysis/FilterEngine.h"
#include "analysis/FilterStatistic.h"
#include "base/OutputFile.h"
#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "config/ShippedFiles.h"
#include "config/MainSettings.h"
#include "print/ReportLayout.h"
#include "print/ReportPdfModule.h"

namespace zvonar {
namespace {

std::string DateText(const CalendarDate& d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d.%02d.%02d", d.year, d.month, d.day);
  return text;
}

// The PDF writer module's entry: the module beside the program (the build
// tree), else where the installation puts it relative to the program. Kept
// loaded for the rest of the run.
Status LoadReportPdfWriter(ReportPdfEntry* entry) {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return Status::Error(StatusKind::Io, "cannot find the program's own file: " + error.message());
  const std::filesystem::path places[] = {program.parent_path() / kReportPdfModuleName,
                                          program.parent_path() / ZVONAR_REPORT_MODULE_DIR / kReportPdfModuleName};
  for (const std::filesystem::path& place : places) {
    if (!std::filesystem::exists(place, error)) continue;
    void* module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* symbol = module != nullptr ? dlsym(module, kReportPdfEntryName) : nullptr;
    if (symbol == nullptr) {
      const char* why = dlerror();
      return Status::Error(StatusKind::Io, "the PDF writer " + place.string() + " cannot be loaded: " +
                                               (why != nullptr ? why : "no entry point"));
    }
    *entry = reinterpret_cast<ReportPdfEntry>(symbol);
    return Status::Ok();
  }
  return Status::Error(StatusKind::Io, "the PDF writer " + std::string(kReportPdfModuleName) + " is neither in " +
                                           places[0].parent_path().string() + " nor in " +
                                           places[1].parent_path().lexically_normal().string());
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
  ReportPdfEntry writePdf = nullptr;
  s = LoadReportPdfWriter(&writePdf);
  if (!s.ok()) return Fail(c, s.message());
  std::string error;
  if (!writePdf(pages, pdf, &error)) return Fail(c, error);
  c.out << pages.size() << (pages.size() == 1 ? " page" : " pages") << " written to " << pdf << '\n';
  return kExitOk;
}

}  // namespace zvonar
