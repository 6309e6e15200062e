// Text and path routines over code page 1251 bytes. Letters that fold:
// Latin A-Z (65..90), Cyrillic А-Я (192..223) and Ё (168); their small
// letters lie 32 codes higher, except ё at 184.
#include "import/TextUtils.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "base/Cp1251.h"

namespace zvonar {
namespace {

constexpr unsigned char kSmallYo = 184;
constexpr unsigned char kSmallYe = 229;

std::string_view Before(std::string_view s, std::size_t pos) {
  return s.substr(0, pos);
}
std::string_view After(std::string_view s, std::size_t pos) {
  return s.substr(pos + 1);
}

}  // namespace

std::string LowerTextRu(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    c = LowerCharRu(c);
    if (static_cast<unsigned char>(c) == kSmallYo) c = static_cast<char>(kSmallYe);
  }
  return out;
}

std::size_t PosNoCase(std::string_view needle, std::string_view haystack) {
  if (needle.empty()) return 0;
  const std::size_t pos = LowerTextRu(haystack).find(LowerTextRu(needle));
  return pos == std::string::npos ? 0 : pos + 1;
}

bool StartsWithText(std::string_view prefix, std::string_view text, bool trim, bool ignoreCase) {
  std::string p(prefix);
  std::string t(text);
  if (trim) {
    p = StripCharAll(p, ' ');
    t = StripCharAll(t, ' ');
  }
  if (ignoreCase) {
    p = LowerTextRu(p);
    t = LowerTextRu(t);
  }
  return std::string_view(t).starts_with(p);
}

bool ContainsAnyOf(std::string_view text, const std::vector<std::string>* list) {
  if (list == nullptr || text.empty()) return false;
  const std::string needle = LowerTextRu(text);
  return std::any_of(list->begin(), list->end(),
                     [&](const std::string& item) { return LowerTextRu(item).find(needle) != std::string::npos; });
}

bool IsLetterOrDigitRu(char c) {
  // Code points of the bytes 128..255 that are Cyrillic letters (U+0400 to
  // U+04FF); the rest of the upper half is punctuation and signs.
  static const std::array<bool, 256> kTable = [] {
    std::array<bool, 256> table{};
    for (int b = 0; b < 256; ++b) {
      const char32_t cp = Cp1251ToCodePoint(static_cast<char>(b));
      table[static_cast<std::size_t>(b)] = (cp >= '0' && cp <= '9') || (cp >= 'A' && cp <= 'Z') ||
                                           (cp >= 'a' && cp <= 'z') || (cp >= 0x400 && cp <= 0x4FF);
    }
    return table;
  }();
  return kTable[static_cast<unsigned char>(c)];
}

std::string LowerCharsRu(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = LowerCharRu(c);
  return out;
}

bool HasWholeWord(std::string_view text, std::string_view word) {
  if (word.empty()) return false;
  for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
    const std::size_t end = at + word.size();
    if ((at == 0 || !IsLetterOrDigitRu(text[at - 1])) && (end == text.size() || !IsLetterOrDigitRu(text[end])))
      return true;
  }
  return false;
}

std::string TextBeforeFirst(std::string_view s, char c) {
  const std::size_t pos = s.find(c);
  return std::string(pos == std::string_view::npos ? s : Before(s, pos));
}

std::string TextAfterFirst(std::string_view s, char c) {
  const std::size_t pos = s.find(c);
  return pos == std::string_view::npos ? std::string() : std::string(After(s, pos));
}

std::string TextBeforeLast(std::string_view s, char c) {
  const std::size_t pos = s.rfind(c);
  return pos == std::string_view::npos ? std::string() : std::string(Before(s, pos));
}

std::string TextAfterLast(std::string_view s, char c) {
  const std::size_t pos = s.rfind(c);
  return std::string(pos == std::string_view::npos ? s : After(s, pos));
}

std::string TextBetweenFirst(std::string_view s, char c1, char c2) {
  const std::size_t start = s.find(c1);
  if (start == std::string_view::npos) return {};
  return TextBeforeFirst(After(s, start), c2);
}

std::string TextBetweenLast(std::string_view s, char c1, char c2) {
  const std::size_t end = s.rfind(c2);
  if (end == std::string_view::npos) return {};
  return TextAfterLast(Before(s, end), c1);
}

std::string StripCharOnce(std::string_view s, char c) {
  if (s.starts_with(c)) s.remove_prefix(1);
  if (s.ends_with(c)) s.remove_suffix(1);
  return std::string(s);
}

std::string StripCharAll(std::string_view s, char c) {
  const std::size_t first = s.find_first_not_of(c);
  if (first == std::string_view::npos) return {};
  return std::string(s.substr(first, s.find_last_not_of(c) - first + 1));
}

std::string StripLeadingDashes(std::string_view s) {
  const std::size_t first = s.find_first_not_of("- _");
  return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

std::string CollapseSpaces(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c != ' ' || out.empty() || out.back() != ' ') out.push_back(c);
  }
  return out;
}

std::string RemoveSpaces(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::copy_if(s.begin(), s.end(), std::back_inserter(out), [](char c) { return c != ' '; });
  return out;
}

std::string ReplaceChar(char c1, char c2, std::string_view s) {
  std::string out(s);
  std::replace(out.begin(), out.end(), c1, c2);
  return out;
}

std::string StripTags(std::string_view s) {
  // Removing a tag never creates a '<' before the cut, so one pass from the
  // front does what repeated removal of the first tag would.
  std::string out;
  out.reserve(s.size());
  for (;;) {
    const std::size_t open = s.find('<');
    const std::size_t close = open == std::string_view::npos ? open : s.find('>', open + 1);
    if (close == std::string_view::npos) break;
    out.append(Before(s, open));
    s = After(s, close);
  }
  out.append(s);
  return out;
}

std::size_t SplitByChar(std::string_view text, char sep, std::vector<std::string>* list) {
  if (list == nullptr) return 0;
  if (text.find(sep) == std::string_view::npos) {
    list->emplace_back(text);
    return text.empty() ? 0 : 1;
  }
  for (std::size_t pos = text.find(sep); pos != std::string_view::npos; pos = text.find(sep)) {
    list->emplace_back(Before(text, pos));
    text = After(text, pos);
  }
  list->emplace_back(text);
  return list->size();
}

void SplitByDelimiters(std::string_view text, std::string_view delimiters, std::vector<std::string>* list) {
  if (list == nullptr) return;
  std::size_t start = text.find_first_not_of(delimiters);
  while (start != std::string_view::npos) {
    const std::size_t end = text.find_first_of(delimiters, start);
    list->emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    start = end == std::string_view::npos ? end : text.find_first_not_of(delimiters, end);
  }
  std::erase_if(*list, [](const std::string& item) { return item.size() < 2; });
}

std::string JoinPath(std::string_view dir, std::string_view name) {
  std::string out(dir);
  if (!out.ends_with('/')) out.push_back('/');
  out.append(name);
  return out;
}

std::string FileExtNoDot(std::string_view name) {
  return name.size() > 4 ? TextAfterLast(name, '.') : std::string();
}

}  // namespace zvonar
