// A list of "name=value" lines, the shape of the abonents book (phone number
// to name) and the codes/types table. Lines are kept as written, in order; a
// name is looked up without regard to letter case through a hash index, so a
// book of many thousand lines answers each lookup in constant time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zvonar {

class NameValueList {
 public:
  NameValueList() = default;

  // A list holding `lines` in their order, for example the lines of a file
  // read by ReadTextLines.
  static NameValueList FromLines(std::vector<std::string> lines);

  // Appends one line.
  void Add(std::string line);
  void Clear();

  const std::vector<std::string>& lines() const { return lines_; }
  std::size_t size() const { return lines_.size(); }

  // The text after the first "=" of the first line whose name equals `key`,
  // or empty when no line has that name. A line's name is its text before the
  // first "="; a line without "=" has no name and is never found, so a
  // section header or a stray line cannot hide a later entry. Names compare
  // letter by letter through LowerCharRu: Latin and Cyrillic letters match
  // their other case and Ё matches ё, but ё and е stay different letters.
  std::string Values(std::string_view key) const;

  // 0-based index of the first line whose name equals `key` (as in Values);
  // -1 when there is none.
  int IndexOfName(std::string_view key) const;

 private:
  void IndexLine(std::size_t lineIndex);

  std::vector<std::string> lines_;
  // Folded name -> index of the first line with that name.
  std::unordered_map<std::string, std::size_t> firstLineOfName_;
};

}  // namespace zvonar
