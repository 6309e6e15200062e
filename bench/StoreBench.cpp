// store_bench: the engine's side of bench/store.sh. Generates bill lines in
// the form zvonar-cli load-tsv reads, and times opening a table and the
// three reads the filter makes: a full scan, one owner's block in the Owner
// order and one month in the DateTime order. Prints "name value unit".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <string>

#include "store/DateTimeField.h"
#include "store/DetalTable.h"

namespace zvonar {
namespace {

constexpr int kOwners = 50;
constexpr int kMonths = 24;

std::string OwnerNumber(int owner) {
  return "7916" + std::to_string(1000000 + owner * 7919);
}

// Bills of 50 owners over two years, appended bill by bill as the import
// does: each month, each owner's lines in time order.
int Generate(long records, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  std::mt19937 rng(42);
  const char* types[] = {"out", "in", "sms out", "sms in", "gprs"};
  const long perBill = records / (kOwners * kMonths);
  long written = 0;
  for (int month = 0; month < kMonths; ++month) {
    const int year = 2023 + month / 12;
    const std::int32_t first = JulianDayFromDate(year, month % 12 + 1, 1);
    const std::int32_t days = JulianDayFromDate(year + (month % 12 == 11), (month + 1) % 12 + 1, 1) - first;
    for (int owner = 0; owner < kOwners; ++owner) {
      const long count = month == kMonths - 1 && owner == kOwners - 1 ? records - written : perBill;
      const std::int64_t span = std::int64_t{days} * kMsPerDay;
      for (long i = 0; i < count; ++i) {
        const std::int64_t at = span * i / count;
        const DateTimeValue when{first + static_cast<std::int32_t>(at / kMsPerDay),
                                 static_cast<std::int32_t>(at % kMsPerDay / 1000 * 1000)};
        const unsigned r = static_cast<unsigned>(rng());
        const int secs = static_cast<int>(r % 600);
        out << OwnerNumber(owner) << '\t' << FormatDateTimeText(when) << '\t' << "7903" << (1000000 + r % 9000000)
            << '\t' << (r % 3 == 0 ? "" : "abonent " + std::to_string(r % 500)) << '\t' << (r % 40) << '\t'
            << types[r % 5] << '\t' << secs << '\t' << (secs + 59) / 60 << '\t' << (r % 20) << '.' << (r % 9) << "0\t"
            << (r % 7 == 0 ? "0.10" : "") << '\t' << (r % 20) << '.' << (r % 9) << "0\t"
            << (r % 50 == 0 ? "partner network" : "") << '\n';
      }
      written += count;
    }
  }
  return out ? 0 : 1;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double StatusMb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key, 0) == 0) return std::strtod(line.c_str() + std::string(key).size(), nullptr) / 1024;
  return 0;
}

// Reads all twelve field texts of the current record, as the result list does.
// Every field's text of the current record, read in place as the filter
// reads it.
std::size_t ReadRecord(const Table& table) {
  std::size_t bytes = 0;
  char dateText[kDateTimeTextMax];
  for (int i = 0; i < kDetalFieldCount; ++i) bytes += table.FieldView(i, dateText).size();
  return bytes;
}

int Fail(const Status& s) {
  std::cerr << "store_bench: " << s.message() << '\n';
  return 1;
}

int Run(const std::string& command, const std::string& dir, const std::string& arg) {
  const auto opening = std::chrono::steady_clock::now();
  Table table;
  std::string warning;
  Status s = OpenDetalTable(dir, "dbf", kDefaultDetalWidths, &table, &warning);
  if (!s.ok()) return Fail(s);
  const double openTime = Seconds(opening);
  if (command == "open") {
    std::printf("open %.4f s\nopen_memory %.1f MB\nopen_peak_memory %.1f MB\n", openTime, StatusMb("VmRSS:"),
                StatusMb("VmHWM:"));
    return 0;
  }
  const auto start = std::chrono::steady_clock::now();
  std::size_t bytes = 0, records = 0;
  if (command == "scan") {
    for (s = table.First(); s.ok() && !table.Eof(); s = table.Next(), ++records) bytes += ReadRecord(table);
  } else if (command == "owner" || command == "month") {
    const bool byOwner = command == "owner";
    const std::string key = byOwner ? OwnerNumber(std::atoi(arg.c_str())) : arg + ".01";
    const std::string prefix = byOwner ? key : arg;
    s = table.SetActiveIndex(byOwner ? kOwnerIndex : kDateTimeIndex);
    const int field = byOwner ? kOwnerField : kDateTimeField;
    char dateText[kDateTimeTextMax];
    for (s = s.ok() ? table.FindNearest(key) : s;
         s.ok() && !table.Eof() && table.FieldView(field, dateText).substr(0, prefix.size()) == prefix;
         s = table.Next())
      bytes += ReadRecord(table), ++records;
  } else {
    std::cerr << "store_bench: unknown command " << command << '\n';
    return 2;
  }
  if (!s.ok()) return Fail(s);
  std::printf("%s %.4f s\n%s_records %zu records\n%s_bytes %zu bytes\n", command.c_str(), Seconds(start),
              command.c_str(), records, command.c_str(), bytes);
  return 0;
}

}  // namespace
}  // namespace zvonar

int main(int argc, char* argv[]) {
  if (argc >= 4 && std::string(argv[1]) == "gen") return zvonar::Generate(std::atol(argv[2]), argv[3]);
  if (argc >= 3) return zvonar::Run(argv[1], argv[2], argc >= 4 ? argv[3] : "");
  std::cerr << "usage: store_bench gen N FILE | open DIR | scan DIR | owner DIR OWNER | month DIR yyyy.mm\n";
  return 2;
}
