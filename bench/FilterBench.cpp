// filter_bench: the program's side of bench/filter.sh. Opens a detalization
// table and times one filter case, the statistic over the full result, or
// the activity counts over the table. Prints "name value unit" lines.
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>

#include "analysis/ActivityCounts.h"
#include "analysis/FilterEngine.h"
#include "analysis/FilterStatistic.h"
#include "store/DetalTable.h"
#include "store/Table.h"

namespace zvonar {
namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

int Run(const std::string& dir, const std::string& name, int argc, char** argv) {
  Table table;
  OpenNotes notes;
  Status s = table.Open(DetalTablePath(dir, "dbf"), &notes);
  if (!s.ok()) {
    std::cerr << s.message() << '\n';
    return 1;
  }
  FilterCriteria c;
  if (name == "owner") {
    c.owner = true;
    c.ownerText = argv[0];
  } else if (name == "month") {
    c.date = true;
    c.dateBegin = {std::atoi(argv[0]), std::atoi(argv[1]), 1};
    c.dateEnd = MonthEnd(c.dateBegin);
  } else if (name == "number") {
    c.number = true;
    c.numberText = argv[0];
  } else if (name == "calls_exclude") {
    c.calls = true;
    c.exclude = true;
  } else if (name == "counts") {
    (void)ApplyFilterIndexRule(&table, false, false);
    CountsRow row;
    const auto start = std::chrono::steady_clock::now();
    s = CountActivityInTable(&table, nullptr, &row);
    std::cout << "counts " << Seconds(start) << " s\n";
    return s.ok() ? 0 : 1;
  }
  (void)argc;
  (void)ApplyFilterIndexRule(&table, false, c.date);
  FilterResult result;
  auto start = std::chrono::steady_clock::now();
  RunFilter(&table, c, nullptr, &result);
  const double filterTime = Seconds(start);
  if (std::getenv("FILTER_BENCH_REPEAT") != nullptr) {
    for (int i = 0; i < 3; ++i) {
      start = std::chrono::steady_clock::now();
      RunFilter(&table, c, nullptr, &result);
      std::cout << name << "_again " << Seconds(start) << " s\n";
    }
  }
  if (name == "stat") {
    std::vector<StatRow> stat = BuildStatRows({"out", "in", "sms out", "sms in", "gprs"}, "All");
    start = std::chrono::steady_clock::now();
    s = ComputeFilterStatistic(result.rows, &stat);
    std::cout << "stat " << Seconds(start) << " s\n";
    return s.ok() ? 0 : 1;
  }
  std::cout << name << ' ' << filterTime << " s\n";
  std::cout << name << "_rows " << result.rows.RowCount() << " rows\n";
  std::cout << name << "_peak_memory " << PeakMegabytes() << " MB\n";
  return result.outcome == FilterOutcome::Done ? 0 : 1;
}

}  // namespace
}  // namespace zvonar

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: filter_bench DIR all|owner OWNER|month YEAR MONTH|number TAIL|calls_exclude|stat|counts\n";
    return 2;
  }
  return zvonar::Run(argv[1], argv[2], argc - 3, argv + 3);
}
