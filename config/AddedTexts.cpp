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
    "Detalization for number:",
    "for the period:",
    "Start of Detalization",
    "End of Detalization",
    "Time / Date",
    "Number",
    "Abonent",
    "Code",
    "Type",
    "Sec",
    "Min",
    "Cost",
    "Roaming",
    "Statistic",
    "%1: 1 text cell longer than its field was cut: %2",
    "%1: %2 text cells longer than their field were cut: %3",
    "line %1, %2",
    "The table engine is built into the program: there is nothing to install.",
    "Records that got a name from the abonents book: %1.",
    "Rows of the result list that got a name from the abonents book: %1.",
    "Nothing was done: there is no abonents book %1.",
    "Records whose codes and types got their texts: %1.",
    "Records whose codes and types got their markers back: %1.",
    "Nothing was changed: there is no codetype.dat in %1, or it holds no codes.",
    "Records where \"%2\" was changed to \"%3\": %1.",
    "Nothing was changed: both the text to find and its replacement are needed.",
    "Numbers without a name added to the abonents book: %1.",
    "Nothing was added: every number of 6 or more digits has a name or is in the abonents book already.",
    "Nothing was done: the table holds no records.",
    "Nothing was done: the result list is empty.",
    "Nothing was done: the table is not open.",
    "Zvonar imports the itemised bills of your mobile operator into a table of its own, where you filter, count, name and print your calls.",
    "Add your bills (text or HTML exports of the operator), drop them onto this window, or try the program on the example bills.",
    "Open the example bills",
    "Bills (*.txt *.htm *.html)",
    "The example bills were not found in %1.",
    "Undo",
    "Undo %1 of %2 (%3 records)?",
    "%1 of %2 is taken back: %3 records are as they were before it.",
    "%1 records changed since by another program were left as they are.",
    "%1 of %2 can no longer be undone: its before-images were dropped to keep the history within its bounds.",
    "Delete Record",
    "Loading...",
    "Copying...",
    "Text File",
    "HTML File",
    "Data",
    "Filter",
    "Summary",
    "All",
    "Lang",
    "Data not Corrected, so not Stored:",
    "Author",
    "version %1",
    "Reads the operator's itemised bills into a local table and finds your calls in it.",
    "This release keeps its table and index in standard dBase files.",
    "Made for people who like to know where their money goes.",
    "e-mail:",
    "site:",
    "Error on Load Language File",
    "Error on Open DataBase!",
    "Try Reopen DataBase?",
    "Error on Re-Open DataBase!",
    "Error on Load Old DataBase!",
    "Error on Copy Old DataBase!",
    "DB Type",
    "Fields Length",
    "Owner Field:",
    "DateTime Field:",
    "Number Field:",
    "Abonent Field:",
    "Code Field:",
    "Type Field:",
    "Sec Field:",
    "Min Field:",
    "Cost Field:",
    "MTP Field:",
    "All Field:",
    "Roaming Field:",
    "The number is empty.",
    "A number or a name cannot hold a line break or a TAB.",
    "A number or a name cannot hold \"#\": it separates the cells of list files.",
    "A number cannot hold \"=\".",
    "A number cannot begin with \"[\" or \";\".",
    "The character \"%1\" (U+%2) has no code in code page 1251.",
    "The table is being read by the Zvonar window; try again in a moment.",
    "%1 of the %2 records of %3 are already in the table (%4 to %5). Skip them?",
    "Find Duplicates...",
    "Equal Records",
    "%1 groups of equal records; %2 records besides the first of their group.",
    "Delete All but the First of Each Group",
    "Group",
    "Record",
    "No equal records were found.",
    "%1 records deleted. Undo brings them back.",
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
