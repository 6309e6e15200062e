// Texts are code page 1251 bytes, one byte a character, so a text's length
// in characters is its size. A field's width is the count of characters it
// holds; a longer text would be cut when the record is written.
#include "books/StoredText.h"

#include <algorithm>
#include <cctype>

#include "config/AddedTexts.h"
#include "config/LanguageFile.h"
#include "store/DbfFile.h"
#include "store/DetalTable.h"
#include "store/Table.h"

namespace zvonar {
namespace {

int WidthOf(const std::vector<FieldDef>& fields, std::string_view name, int fallback) {
  for (const FieldDef& f : fields)
    if (f.name.size() == name.size() && std::equal(f.name.begin(), f.name.end(), name.begin(), [](char a, char b) {
          return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
        }))
      return f.width;
  return fallback;
}

BookFieldWidths WidthsOf(const std::vector<FieldDef>& fields, const BookFieldWidths& fallback) {
  return {WidthOf(fields, DetalFieldName(kAbonentField), fallback.abonent),
          WidthOf(fields, DetalFieldName(kCodeField), fallback.code),
          WidthOf(fields, DetalFieldName(kTypeField), fallback.type)};
}

AddedText TextOfFault(StoredTextFault fault) {
  switch (fault) {
    case StoredTextFault::Blank:
      return AddedText::NameBlank;
    case StoredTextFault::LineBreak:
      return AddedText::TextHasLineBreak;
    case StoredTextFault::Hash:
      return AddedText::TextHasHash;
    default:
      return AddedText::TextTooLong;
  }
}

// A field as the user knows it: the title of its column in the language
// file (lines 3 and 5 to 15 title the columns in field order), else the
// field's name.
std::string FieldCaption(const std::string& field, const LanguageFile& lang) {
  constexpr std::size_t kColumnTitleLines = 16;
  if (!lang.HasGroup(kColumnTitleLines)) return field;
  for (int i = 0; i < kDetalFieldCount; ++i) {
    if (field != DetalFieldName(i)) continue;
    const std::string title = PlainCaption(lang.Line(i == 0 ? 3 : static_cast<std::size_t>(i) + 4));
    return title.empty() ? field : title;
  }
  return field;
}

}  // namespace

BookFieldWidths BookFieldWidthsOf(const std::array<int, 12>& settingsWidths) {
  // A new table's fields are kept within 1 to 254 characters.
  const auto width = [&](int field) { return std::clamp(settingsWidths[static_cast<std::size_t>(field)], 1, 254); };
  return {width(kAbonentField), width(kCodeField), width(kTypeField)};
}

BookFieldWidths BookFieldWidthsOf(const Table& table) {
  std::vector<FieldDef> fields;
  for (int i = 0; i < table.FieldCount(); ++i) fields.push_back(table.Field(i));
  return WidthsOf(fields, BookFieldWidths{});
}

BookFieldWidths ReadBookFieldWidths(const std::string& tablePath, const BookFieldWidths& fallback) {
  DbfFile dbf;
  return dbf.Open(tablePath, false).ok() ? WidthsOf(dbf.fields(), fallback) : fallback;
}

StoredTextCheck CheckStoredText(std::string_view text, std::string_view field, int width) {
  StoredTextCheck check;
  check.field = field;
  check.width = width;
  check.length = text.size();
  if (text.find_first_of("\r\n\t") != std::string_view::npos)
    check.fault = StoredTextFault::LineBreak;
  else if (text.find('#') != std::string_view::npos)
    check.fault = StoredTextFault::Hash;
  else if (text.size() > static_cast<std::size_t>(std::max(width, 0)))
    check.fault = StoredTextFault::TooLong;
  return check;
}

StoredTextCheck CheckCodeTypeText(std::string_view text, const BookFieldWidths& widths) {
  return widths.type < widths.code ? CheckStoredText(text, DetalFieldName(kTypeField), widths.type)
                                   : CheckStoredText(text, DetalFieldName(kCodeField), widths.code);
}

std::string StoredTextMessage(const StoredTextCheck& check, const LanguageFile& lang) {
  const std::string pattern = TextOf(lang, TextOfFault(check.fault));
  return FillArgs(pattern, {std::to_string(check.length), FieldCaption(check.field, lang), std::to_string(check.width)});
}

std::string LeftRecordsMessage(const LeftRecords& left, const LanguageFile& lang) {
  if (left.count == 0) return {};
  return FillArgs(TextOf(lang, AddedText::RecordsLeft),
                  {std::to_string(left.count), left.text, FieldCaption(left.field, lang), std::to_string(left.width)});
}

}  // namespace zvonar
