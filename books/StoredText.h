// Texts the reference books put into the records: a name into Abonent, an
// indication or a marker into Code and Type. Such a text must stand whole in
// its field, or a later return, filter or statistic misses it, and must not
// hold the characters that separate cells and lines in list files. A text
// typed by the user is checked before it is stored; a text read from a
// hand-edited file is skipped by the fills, which count what they left.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Status.h"

namespace zvonar {

class LanguageFile;
class Table;

// Why a text cannot be stored.
enum class StoredTextFault {
  None,
  Blank,      // empty or only blanks (a name)
  LineBreak,  // holds CR, LF or TAB
  Hash,       // holds "#"
  TooLong,    // longer than its field
};

struct StoredTextCheck {
  StoredTextFault fault = StoredTextFault::None;
  std::string field;       // the record field the text is meant for
  int width = 0;           // that field's width in characters
  std::size_t length = 0;  // the text's length in characters
  bool ok() const { return fault == StoredTextFault::None; }
};

// The widths of the record fields the books write into.
struct BookFieldWidths {
  int abonent = 50;
  int code = 15;
  int type = 15;
};

// The widths the DB Fields dialog sets (the settings Owner_Field ..
// Roaming_Field in field order), with which a new table is created.
BookFieldWidths BookFieldWidthsOf(const std::array<int, 12>& settingsWidths);
// The widths of the open detalization table.
BookFieldWidths BookFieldWidthsOf(const Table& table);
// The widths of the table file at `tablePath` as its field descriptors give
// them, read without taking the table; `fallback` when there is no such
// file or it cannot be read (the table's own commands report that).
BookFieldWidths ReadBookFieldWidths(const std::string& tablePath, const BookFieldWidths& fallback);

// Checks a text meant for the field `field` of `width` characters: no line
// break, TAB or "#", and at most `width` characters.
StoredTextCheck CheckStoredText(std::string_view text, std::string_view field, int width);
// An indication or marker of the codes/types table lands in Code or in
// Type: it is checked against the narrower of the two.
StoredTextCheck CheckCodeTypeText(std::string_view text, const BookFieldWidths& widths);

// The message of a failed check in the language of `lang` (English when it
// has no such line), the field named by its column title there; texts in
// code page 1251.
std::string StoredTextMessage(const StoredTextCheck& check, const LanguageFile& lang);

// Records in which a fill left a field as it was because the text for it
// does not fit the field, and the first such text.
struct LeftRecords {
  std::uint32_t count = 0;
  std::string field;
  std::string text;
  int width = 0;
};

// What a fill tells about the records it left; empty when it left none.
std::string LeftRecordsMessage(const LeftRecords& left, const LanguageFile& lang);

}  // namespace zvonar
