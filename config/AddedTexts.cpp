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
    "%1 was imported on %2, but its records are no longer in the table: it was imported again",
};

}  // namespace

std::string_view EnglishText(AddedText t) { return kEnglish[static_cast<std::size_t>(t) - kFirstAdded]; }

std::string TextOf(const LanguageFile& lang, AddedText t) {
  const std::string& line = lang.Line(static_cast<std::size_t>(t));
  return line.empty() ? std::string(EnglishText(t)) : line;
}

}  // namespace zvonar
