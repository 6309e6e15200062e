// The filter commands of zvonar-cli: filter, stat, counts and duplicates. The criteria
// come from the command line only (the check states saved by the window are
// not used); the settings the filter reads come from settings.ini. Rows are
// printed as dump prints records.
#include "analysis/ActivityCounts.h"
#include "analysis/Duplicates.h"
#include "analysis/FilterEngine.h"
#include "analysis/FilterStatistic.h"
#include "base/Cp1251.h"
#include "base/TextFile.h"
#include "books/AbonentsBook.h"
#include "books/NoNameNumbers.h"
#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "cli/RecordLine.h"
#include "config/AddedTexts.h"
#include "config/LanguageFile.h"
#include "config/ShippedFiles.h"
#include "config/MainSettings.h"
#include "import/NameValueList.h"
#include "import/TextUtils.h"
#include "store/DetalTable.h"
#include "store/Table.h"

namespace zvonar {
namespace {

// The texts the window takes from its language file.
struct MainTexts {
  std::string baseNotCreated = "Base not Created! Reload the Program!";
  std::string all = "All";
  std::string noType = kNoTypeText;
};

MainTexts LoadMainTexts(const std::string& dataDir, const MainSettings& settings) {
  MainTexts texts;
  const LanguageFile lang = LanguageFileOf(dataDir, settings.language);
  if (lang.HasGroup(87)) {
    texts.baseNotCreated = PlainCaption(lang.Line(85));
    texts.all = PlainCaption(lang.Line(86));
  }
  texts.noType = TextOf(lang, AddedText::StatNoType);
  return texts;
}

bool ParseDate(const std::string& text, CalendarDate* date) {
  int y = 0, m = 0, d = 0;
  char dot1 = 0, dot2 = 0, extra = 0;
  if (std::sscanf(text.c_str(), "%4d%c%2d%c%2d%c", &y, &dot1, &m, &dot2, &d, &extra) != 5 || dot1 != '.' ||
      dot2 != '.' || text.size() != 10)
    return false;
  if (m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
  *date = {y, m, d};
  return true;
}

// Reads the criteria from the arguments. Returns kExitOk, or the exit code
// of the usage or input error it reported.
int ParseCriteria(CliContext& c, const std::vector<std::string>& args, FilterCriteria* criteria) {
  bool haveTo = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string* text = nullptr;
    bool* tick = nullptr;
    if (a == "--owner")
      text = &criteria->ownerText, tick = &criteria->owner;
    else if (a == "--oper")
      text = &criteria->operCodeText, tick = &criteria->operCode;
    else if (a == "--number")
      text = &criteria->numberText, tick = &criteria->number;
    else if (a == "--code")
      text = &criteria->codeText, tick = &criteria->code;
    else if (a == "--type")
      text = &criteria->typeText, tick = &criteria->type;
    if (text != nullptr) {
      if (i + 1 >= args.size()) return kExitUsage;
      const Status s = Utf8ToCp1251(args[++i], text);
      if (!s.ok()) return Fail(c, a + ": " + s.message());
      *tick = true;
      continue;
    }
    if (a == "--from" || a == "--to") {
      CalendarDate date{};
      if (i + 1 >= args.size()) return kExitUsage;
      if (!ParseDate(args[++i], &date)) return Fail(c, a + ": \"" + args[i] + "\" is not a date yyyy.mm.dd");
      if (a == "--from") {
        criteria->date = true;
        criteria->dateBegin = date;
      } else {
        criteria->dateEnd = date;
        haveTo = true;
      }
    } else if (a == "--calls") {
      criteria->calls = true;
    } else if (a == "--sms") {
      criteria->sms = true;
    } else if (a == "--mms") {
      criteria->mms = true;
    } else if (a == "--no-null") {
      criteria->null = false;
    } else if (a == "--exclude") {
      criteria->exclude = true;
    } else {
      return kExitUsage;
    }
  }
  if (haveTo && !criteria->date) return kExitUsage;  // --to only with --from
  if (criteria->date && !haveTo) criteria->dateEnd = MonthEnd(criteria->dateBegin);
  return kExitOk;
}

struct FilterRun {
  FilterCriteria criteria;
  MainSettings settings;
  MainTexts texts;
  Table table;
  FilterResult result;
};

// Opens the table for `access` and makes ready the filter of the criteria in
// `args`. Returns kExitOk, or the exit code to end with.
int PrepareCliFilter(CliContext& c, const std::vector<std::string>& args, FilterRun* run, const std::string& language,
                     TableAccess access) {
  FilterCriteria& criteria = run->criteria;
  int code = ParseCriteria(c, args, &criteria);
  if (code != kExitOk) return code;
  Status s = LoadCliSettings(c, &run->settings);
  if (!s.ok()) return Fail(c, s.message());
  if (!language.empty()) run->settings.language = language;
  run->texts = LoadMainTexts(c.dataDir, run->settings);
  criteria.callsId = run->settings.callsId;
  criteria.smsId = run->settings.smsId;
  criteria.mmsId = run->settings.mmsId;
  criteria.phoneCodeTown = run->settings.phoneCodeTown;
  criteria.simpleDbf = run->settings.simpleDbf;
  s = OpenTable(c, run->settings, access, &run->table);
  if (!s.ok()) return Fail(c, s.message());
  if (run->table.FieldCount() < 12) c.err << "zvonar-cli: " << Cp1251ToUtf8(run->texts.baseNotCreated) << '\n';
  s = ApplyFilterIndexRule(&run->table, run->settings.forceDateIndex, criteria.date);
  if (!s.ok()) return Fail(c, s.message());
  return kExitOk;
}

// The exit code of a filter run's `outcome`: a silent stop sets `stopped`
// and exits 0 without output.
int FilterOutcomeCode(CliContext& c, FilterOutcome outcome, bool* stopped) {
  switch (outcome) {
    case FilterOutcome::NoIndexes:
      return Fail(c, kAnyIndexesNotPresentText);
    case FilterOutcome::SilentStop:
      *stopped = true;
      return kExitOk;
    default:
      return kExitOk;
  }
}

// Opens the table and runs the filter. Returns kExitOk when the rows (maybe
// none) are ready to print, or the exit code to end with. A silent stop
// sets `stopped` and exits 0 without output.
// A `language` other than empty takes the place of the one in settings.ini.
// A `sink` takes the rows as the scan finds them, and none are kept.
int RunCliFilter(CliContext& c, const std::vector<std::string>& args, FilterRun* run, bool* stopped,
                 const std::string& language = {}, const FilterRowSink& sink = {}) {
  *stopped = false;
  const int code = PrepareCliFilter(c, args, run, language, TableAccess::Read);
  if (code != kExitOk) return code;
  if (sink)
    RunFilterInto(&run->table, run->criteria, sink, &run->result);
  else
    RunFilter(&run->table, run->criteria, nullptr, &run->result);
  return FilterOutcomeCode(c, run->result.outcome, stopped);
}

// The end of a run whose scan failed: the rows found so far were printed.
int Finish(CliContext& c, const FilterRun& run, const Status& after = Status::Ok()) {
  if (run.result.outcome == FilterOutcome::Failed) return Fail(c, run.result.error);
  return after.ok() ? kExitOk : Fail(c, after.message());
}

}  // namespace

void PrintCells(std::ostream& out, std::span<const std::string_view> cells) {
  // One buffer for every line: printing a large result allocates nothing.
  static thread_local std::string line;
  line.clear();
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += '\t';
    AppendCell(cells[i], &line);
  }
  line += '\n';
  out << line;
}

