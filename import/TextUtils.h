// Small text and path routines over code page 1251 byte strings: case folding
// for Russian, cutting at a character, trimming, splitting the "#"-lists and
// joining file names. The bill parsers are built from them; the filter, the
// reference books and start-up use some. All are pure (the splitters only
// append to the list they are given) and never throw.
//
// Positions are 1-based with 0 for "not found", so that a position counts
// characters the way the bill formats are described.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zvonar {

// --- Case folding and searching ---

// Lower case of one character: Latin A-Z and Cyrillic А-Я (192..223) move to
// their small letters, Ё (168) becomes ё (184); every other code is unchanged.
// Inline: lookups fold every character of every key.
inline char LowerCharRu(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (static_cast<unsigned char>(u - 'A') < 26 || static_cast<unsigned char>(u - 192) < 32)
    return static_cast<char>(u + 32);
  return u == 168 ? static_cast<char>(184) : c;
}

// Every character through LowerCharRu, then ё (184) becomes е (229), so Ё, ё,
// Е and е all fold to е. For searching text, not for comparing names.
std::string LowerTextRu(std::string_view s);

// 1-based position of `needle` inside `haystack`, both folded by LowerTextRu;
// 0 when absent or when `needle` is empty.
std::size_t PosNoCase(std::string_view needle, std::string_view haystack);

// True when `text` begins with `prefix`. With `trim`, both first lose their
// leading and trailing spaces; with `ignoreCase`, both are folded by
// LowerTextRu. An empty prefix matches every text.
bool StartsWithText(std::string_view prefix, std::string_view text, bool trim, bool ignoreCase);

// True when `text` occurs (PosNoCase) inside at least one item of `list`.
// False when `list` is null or empty, and for an empty `text`.
bool ContainsAnyOf(std::string_view text, const std::vector<std::string>* list);

// True for a letter or digit of code page 1251: 0-9, Latin A-Z and a-z, and
// every Cyrillic letter the code page holds (А-я, Ё, ё, and the Ukrainian,
// Belarusian, Serbian and Macedonian letters).
bool IsLetterOrDigitRu(char c);

// Every character of `s` through LowerCharRu (Ё and ё stay apart from Е, е).
std::string LowerCharsRu(std::string_view s);

// True when `word` stands in `text` as a whole word: `text` equals it, or
// holds it with each neighbour either the start or end of `text` or a
// character that is not a letter or digit (IsLetterOrDigitRu). Bytes compare
// as they are, so fold both first to ignore letter case. An empty `word`
// stands nowhere.
bool HasWholeWord(std::string_view text, std::string_view word);

// --- Cutting at a character ---

// Characters of `s` before the first `c`; all of `s` when `c` is absent.
std::string TextBeforeFirst(std::string_view s, char c);

// Characters of `s` after the first `c`; empty when `c` is absent.
std::string TextAfterFirst(std::string_view s, char c);

// Characters of `s` before the last `c`; empty when `c` is absent.
std::string TextBeforeLast(std::string_view s, char c);

// Characters of `s` after the last `c`; all of `s` when `c` is absent.
std::string TextAfterLast(std::string_view s, char c);

// Characters after the first `c1` up to the next `c2`; the rest of `s` when
// no `c2` follows; empty when `c1` is absent.
std::string TextBetweenFirst(std::string_view s, char c1, char c2);

// Characters before the last `c2` back to the nearest `c1` preceding it; all
// of `s` before that `c2` when no `c1` precedes it; empty when `c2` is absent.
// With '>' and '<' this is the text of the last element of an HTML line.
std::string TextBetweenLast(std::string_view s, char c1, char c2);

// --- Trimming and spaces ---

// `s` without one leading `c` and one trailing `c` (each only if present).
std::string StripCharOnce(std::string_view s, char c);

// `s` without all its leading and trailing `c`.
std::string StripCharAll(std::string_view s, char c);

// `s` without its leading run of '-', ' ' and '_'.
std::string StripLeadingDashes(std::string_view s);

// `s` with every run of spaces (a trailing one too) turned into one space.
std::string CollapseSpaces(std::string_view s);

// `s` without any space.
std::string RemoveSpaces(std::string_view s);

// `s` with every `c1` replaced by `c2`.
std::string ReplaceChar(char c1, char c2, std::string_view s);

// `s` with its markup removed: while a '<' has a '>' after it, the first '<'
// through the first '>' after it goes. A '<' with no later '>' stays, and so
// does everything after it.
std::string StripTags(std::string_view s);

// --- Splitting ---

// Appends to `list` the pieces of `text` between the `sep` characters, empty
// pieces included, and returns the list's whole count (items it held before
// included). A text without `sep` is appended as one item (even when empty)
// and the result is then 1, or 0 for an empty text. A null `list` gives 0.
// The list is not cleared first.
std::size_t SplitByChar(std::string_view text, char sep, std::vector<std::string>* list);

// Appends to `list` the runs of `text` between characters of `delimiters`
// (consecutive delimiters give no empty item), then removes every item shorter
// than two characters from the whole list, items held before included.
// Nothing happens for a null `list`.
void SplitByDelimiters(std::string_view text, std::string_view delimiters, std::vector<std::string>* list);

// --- Paths ---
// Paths are bytes in the file system's encoding (UTF-8), not code page 1251
// texts; these routines look only at "/" and "." and pass the rest through.

// `name` in directory `dir` with exactly one "/" between them when `dir` does
// not end with one. An empty `dir` gives "/" + name.
std::string JoinPath(std::string_view dir, std::string_view name);

// Text after the last '.' of `name` when it is longer than four characters,
// else empty: "a.txt" gives "txt"; a longer name without a dot gives itself.
std::string FileExtNoDot(std::string_view name);

}  // namespace zvonar
