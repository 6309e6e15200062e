// The summary command of zvonar-cli: the figures the chart window draws, as
// TAB-separated UTF-8 lines for scripts and spreadsheets. One line a group:
// the group's label as the chart shows it (a month's and a weekday's name in
// the language of settings.ini, a type's text from the code/type table), or
// with --keys its key as stored (a number adds a cell with its name), then the record count and the sums of
// Sec, Min and Cost in the statistic's number format.
#include <charconv>
#include <utility>

#include "analysis/CallFigures.h"
#include "base/Cp1251.h"
#include "base/TextFile.h"
#include "books/AbonentsBook.h"
#include "books/CodesTypes.h"
#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "cli/RecordLine.h"
#include "config/MainSettings.h"
#include "import/NameValueList.h"

namespace zvonar {
namespace {

struct SummaryOptions {
  FigureGrouping by = FigureGrouping::Month;
  FigureOrder order = FigureOrder::Cost;
  std::size_t top = 0;
  bool keys = false;  // the groups' keys in place of their labels
};

template <class T, std::size_t N>
bool Lookup(const std::pair<std::string_view, T> (&names)[N], std::string_view text, T* value) {
  for (const auto& [name, v] : names) {
    if (text != name) continue;
    *value = v;
    return true;
  }
  return false;
}

constexpr std::pair<std::string_view, FigureGrouping> kGroupings[] = {{"month", FigureGrouping::Month},
                                                                      {"type", FigureGrouping::Type},
                                                                      {"number", FigureGrouping::Number},
                                                                      {"hour", FigureGrouping::Hour},
                                                                      {"weekday", FigureGrouping::Weekday}};
constexpr std::pair<std::string_view, FigureOrder> kOrders[] = {
    {"count", FigureOrder::Count}, {"sec", FigureOrder::Sec}, {"min", FigureOrder::Min}, {"cost", FigureOrder::Cost}};

// Takes the summary's own options out of `args`, leaving the criteria.
// Returns kExitOk or the exit code of the error it reported.
int ParseSummaryOptions(CliContext& c, std::vector<std::string>* args, SummaryOptions* options) {
  bool haveBy = false;
  std::vector<std::string> criteria;
  for (std::size_t i = 0; i < args->size(); ++i) {
    const std::string& a = (*args)[i];
    if (a == "--keys") {
      options->keys = true;
      continue;
    }
    if (a != "--by" && a != "--order" && a != "--top") {
      criteria.push_back(a);
      continue;
    }
    if (i + 1 >= args->size()) return kExitUsage;
    const std::string& value = (*args)[++i];
    if (a == "--by") {
      if (!Lookup(kGroupings, value, &options->by)) return Fail(c, "--by: \"" + value + "\" is not a grouping");
      haveBy = true;
    } else if (a == "--order") {
      if (!Lookup(kOrders, value, &options->order)) return Fail(c, "--order: \"" + value + "\" is not a figure");
    } else {
      const auto r = std::from_chars(value.data(), value.data() + value.size(), options->top);
      if (r.ec != std::errc() || r.ptr != value.data() + value.size() || options->top == 0)
        return Fail(c, "--top: \"" + value + "\" is not a positive number");
    }
  }
  if (!haveBy) return kExitUsage;
  *args = std::move(criteria);
  return kExitOk;
}

}  // namespace

int RunSummary(CliContext& c) {
  SummaryOptions options;
  std::vector<std::string> args = c.args;
  int code = ParseSummaryOptions(c, &args, &options);
  if (code != kExitOk) return code;
  MainSettings settings;
  ResultRows rows;
  bool stopped = false;
  code = FilterRows(c, args, &settings, &rows, &stopped);
  if (code != kExitOk || stopped) return code;

  std::vector<std::string> bookLines;
  (void)ReadTextLinesIfExists(AbonentsBookPath(c.dataDir), &bookLines, kBookFileLimit);
  const NameValueList book = NameValueList::FromLines(std::move(bookLines));
  std::vector<CodeTypeRow> codeTypes;
  if (!options.keys) (void)LoadCodeTypes(CodeTypePath(c.dataDir), &codeTypes);  // else types stay as stored
  const CallFigures figures =
      ComputeCallFigures(rows, &book, CliNoNameText(c.dataDir, settings), CodeTypeTextFinder(std::move(codeTypes)));
  std::vector<FigureGroup> groups = FigureGroups(figures, options.by);
  if (options.by == FigureGrouping::Type || options.by == FigureGrouping::Number)
    groups = TopGroups(groups, options.order, options.top);
  else if (options.top > 0 && groups.size() > options.top)
    groups.resize(options.top);

  std::string text;
  for (const FigureGroup& g : groups) {
    AppendCell(options.keys ? g.key : FigureLabel(g, options.by, settings.language), &text);
    if (options.by == FigureGrouping::Number) {
      text += '\t';
      AppendCell(g.name, &text);
    }
    text += '\t' + std::to_string(g.sums.count) + '\t' + FormatHundredths(g.sums.sec) + '\t' +
            FormatHundredths(g.sums.min) + '\t' + FormatHundredths(g.sums.cost) + '\n';
  }
  c.out << text;
  if (figures.badCells > 0)
    c.err << "zvonar-cli: " << figures.badCells << " Sec, Min or Cost cells that are no number were left out\n";
  return kExitOk;
}

}  // namespace zvonar
