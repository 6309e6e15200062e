// Number-variant lookup of abonent names. The book may hold a number in any
// of the spellings a bill or a user writes: bare 10 digits (9161234567), or
// with the country prefix 7, +7 or the trunk prefix 8 before them.
#include "import/AbonentLookup.h"

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

  std::string full(number);
  if (number.size() >= 5 && number.size() <= 8) full = std::string(townCode) + full;
  if (full.size() < kFullNumberLength) return {};

  const std::string tail = full.substr(full.size() - kFullNumberLength);
  for (const char* prefix : std::array{"", "7", "+7", "8"}) {
    name = book.Values(prefix + tail);
    if (!name.empty()) return name;
  }
  return {};
}

}  // namespace zvonar
