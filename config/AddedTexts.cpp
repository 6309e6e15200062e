// The English texts of the added language lines, in line order.
#include "config/AddedTexts.h"

#include <array>

namespace zvonar {
namespace {

constexpr std::size_t kFirstAdded = static_cast<std::size_t>(AddedText::AlreadyRunning);

constexpr std::array<std::string_view, kLanguageFileLines - kFirstAdded> kEnglish = {
    "Zvonar is already running with this data directory.",
    "The table is in use by another program.",
    "%1 text cells were longer than their field and were cut.",
    "%1 unfinished records that a failed or killed program had left were dropped.",
    "Replace the name \"%1\" the book holds for it?",
    "Only the name of the file is kept: at the next start it is looked for in the data directory.",
    "Calls ID:",
    "SMS ID:",
    "MMS ID:",
    "Export Filtered to CSV...",
    "Delete the current record?",
    "Export PDF...",
    "Charts...",
    "Cost by month",
    "Minutes by month",
    "Top numbers",
    "Activity",
    "Top %1 numbers by minutes",
    "Top %1 numbers by cost",
    "Records by hour of the day",
    "Records by day of the week",
    "Month",
    "Hour",
    "Day of the week",
    "Records",
    "Cost",
    "Minutes",
    "Other types",
    "(no type)",
    "Save Image...",
    "PNG image (*.png);;SVG image (*.svg)",
    "The image could not be written to %1.",
    "%1 Sec, Min or Cost cells are not numbers and were left out.",
    "This bill was imported on %1 (%2 records). Import it again?",
    "Undo Last Import",
    "Remove the %1 records of %2 imported on %3?",
    "%1: %2 records removed",
    "%1 characters have no place in code page 1251 and were read as \"?\".",
    "%1 lines were not stored",
    "file %1 / %2",
    "%1: %2 records added",
    "%1: skipped",
    "The text is %1 characters long; the field %2 holds %3 (its width is set in the DB Fields dialog).",
    "The text cannot hold \"#\": it separates the cells of list files.",
    "The text cannot hold a line break or a TAB.",
    "The name is empty or only blanks.",
    "%1 records kept a field as it was: the text for it is longer than the field, such as \"%2\" for %3 (%4 "
    "characters, set in the DB Fields dialog).",
    "%1 cells held \"#\", \"=\", a line break or a TAB: \"#\" was written as \"\xB9\", the others as a blank.",
    "The number \"%1\" is no longer in the abonents book: another program removed it.",
    "A code cannot hold \"=\": it ends the code in codetype.dat.",
    "This old base was loaded on %1 (%2 records). Load it again?",
    "%1 records of the old base were added.",
    "No old base was found in %1 (detalization.dat and a file OWNER.dat for each owner).",
    "%1 was imported on %2, but its records are no longer in the table: it was imported again",
    "(no type)",
    "The table is being read by the Zvonar window; try again in a moment.",
};

}  // namespace

std::string_view EnglishText(AddedText t) { return kEnglish[static_cast<std::size_t>(t) - kFirstAdded]; }

std::string TextOf(const LanguageFile& lang, AddedText t) {
  const std::string& line = lang.Line(static_cast<std::size_t>(t));
  return line.empty() ? std::string(EnglishText(t)) : line;
}

std::string FillArgs(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    const auto n = static_cast<std::size_t>(next - '1');
    if (pattern[i] == '%' && next >= '1' && next <= '9' && n < args.size()) {
      out += *(args.begin() + n);
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace zvonar