namespace {

// The statistic's rows before any sum: the texts of the code/type table, as
// the code box of the window holds them.
std::vector<StatRow> CliStatRows(const CliContext& c, const FilterRun& run) {
  std::vector<std::string> lines, types;
  (void)ReadTextLinesIfExists(c.dataDir + "codetype.dat", &lines, kBookFileLimit);
  for (const std::string& line : lines) types.push_back(TextAfterFirst(line, '='));
  return BuildStatRows(types, run.texts.all);
}

}  // namespace

std::string CliNoNameText(const std::string& dataDir, const MainSettings& settings) {
  LanguageFile lang;
  if (!settings.language.empty()) (void)LanguageFile::Load(LanguageFilePath(dataDir, settings.language), &lang);
  return lang.HasGroup(82) ? lang.Line(76) : "";
}

int FilterRows(CliContext& c, const std::vector<std::string>& args, MainSettings* settings, ResultRows* rows,
               bool* stopped) {
  FilterRun run;
  const int code = RunCliFilter(c, args, &run, stopped);
  if (code != kExitOk) return code;
  if (run.result.outcome == FilterOutcome::Failed) return Fail(c, run.result.error);
  *settings = run.settings;
  if (!*stopped) *rows = std::move(run.result.rows);
  return kExitOk;
}

