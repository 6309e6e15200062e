// bill_gen: writes an invented operator bill of any size, the same for the
// same seed, and an abonents book for it. The bill has the shape the
// detalization parser reads: the account header and summary, then per phone
// a charges section and a talk section with legends, column headers and page
// breaks, and a roaming section every few phones. Call lines take their
// numbers from a pool of which the book names a part, some of them under the
// "8" + ten digits spelling, so names are found both directly and through the
// number variants.
//
// Each phone adds two charge lines to its calls; --phones sets how many
// phones share the call lines (20 unless given).
//
// Usage: bill_gen CALL_LINES BILL_FILE [BOOK_FILE [BOOK_ENTRIES]] [--seed N] [--phones N]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "config/RegisterFields.h"

namespace {

using zvonar::RegisterField;

constexpr int kLinesPerPage = 60;
constexpr const char* kCodes[] = {"\xCC", "\xC3", "\xCC\xC3"};  // М, Г, МГ
constexpr const char* kTypes[] = {"1", "2", "8", "9"};
// "Стр." and "Дата  Время  Номер"
constexpr const char* kPageLine = "                                                     \xD1\xF2\xF0. ";
constexpr const char* kHeaderLine = "   \xC4\xE0\xF2\xE0     \xC2\xF0\xE5\xEC\xFF    \xCD\xEE\xEC\xE5\xF0";

std::string Phone(int phone) {
  return "916" + std::to_string(2000000 + phone * 7919);
}

std::string PoolNumber(unsigned i) {
  return "495" + std::to_string(1000000 + i * 37 % 9000000);
}

class Writer {
 public:
  Writer(const std::string& path, unsigned seed) : out_(path, std::ios::binary), rng_(seed) {}
  bool ok() const { return static_cast<bool>(out_); }

  void Line(const std::string& text) { out_ << text << "\r\n"; }

  void Header(const zvonar::RegisterFields& f) {
    Line("\xD1\xF7\xE5\xF2 \xEA\xEB\xE8\xE5\xED\xF2\xE0 : 1234567");  // Счет клиента :
    Line("\xCA\xEB\xE8\xE5\xED\xF2 : Generated");                     // Клиент :
    Line(f.Text(RegisterField::BalanceInfo));
    Line(f.Text(RegisterField::BalanceDate) + " 31.03.2008      120.50");
    Line("\xCD\xE0\xF7\xE8\xF1\xEB\xE5\xED\xEE \xE7\xE0 \xEF\xE5\xF0\xE8\xEE\xE4 :   379.50");  // Начислено за период :
    Line("  \xC8\xF1\xF5\xEE\xE4\xFF\xF9\xE8\xE5 \xEC\xE5\xF1\xF2\xED\xFB\xE5   100.00");  // Исходящие местные
    Line("\xC8\xF2\xEE\xE3\xEE (\xD2\xE5\xEB\xE5\xF4\xEE\xED\xE8\xFF)   379.50");  // Итого (Телефония)
    Line("");
  }

  void Charges(const zvonar::RegisterFields& f, int phone) {
    Line("          " + f.Text(RegisterField::VedomostAdding) + " +7/" + Phone(phone));
    Line("  " + f.Text(RegisterField::AbonPay) + "        150.00 " + SkipFirst(f));
    Line("  " + f.Text(RegisterField::AddService1) + "        10.00 " + SkipFirst(f));
  }

