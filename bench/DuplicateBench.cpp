// duplicate_bench DIR: the look-up of a bill's records in a large table,
// the check an import makes before it appends. Takes twelve records of the
// table in DIR from the middle of its period and twelve new ones beside
// them, as a bill of 24 calls that half overlaps the table, and times the
// look-up (a cold first run, then the median of seven). Prints
// "name value unit"; fails when the look-up does not find the twelve.
#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "import/KnownRecords.h"
#include "store/DetalTable.h"

namespace zvonar {
namespace {

double Ms(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

int Run(const std::string& dir) {
  Table table;
  std::string warning;
  Status s = OpenDetalTable(dir, "dbf", kDefaultDetalWidths, &table, &warning, TableAccess::Read);
  if (s.ok()) s = table.SetActiveIndex(kDateTimeIndex);
  if (s.ok()) s = table.GoToPosition(table.RecordCount() / 2);
  std::vector<std::vector<std::string>> bill;
  for (int i = 0; s.ok() && i < 12 && !table.Eof(); ++i, s = table.Next()) {
    std::vector<std::string> fields;
    for (int f = 0; f < kDetalFieldCount; ++f) fields.push_back(table.FieldText(f));
    bill.push_back(fields);
    fields[kNumberField] = "7999" + std::to_string(1000000 + i);  // a call the table does not hold
    bill.push_back(fields);
  }
  if (s.ok()) s = table.GoToPosition(0);
  if (!s.ok() || bill.size() != 24) {
    std::cerr << "duplicate_bench: " << (s.ok() ? "too few records in " + dir : s.message()) << '\n';
    return 1;
  }
  std::vector<double> times;
  for (int run = 0; run < 8; ++run) {
    const auto start = std::chrono::steady_clock::now();
    KnownRecords known(table);
    for (const auto& fields : bill) known.Add(fields);
    s = known.Find(&table);
    times.push_back(Ms(start));
    if (!s.ok() || known.Found().known != 12) {
      std::cerr << "duplicate_bench: found " << known.Found().known << " of 12 " << s.message() << '\n';
      return 1;
    }
  }
  std::cout << "records " << table.RecordCount() << " records\n";
  std::cout << "duplicate_check_24_into_1m_first " << times.front() << " ms\n";
  std::sort(times.begin() + 1, times.end());
  std::cout << "duplicate_check_24_into_1m " << times[4] << " ms\n";
  return 0;
}

}  // namespace
}  // namespace zvonar

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: duplicate_bench DIR\n";
    return 2;
  }
  return zvonar::Run(argv[1]);
}