int FilterAndStatistic(CliContext& c, const std::vector<std::string>& args, MainSettings* settings,
                       FilterCriteria* criteria, ResultRows* rows, std::vector<StatRow>* stat, bool* stopped,
                       const std::string& language, Status* statisticFailure) {
  FilterRun run;
  const int code = RunCliFilter(c, args, &run, stopped, language);
  if (code != kExitOk || *stopped) return code;
  if (run.result.outcome == FilterOutcome::Failed) return Fail(c, run.result.error);
  *stat = CliStatRows(c, run);
  const Status s = ComputeFilterStatistic(run.result.rows, stat, run.texts.noType);
  if (!s.ok() && statisticFailure == nullptr) return Fail(c, s.message());
  if (!s.ok()) {
    *statisticFailure = s;
    stat->clear();
  }
  *settings = std::move(run.settings);
  *criteria = std::move(run.criteria);
  *rows = std::move(run.result.rows);
  return kExitOk;
}

int RunFilterCommand(CliContext& c) {
  FilterRun run;
  bool stopped = false;
  // The rows are printed as the scan finds them: a large result is never
  // held whole.
  const int code = RunCliFilter(c, c.args, &run, &stopped, {}, [&c](const FilterRow& row) { PrintCells(c.out, row); });
  if (code != kExitOk || stopped) return code;
  return Finish(c, run);
}

int RunStat(CliContext& c) {
  FilterRun run;
  bool stopped = false;
  // The rows are summed as the scan finds them: a large result is never
  // held.
  FilterStatisticSums sums;
  const int code = RunCliFilter(c, c.args, &run, &stopped, {}, [&sums](const FilterRow& row) {
    sums.Add(row[kTypeField], row[kSecField], row[kMinField], row[kCostField]);
  });
  if (code != kExitOk || stopped) return code;
  std::vector<StatRow> stat = CliStatRows(c, run);
  const Status s = sums.Finish(&stat, run.texts.noType);
  for (const StatRow& row : stat)
    PrintCells(c.out, std::array<std::string_view, 4>{row.caption, row.sec, row.min, row.cost});
  return Finish(c, run, s);
}

int RunCounts(CliContext& c) {
  const bool wholeTable = c.args.size() == 1 && c.args[0] == "--table";
  FilterRun run;
  CountsRow row;
  std::vector<std::string> bookLines;
  (void)ReadTextLinesIfExists(c.dataDir + "abonents.dat", &bookLines, kBookFileLimit);
  const NameValueList book = NameValueList::FromLines(std::move(bookLines));
  Status s;
  if (wholeTable) {
    s = LoadCliSettings(c, &run.settings);
    if (s.ok()) s = OpenTable(c, run.settings, TableAccess::Read, &run.table);
    if (s.ok()) s = ApplyFilterIndexRule(&run.table, run.settings.forceDateIndex, false);
    if (!s.ok()) return Fail(c, s.message());
    if (run.table.RecordCount() > 0) s = CountActivityInTable(&run.table, &book, &row);
  } else {
    bool stopped = false;
    const int code = RunCliFilter(c, c.args, &run, &stopped);
    if (code != kExitOk || stopped) return code;
    if (run.result.outcome == FilterOutcome::Failed) return Fail(c, run.result.error);
    if (!run.result.rows.Empty()) s = CountActivityInRows(run.result.rows, &book, &row);
  }
  if (!s.ok()) return Fail(c, s.message());
  PrintCells(c.out, std::vector<std::string_view>(row.begin(), row.end()));
  return kExitOk;
}