  // A section of `lines` call lines; roaming lines carry one amount and a network.
  void Calls(const zvonar::RegisterFields& f, int phone, long lines, bool roaming, unsigned pool) {
    Line("          " + f.Text(roaming ? RegisterField::VedomostRoaming : RegisterField::VedomostTalk) + " +7/" +
         Phone(phone));
    Line(f.Text(RegisterField::TypeMarker) + " 1 - out, 2 - in, 8 - SMS out, 9 - SMS in");
    Line(f.Text(RegisterField::CodeMarker) + " M - mobile, G - town");
    for (long i = 0; i < lines; ++i) {
      if (i % kLinesPerPage == 0) {
        Line(kPageLine + std::to_string(++page_));
        Line(kHeaderLine);
      }
      const unsigned r = static_cast<unsigned>(rng_());
      const int day = static_cast<int>(i * 31 / (lines + 1)) + 1;
      const int secs = static_cast<int>(r % 900);
      char buf[160];
      // Data sessions have no number; their code stands in its column.
      const bool data = r % 50 == 0;
      const std::string number = data ? "" : PoolNumber(r % pool);
      const char* code = data ? "G" : kCodes[r / 7 % 3];
      const char* type = kTypes[r / 11 % 4];
      const int cents = static_cast<int>(r / 13 % 5000);
      if (roaming)
        std::snprintf(buf, sizeof buf, "%02d.03.2008 %02d:%02d:%02d %-11s %-3s %-2s %5d %4d.%02d Network%u", day,
                      r / 17 % 24, r / 19 % 60, r / 23 % 60, number.c_str(), code, type, secs, cents / 100, cents % 100,
                      r % 9);
      else
        std::snprintf(buf, sizeof buf,
                      "%02d.03.2008 %02d:%02d:%02d %-11s %-3s %-2s %5d %3d.00 %4d.%02d   0.00 %4d.%02d", day,
                      r / 17 % 24, r / 19 % 60, r / 23 % 60, number.c_str(), code, type, secs, (secs + 59) / 60,
                      cents / 100, cents % 100, cents / 100, cents % 100);
      Line(buf);
    }
  }

 private:
  static std::string SkipFirst(const zvonar::RegisterFields& f) {
    const std::string& minus = f.Text(RegisterField::Minus);
    return minus.substr(0, minus.find('#'));
  }

  std::ofstream out_;
  std::mt19937 rng_;
  long page_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  unsigned seed = 1;
  int phones = 20;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--seed" && i + 1 < argc)
      seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    else if (a == "--phones" && i + 1 < argc)
      phones = std::max(1, std::atoi(argv[++i]));
    else
      args.push_back(a);
  }
  if (args.size() < 2 || args.size() > 4) {
    std::fprintf(stderr, "usage: bill_gen CALL_LINES BILL_FILE [BOOK_FILE [BOOK_ENTRIES]] [--seed N] [--phones N]\n");
    return 2;
  }
  const long lines = std::strtol(args[0].c_str(), nullptr, 10);
  const unsigned bookEntries =
      args.size() > 3 ? static_cast<unsigned>(std::strtoul(args[3].c_str(), nullptr, 10)) : 10000;
  const unsigned pool = bookEntries * 2 + 1;  // half the numbers called have a name
  const zvonar::RegisterFields fields;
  Writer bill(args[1], seed);
  bill.Header(fields);
  for (int phone = 0; phone < phones; ++phone) {
    const long share = lines / phones + (phone < lines % phones ? 1 : 0);
    const long roaming = phone % 4 == 3 ? share / 10 : 0;
    bill.Charges(fields, phone);
    bill.Calls(fields, phone, share - roaming, false, pool);
    if (roaming > 0) bill.Calls(fields, phone, roaming, true, pool);
  }
  if (!bill.ok()) {
    std::fprintf(stderr, "bill_gen: cannot write %s\n", args[1].c_str());
    return 1;
  }
  if (args.size() > 2) {
    std::ofstream book(args[2], std::ios::binary);
    book << "[Abonents]\r\n";
    for (unsigned i = 0; i < bookEntries; ++i)
      book << (i % 4 == 0 ? "8" : "") << PoolNumber(i * 2) << "=Abonent " << i << "\r\n";
    if (!book) {
      std::fprintf(stderr, "bill_gen: cannot write %s\n", args[2].c_str());
      return 1;
    }
  }
  return 0;
}
