// A list of "name=value" lines, the shape of the abonents book (phone number
// to name) and the codes/types table. Lines are kept as written, in order; a
// name is looked up without regard to letter case through a hash index, so a
// book of many thousand lines answers each lookup in constant time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

  // The value Values gives, as a view into the line, or nothing when no line
  // has that name: tells a name with an empty value from a missing one.
  std::optional<std::string_view> ValueOf(std::string_view key) const;

  // 0-based index of the first line whose name equals `key` (as in Values);
  // -1 when there is none.
  int IndexOfName(std::string_view key) const;

 private:
  // One named line in the index: part of the hash of its folded name, the
  // line, where its "=" stands (the name's length) and where the folded name
  // starts in names_.
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t line = kEmpty;
    std::uint32_t eq = 0;
    std::uint32_t nameAt = 0;
  };
  static constexpr std::uint32_t kEmpty = UINT32_MAX;

  void IndexLine(std::size_t lineIndex);
  void Grow();
  // The slot of the named line `key` (folded already, hashed to `hash`), or
  // the empty slot where it would go.
  std::size_t Probe(std::string_view folded, std::uint64_t hash) const;
  // The slot naming `key`, or null.
  const Slot* Find(std::string_view key) const;

  std::vector<std::string> lines_;
  // Open addressing over a power-of-two table, at most half full. A book is
  // looked up several times for every call line of a bill, so a lookup is a
  // hash, a probe or two in one array and one comparison.
  std::vector<Slot> slots_;
  // The folded names one after another, so that a probe compares within one
  // small block instead of reaching into each line.
  std::string names_;
  std::size_t named_ = 0;
};

}  // namespace zvonar
