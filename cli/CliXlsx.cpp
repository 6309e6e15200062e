// zvonar-cli export-xlsx: the records the filter finds, their statistic and
// the criteria written as a spreadsheet file, as the window's Export
// Filtered to Spreadsheet does with its result list.
#include "analysis/XlsxExport.h"
#include "base/Cp1251.h"
#include "base/OutputFile.h"
#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "config/AddedTexts.h"
#include "config/MainSettings.h"
#include "config/ShippedFiles.h"

namespace zvonar {

int RunExportXlsx(CliContext& c) {
  if (c.args.empty() || c.args[0].empty() || c.args[0].starts_with("--")) return kExitUsage;
  const std::string file = c.args[0];
  // Refused before the filter runs, so a wrong name costs no time.
  const Status refused = CheckOutputPath(file, c.dataDir);
  if (!refused.ok()) return Fail(c, refused.message());
  MainSettings settings;
  ResultRows rows;
  XlsxContent content;
  bool stopped = false;
  Status statisticFailure;
  const int code = FilterAndStatistic(c, std::vector<std::string>(c.args.begin() + 1, c.args.end()), &settings,
                                      &content.criteria, &rows, &content.statistic, &stopped, {}, &statisticFailure);
  if (code != kExitOk) return code;
  if (stopped) {
    c.out << "a criterion has an empty value: no records found; " << file << " not written\n";
    return kExitOk;
  }
  // The titles, the statistic's captions and the sheets' words come from
  // the language file settings.ini names.
  const LanguageFile lang = LanguageFileOf(c.dataDir, settings.language);
  content.rows = &rows;
  content.titles = ResultColumnTitles(lang);
  content.words = XlsxWordsOf(lang);
  content.statisticError = statisticFailure.message();
  content.exportedAt = LocalDateTimeNow();
  XlsxOutcome outcome;
  const Status s = ExportXlsx(file, content, &outcome);
  if (!s.ok()) return Fail(c, s.message());
  c.out << outcome.rows << (outcome.rows == 1 ? " row" : " rows") << " written to " << file << '\n';
  if (outcome.textCells > 0)
    c.out << FillArgs(EnglishText(AddedText::XlsxTextCells), {std::to_string(outcome.textCells)}) << '\n';
  if (!statisticFailure.ok())
    c.err << "zvonar-cli: the statistic was not counted: " << statisticFailure.message() << '\n';
  return kExitOk;
}

}  // namespace zvonar
