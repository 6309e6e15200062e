// Times name lookups in an abonents book: builds a book of LINES entries
// spelled the ways users write numbers (bare 10 digits, 7, +7, 8 and local
// numbers), then runs LOOKUPS queries mixing exact hits, misses, variant
// lookups and service numbers. Prints "name value unit" lines.
//
// Usage: bench_lookup [LINES [LOOKUPS]]   (defaults 10000 and 1000000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "import/AbonentLookup.h"
#include "import/NameValueList.h"

namespace {

using zvonar::FindAbonentName;
using zvonar::NameValueList;

constexpr const char* kTownCode = "495";

std::string Cat(std::string_view a, std::string_view b) {
  std::string out;
  out.reserve(a.size() + b.size());
  out.append(a).append(b);
  return out;
}

std::string TenDigits(std::size_t i) {
  return Cat("916", std::to_string(1000000 + i % 9000000));
}

// The number of book line i as written in the book.
std::string BookNumber(std::size_t i) {
  const std::string full = TenDigits(i);
  switch (i % 5) {
    case 0:
      return full;
    case 1:
      return Cat("7", full);
    case 2:
      return Cat("+7", full);
    case 3:
      return Cat("8", full);
    default:
      return Cat(Cat("8", kTownCode), full.substr(3));
  }
}

// Query q: exact hits, variant hits (another spelling or a local number),
// misses, and service numbers, in a fixed rotation.
std::string Query(std::size_t q, std::size_t lines, int* mode) {
  const std::size_t i = (q * 7919) % lines;
  *mode = 1;
  switch (q % 8) {
    case 0:
    case 1:
      *mode = 0;
      return BookNumber(i);
    case 2:
      return BookNumber(i);
    case 3:
      return Cat("+7", TenDigits(i));
    case 4:
      return TenDigits(i).substr(3);  // local: town code goes in front
    case 5:
      return Cat("7", TenDigits(lines + i));  // miss after all variants
    case 6:
      *mode = 0;
      return TenDigits(lines + i);  // exact-only miss
    default:
      return Cat("S", std::to_string(i));
  }
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t lines = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10000;
  const std::size_t lookups = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1000000;
  if (lines == 0 || lines > 9000000) {
    std::fprintf(stderr, "bench_lookup: LINES must be 1..9000000\n");
    return 2;
  }

  std::vector<std::string> bookLines;
  bookLines.reserve(lines);
  for (std::size_t i = 0; i < lines; ++i) bookLines.push_back(Cat(BookNumber(i), Cat("=Abonent ", std::to_string(i))));

  // Queries are made up front so that only the lookups are timed.
  std::vector<std::string> numbers(lookups);
  std::vector<int> modes(lookups);
  for (std::size_t q = 0; q < lookups; ++q) numbers[q] = Query(q, lines, &modes[q]);

  auto start = std::chrono::steady_clock::now();
  const NameValueList book = NameValueList::FromLines(std::move(bookLines));
  const double loadSeconds = SecondsSince(start);

  std::size_t found = 0;
  start = std::chrono::steady_clock::now();
  for (std::size_t q = 0; q < lookups; ++q) {
    if (!FindAbonentName(numbers[q], kTownCode, modes[q], book).empty()) ++found;
  }
  const double lookupSeconds = SecondsSince(start);

  std::printf("lookup_book_lines %zu lines\n", lines);
  std::printf("lookup_book_load %.2f ms\n", loadSeconds * 1e3);
  std::printf("lookup_queries %zu queries\n", lookups);
  std::printf("lookup_found %zu queries\n", found);
  std::printf("lookup_total %.3f s\n", lookupSeconds);
  std::printf("lookup_per_query %.0f ns\n", lookupSeconds * 1e9 / static_cast<double>(lookups));
  return 0;
}