int RunAddNoNames(CliContext& c) {
  FilterRun run;
  const std::string bookPath = AbonentsBookPath(c.dataDir);
  std::vector<std::string> bookLines;
  Status s = ReadTextLinesIfExists(bookPath, &bookLines, kBookFileLimit);
  if (!s.ok()) return Fail(c, s.message());
  const NameValueList book = NameValueList::FromLines(std::move(bookLines));
  const auto rulesOf = [&c](const MainSettings& settings) {
    return NoNameRules{6, settings.modePhoneCode, settings.phoneCodeTown, CliNoNameText(c.dataDir, settings)};
  };
  std::vector<std::string> lines;
  if (c.args.empty()) {
    s = LoadCliSettings(c, &run.settings);
    if (s.ok()) s = OpenTable(c, run.settings, TableAccess::Read, &run.table);
    if (!s.ok()) return Fail(c, s.message());
    NoNameCollector collector(&book, rulesOf(run.settings));
    s = CollectNoNamesFromTable(&run.table, &collector);
    if (!s.ok()) return Fail(c, s.message());
    lines = collector.Lines();
  } else {
    bool stopped = false;
    const int code = RunCliFilter(c, c.args, &run, &stopped);
    if (code != kExitOk || stopped) return code;
    if (run.result.outcome == FilterOutcome::Failed) return Fail(c, run.result.error);
    NoNameCollector collector(&book, rulesOf(run.settings));
    CollectNoNamesFromRows(run.result.rows, &collector);
    lines = collector.Lines();
  }
  std::vector<std::string> keys;
  std::size_t added = 0;
  s = AddNoNameLines(bookPath, lines, &keys, &added);
  if (!s.ok()) return Fail(c, s.message());
  c.out << added << (added == 1 ? " number" : " numbers") << " added to abonents.dat\n";
  return kExitOk;
}

}  // namespace zvonar

namespace zvonar {

int RunDuplicates(CliContext& c) {
  std::vector<std::string> args = c.args;
  const bool erase = !args.empty() && args.front() == "--delete";
  if (erase) args.erase(args.begin());
  FilterRun run;
  int code = PrepareCliFilter(c, args, &run, {}, erase ? TableAccess::Write : TableAccess::Read);
  if (code != kExitOk) return code;
  DuplicateGroups groups;
  FindDuplicates(&run.table, run.criteria, nullptr, &groups);
  bool stopped = false;
  code = FilterOutcomeCode(c, groups.outcome, &stopped);
  if (code != kExitOk || stopped) return code;
  if (groups.outcome == FilterOutcome::Failed) return Fail(c, groups.error);
  for (std::size_t g = 0; g < groups.GroupCount(); ++g) {
    for (std::size_t row = groups.starts[g]; row < groups.GroupEnd(g); ++row) {
      const std::string group = std::to_string(g + 1), recno = std::to_string(groups.recnos[row]);
      const auto cells = groups.rows.Row(row);
      std::vector<std::string_view> line = {group, recno};
      line.insert(line.end(), cells.begin(), cells.end());
      PrintCells(c.out, line);
    }
  }
  c.out << groups.GroupCount() << " groups of equal records, " << groups.Extra()
        << " records besides the first of their group\n";
  if (!erase) return kExitOk;
  std::uint32_t deleted = 0;
  const Status s =
      DeleteDuplicates({c.dataDir, HistoryBoundsOf(run.settings.historyChanges, run.settings.historyMegabytes)},
                       &run.table, groups, &deleted);
  c.out << deleted << " records deleted\n";
  const Status closed = run.table.Close();
  if (!s.ok()) return Fail(c, s.message());
  return closed.ok() ? kExitOk : Fail(c, closed.message());
}

}  // namespace zvonar
