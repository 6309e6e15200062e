// Name=Value lines with a case-insensitive index. The index maps each folded
// name to its first line only, so later lines with the same name never
// answer, just as a front-to-back search would behave.
#include "import/NameValueList.h"

#include <utility>

#include "import/TextUtils.h"

namespace zvonar {
namespace {

std::string FoldName(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = LowerCharRu(c);
  return out;
}

}  // namespace

NameValueList NameValueList::FromLines(std::vector<std::string> lines) {
  NameValueList list;
  list.lines_ = std::move(lines);
  list.firstLineOfName_.reserve(list.lines_.size());
  for (std::size_t i = 0; i < list.lines_.size(); ++i) list.IndexLine(i);
  return list;
}

void NameValueList::Add(std::string line) {
  lines_.push_back(std::move(line));
  IndexLine(lines_.size() - 1);
}

void NameValueList::Clear() {
  lines_.clear();
  firstLineOfName_.clear();
}

void NameValueList::IndexLine(std::size_t lineIndex) {
  const std::string_view line = lines_[lineIndex];
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return;
  firstLineOfName_.try_emplace(FoldName(line.substr(0, eq)), lineIndex);
}

int NameValueList::IndexOfName(std::string_view key) const {
  const auto it = firstLineOfName_.find(FoldName(key));
  return it == firstLineOfName_.end() ? -1 : static_cast<int>(it->second);
}

std::string NameValueList::Values(std::string_view key) const {
  const int index = IndexOfName(key);
  return index < 0 ? std::string() : TextAfterFirst(lines_[static_cast<std::size_t>(index)], '=');
}

}  // namespace zvonar
