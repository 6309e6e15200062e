// Number-variant lookup of abonent names. The book may hold a number in any
// of the spellings a bill or a user writes: bare 10 digits (9161234567), or
// with the country prefix 7, +7 or the trunk prefix 8 before them.
#include "import/AbonentLookup.h"

#include <algorithm>
#include <array>

namespace zvonar {
namespace {

constexpr int kModeNumberVariants = 1;
constexpr std::size_t kFullNumberLength = 10;

}  // namespace

std::string FindAbonentName(std::string_view number, std::string_view townCode, int mode, const NameValueList& book) {
  if (number.empty() || number.front() == 'S') return {};
  std::string name = book.Values(number);
  if (!name.empty() || mode != kModeNumberVariants) return name;

  // The spellings are put together in one small buffer: this runs for every
  // call line of a bill whose number the book does not hold as written.
  std::string withTown;
  std::string_view full = number;
  if (number.size() >= 5 && number.size() <= 8) {
    withTown.reserve(townCode.size() + number.size());
    withTown.append(townCode).append(number);
    full = withTown;
  }
  if (full.size() < kFullNumberLength) return {};

  const std::string_view tail = full.substr(full.size() - kFullNumberLength);
  char spelling[2 + kFullNumberLength];
  for (const std::string_view prefix : std::array<std::string_view, 4>{"", "7", "+7", "8"}) {
    if (prefix.empty() && tail == number) continue;  // looked up as given above
    std::copy(prefix.begin(), prefix.end(), spelling);
    std::copy(tail.begin(), tail.end(), spelling + prefix.size());
    name = book.Values(std::string_view(spelling, prefix.size() + tail.size()));
    if (!name.empty()) return name;
  }
  return {};
}

}  // namespace zvonar
