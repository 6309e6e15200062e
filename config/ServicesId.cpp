// The add and remove rules of the service-kind lists. Matching is the
// program's case-insensitive substring search over code page 1251 text.
#include "config/ServicesId.h"

#include "import/TextUtils.h"

namespace zvonar {

std::string AddIdToList(std::string_view list, std::string_view id) {
  if (id.empty()) return std::string(list);
  if (list.empty()) return std::string(id);
  if (PosNoCase(id, list) != 0) return std::string(list);
  std::string joined(list);
  joined += '#';
  joined += id;
  return joined;
}

std::string RemoveIdFromList(std::string_view list, std::string_view id) {
  if (id.empty() || list.empty()) return std::string(list);
  const std::size_t pos = PosNoCase(id, list);
  if (pos == 0) return std::string(list);
  if (list.find('#') == std::string_view::npos) return {};
  std::size_t start = pos - 1;  // 0-based
  std::size_t length = id.size();
  if (start == 0) {
    if (length < list.size() && list[length] == '#') ++length;
  } else if (list[start - 1] == '#') {
    --start;
    ++length;
  }
  std::string rest(list.substr(0, start));
  if (start + length < list.size()) rest += list.substr(start + length);
  return rest;
}

}  // namespace zvonar
