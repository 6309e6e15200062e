// export_bench: the program's side of bench/export.sh. Makes a result list
// of generated rows (calls of many numbers over two years, Cyrillic names)
// and times its spreadsheet and CSV exports. Prints "name value unit" lines.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "analysis/CsvExport.h"
#include "analysis/FilterStatistic.h"
#include "analysis/XlsxExport.h"
#include "config/LanguageFile.h"

namespace zvonar {
namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

ResultRows GeneratedRows(std::size_t count) {
  const char* const types[] = {"\xC8\xF1\xF5\xEE\xE4\xFF\xF9\xE8\xE9", "\xC2\xF5\xEE\xE4\xFF\xF9\xE8\xE9", "SMS"};
  ResultRows rows;
  char when[32], number[16], sec[16], min[16], cost[16];
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned n = static_cast<unsigned>(i);
    std::snprintf(when, sizeof when, "%04u.%02u.%02u %02u:%02u:%02u", 2023 + n / 200000 % 2, 1 + n / 16000 % 12,
                  1 + n / 500 % 28, n / 60 % 24, n % 60, n * 7 % 60);
    std::snprintf(number, sizeof number, "79%09u", n * 7919 % 1000000000);
    std::snprintf(sec, sizeof sec, "%u", n % 900);
    std::snprintf(min, sizeof min, "%u", (n % 900 + 59) / 60);
    std::snprintf(cost, sizeof cost, "%u.%02u", n % 13, n % 100);
    const std::string name = n % 3 == 0 ? "" : "\xC0\xE1\xEE\xED\xE5\xED\xF2 " + std::to_string(n % 5000);
    rows.Append({"79161234567", when, number, name, "1", types[n % 3], sec, min, cost, "", cost,
                 n % 50 == 0 ? "Roaming Net" : ""});
  }
  return rows;
}

int Run(std::size_t count, const std::string& dir) {
  const ResultRows rows = GeneratedRows(count);
  std::vector<StatRow> stat = BuildStatRows({}, "All");
  Status s = ComputeFilterStatistic(rows, &stat);
  const std::string label = std::to_string(count / 1000) + "k_rows";

  XlsxContent content;
  content.rows = &rows;
  content.titles = ResultColumnTitles(LanguageFile());
  content.statistic = std::move(stat);
  content.words = XlsxWordsOf(LanguageFile());
  content.criteria.owner = true;
  content.criteria.ownerText = "79161234567";
  content.exportedAt = LocalDateTimeNow();
  XlsxOutcome outcome;
  auto start = std::chrono::steady_clock::now();
  if (s.ok()) s = ExportXlsx(dir + "rows.xlsx", content, &outcome);
  if (!s.ok()) {
    std::cerr << s.message() << '\n';
    return 1;
  }
  std::cout << "xlsx_" << label << ' ' << Seconds(start) << " s\n";

  start = std::chrono::steady_clock::now();
  s = ExportCsv(dir + "rows.csv", rows, content.titles);
  if (!s.ok()) {
    std::cerr << s.message() << '\n';
    return 1;
  }
  std::cout << "csv_" << label << ' ' << Seconds(start) << " s\n";
  return 0;
}

}  // namespace
}  // namespace zvonar

// export_bench ROWS DIR/: writes DIR/rows.xlsx and DIR/rows.csv.
int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: export_bench ROWS DIR/\n";
    return 2;
  }
  return zvonar::Run(static_cast<std::size_t>(std::strtoul(argv[1], nullptr, 10)), argv[2]);
}
