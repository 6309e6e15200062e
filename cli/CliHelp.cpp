// Help texts of zvonar-cli. Each command's words are kept once here and laid
// out three ways: the command list, "help COMMAND" and the whole help that
// the manual page is generated from. The layout follows the usual shape of a
// command's help (an indented tag, its text from column 23, lines up to 79
// columns), so the manual page generator finds the sections and the tags.
#include "cli/CliHelp.h"

#include <algorithm>
#include <string>

namespace zvonar {
namespace {

struct OptionHelp {
  std::string_view tag;
  std::string_view text;
};

struct CommandHelp {
  std::string_view name;
  std::string_view synopsis;  // after "zvonar-cli [--dir DIR] "
  std::string_view summary;   // for the command list
  std::string_view text;
  std::vector<OptionHelp> options;
  bool criteria = false;  // takes the filter criteria
};

constexpr std::size_t kWidth = 79;
constexpr std::size_t kTextColumn = 23;
constexpr std::string_view kDirForm = "zvonar-cli [--dir DIR] ";

const std::vector<CommandHelp>& Helps() {
  static const std::vector<CommandHelp> helps = {
      {"import",
       "import [--again] [--keep-duplicates] FILE...",
       "add operator bills (text or HTML) to the table",
       "Add each FILE, an operator bill exported as text or HTML, as the window's Add Detalization does: every "
       "call and charge line becomes a record, and the bill's month summary is written beside the bill. A bill in "
       "UTF-8 or UTF-16 is read as code page 1251; characters that code page cannot hold become \"?\" and are "
       "counted on standard error. Prints how many records each file added; lines the parser rejects go to "
       "standard error. Owners met for the first time join Tellura.dat. Each import is noted in imports.dat; a "
       "bill noted there already is skipped with \"FILE: already imported on DATE, skipped\" while its records are "
       "still in the table; when they have gone it is imported again, with a note on standard error. A bill with "
       "no call or charge line fails with \"FILE: no call or charge line was found (is it a bill of the "
       "operator?)\". The summary is never written through a link: a link or anything but a regular file in its "
       "place fails the bill before anything is stored. A settings file, book or owners list that is not a "
       "regular file, or is larger than any real one (4 MB for settings.ini, fields.dat and Tellura.dat, 64 MB for "
       "the books), fails the command before anything is stored. Calls the table holds already (same Owner, "
       "DateTime, Number, Sec and Cost, and Code when both have one), as an overlapping or newer export of the "
       "same period brings them, are skipped with \"FILE: N of M records already in the table skipped (DATE to "
       "DATE)\"; calls repeated inside one bill are all kept.",
       {{"--again", "import bills noted in imports.dat all the same"},
        {"--keep-duplicates", "append calls the table holds already all the same"}}},
      {"undo",
       "undo",
       "take back the newest change of the table",
       "Take back the newest change in the table's history (imports.dat): an import by import, load-tsv, "
       "load-old-base or the window, or a change in place by fill-names, fill-codes, return-codes, change-code or "
       "the window's commands and Delete key. An import's records go; a change's records get back the bytes they "
       "had. Records a program the history does not know changed since are left as they are and counted. Prints "
       "\"FILE: N records removed\" for an import, \"WHAT of DATE: N records put back\" for a change. Run it "
       "again to take back the change before; changes go back in the order they were made. The undo is safe "
       "against a kill: each record is left as before or as after it, and the entry stays until it is complete.",
       {}},
      {"undo-import",
       "undo-import",
       "take back the last import",
       "As undo, when the newest change is an import; any other newest change is refused with its name, so "
       "that undo takes it back first. An import that was stopped before it stored its records left a note "
       "without records: its undo removes only the note.",
       {}},
      {"history",
       "history",
       "list the table's changes, newest first",
       "Print one line per change in the table's history, newest first: when, what (the import's file, or the "
       "command and its texts), how many records, and whether it can still be undone. Cells separated by TAB, "
       "in UTF-8.",
       {}},
      {"load-tsv",
       "load-tsv FILE|-",
       "append records in the form dump prints",
       "Append the records of FILE (\"-\" for standard input, which may be a pipe), one line each in the form "
       "dump prints. The input is read once and checked whole first: when a line is wrong, or a number does not "
       "fit its field, the line is reported and nothing is appended. Text cells longer than their field are cut "
       "and counted. Owners met for the first time join Tellura.dat. The records appended are noted in "
       "imports.dat, so undo can take them back. Records equal to ones in the table are appended all the same, so "
       "that a dump loaded back is whole; duplicates finds them.",
       {}},
      {"dump",
       "dump [--index Owner|DateTime]",
       "print every record",
       "Print every record of the table, one line each: twelve cells separated by TAB, in UTF-8, with TAB, CR, LF "
       "and backslash written \\t, \\r, \\n and \\\\. Records come in the order they were added unless an index "
       "is named.",
       {{"--index Owner", "in the order of the Owner index"},
        {"--index DateTime", "in the order of the DateTime index"}}},
      {"filter",
       "filter [CRITERIA]",
       "print the records the filter finds",
       "Print the records the filter finds, as dump prints them, in the order of the Owner index, or of the "
       "DateTime index with --from or when settings.ini sets ForceDateIndex. A criterion given an empty value "
       "prints nothing.",
       {},
       true},
      {"stat",
       "stat [CRITERIA]",
       "print the filter statistic: Type, Sec, Min, Cost",
       "Run the filter and print its statistic: a row for each type of codetype.dat that the records found "
       "use, with the sums of their Sec, Min and Cost, then a row of the totals; cells separated by TAB.",
       {},
       true},
      {"report",
       "report --pdf OUT.pdf [OPTIONS] [CRITERIA]",
       "write the printed report of the filter as a PDF file",
       "Run the filter and write the pages the window's Print Filtered command previews to OUT.pdf (A4): the "
       "records found, 57 a page, followed by their statistic when settings.ini sets AddFilterStatisticOnPrint "
       "and CountFilterStatistic. The header names the owner of --owner and the period of --from and --to; "
       "without them, the owners of the records found and the dates of the first and last one. The report's "
       "words and the statistic's captions come from the language file of --lang, else the one settings.ini "
       "names; a language file without the report's lines prints them in Russian. Needs "
       "no screen. Prints how many pages were written. OUT.pdf may not be one of the program's own files of the "
       "data directory, nor a device, FIFO or folder.",
       {{"--pdf OUT.pdf", "the file to write"},
        {"--stat-only", "the statistic alone, as Print Filtered Statistic prints it"},
        {"--lang NAME", "english or russian: the language of the report's words"}},
       true},
      {"counts",
       "counts [CRITERIA | --table]",
       "print the activity counts row",
       "Print the activity counts row over the records the filter finds: the sums of Sec, Min, Cost, MTP and All "
       "and the most frequent Number (named from abonents.dat), Code, Type and Roaming, in the twelve columns "
       "filter prints.",
       {{"--table", "over every record of the table, not the filter's records"}},
       true},
      {"summary",
       "summary --by GROUP [OPTIONS] [CRITERIA]",
       "print record counts and sums per month, type, number, hour or weekday",
       "Run the filter and print one line per group of the records found: the group, then the record count and "
       "the sums of Sec, Min and Cost in the statistic's number format; cells separated by TAB, in UTF-8. The "
       "group is named as the chart window names it: a month by its name and year (\"March 2008\"), a weekday by "
       "its short name, in the language settings.ini names; a type still holding a raw code by its text from "
       "codetype.dat. With --keys, a month is written yyyy.mm, a weekday 1 (Monday) to 7 and a type as stored. "
       "Every month from the first to the last comes, in order; a number is followed by a "
       "cell with its name from abonents.dat (else the Abonent text of its records, else line 76 of the language "
       "file); hours 0 to 23 and all seven weekdays come, in order. Types and numbers come largest "
       "first by the --order figure, equal ones in the order first met. Sec, Min or Cost cells that are no "
       "number are left out of the sums and counted on standard error.",
       {{"--by GROUP", "month, type, number, hour or weekday"},
        {"--order FIG", "count, sec, min or cost (the default): orders types and numbers"},
        {"--top N", "print only the first N lines"},
        {"--keys", "months, weekdays and types as stored, for scripts"}},
       true},
      {"reindex",
       "reindex",
       "rebuild the index file Tellura.MDX",
       "Rebuild the index file Tellura.MDX from the records of Tellura.dbf, after the index was lost or damaged.",
       {}},
      {"fill-names",
       "fill-names",
       "write the abonents book's names into the Abonent field of every record",
       "Store into the Abonent field of every record the name abonents.dat gives its Number, as the window's Fill "
       "Number Abonent does: the number as it stands first, and with modePhoneCode 1 also with PhoneCodeTown in "
       "front of a short town number and with 7, +7 or 8 before the last ten digits. A record the book does not "
       "name keeps its name, and so does one whose name is longer than the Abonent field; without abonents.dat "
       "nothing changes. Prints how many records changed, then how many kept their name for want of room.",
       {}},
      {"fill-codes",
       "fill-codes",
       "replace the Code and Type markers by their texts from codetype.dat",
       "Replace the Code and Type of every record by the text codetype.dat gives its marker, as the window's "
       "Fill Codes / Types does: an integer marker is looked up without leading zeros (07 as 7), other markers as "
       "they are, letter case aside; the first line of a marker counts, and a marker without a line or with an "
       "empty text stays, as does a field the text is longer than. Prints how many records changed, then how many "
       "kept a field for want of room.",
       {}},
      {"return-codes",
       "return-codes",
       "turn the Code and Type texts back into their markers",
       "Replace the Code and Type of every record that holds a text of codetype.dat by the marker of the first "
       "line with that text, letter case aside, as the window's Return Codes / Types does. Prints how many "
       "records changed.",
       {}},
      {"change-code",
       "change-code --field Code|Type FIND REPLACE",
       "replace one exact Code or Type value by another",
       "Store REPLACE into the field of every record whose Code (or Type) is exactly FIND, letter case included, "
       "as the window's Change Codes / Types does. Neither text may be empty; a REPLACE longer than the field "
       "(see the DB Fields dialog) or holding \"#\", a TAB or a line break is refused before any record changes. "
       "Prints how many records changed.",
       {{"--field Code", "change the Code field"}, {"--field Type", "change the Type field"}}},
      {"book",
       "book list | book set NUMBER NAME | book delete NUMBER",
       "list, set or delete entries of the abonents book",
       "Work on the abonents book abonents.dat as the window's Abonents Book does, writing every change at once. "
       "\"book list\" prints each entry in file order: the number, a TAB and the name, escaped as dump escapes "
       "cells. \"book set\" gives NUMBER the name NAME: an existing number keeps its line with the new name, a "
       "new one is added at the end; NUMBER needs at least 4 characters, NAME may not be empty or only blanks nor "
       "longer than the table's Abonent field, and neither may hold \"#\", a TAB or a line break. \"book "
       "delete\" removes the entry of NUMBER; a number not in the book is an error. Numbers compare without "
       "regard to letter case. Texts are UTF-8; one with a character code page 1251 cannot hold is refused and "
       "nothing is written. set and delete print how many entries they changed.",
       {}},
      {"duplicates",
       "duplicates [--delete] [CRITERIA]",
       "list groups of equal records in the table",
       "Among the records the filter finds, print each group of records that are the same call: the same Owner, "
       "DateTime, Number, Sec and Cost, and the same Code unless one of them has none. One line per record: the "
       "group's number, the record number and the twelve cells as dump prints them, TAB between cells; groups in "
       "date-time order, a group's records in the order they were added. Ends with \"N groups of equal records, K "
       "records besides the first of their group\". With --delete those K records are deleted as one change of "
       "the history, which undo takes back whole.",
       {{"--delete", "delete all but the first record of each group"}},
       true},
      {"add-nonames",
       "add-nonames [CRITERIA]",
       "add the numbers that have no name to the abonents book",
       "Add to abonents.dat every number of the table that has no name, or of the records the filter finds when "
       "criteria are given, as the window's Add NoName Numbers commands do: a number shorter than 6 characters is "
       "skipped, one the book already names (under any spelling when modePhoneCode is 1, and under the key it "
       "would be written with) is left out and its name never replaced, and with "
       "modePhoneCode 1 a number shorter than 8 characters is written with +7 and PhoneCodeTown in front. The "
       "name written is line 76 of the language file settings.ini names, empty without one. Prints how many "
       "numbers were really added.",
       {},
       true},
      {"save-list",
       "save-list FILE [CRITERIA]",
       "save the records the filter finds as a filtered list",
       "Run the filter and write its records to FILE as the window's Save Filtered writes a filtered list: one "
       "line each, the date and time, \"=\", the number, then Abonent to Roaming each after \"#\", in code "
       "page 1251 with CR LF. The Abonent is left empty when SaveAbonentNameInDetalizationFile is 0. The Owner is "
       "not written. A \"#\" inside a cell is written as the sign No. (code page 1251 byte B9), a line break or "
       "TAB as a blank, so every line reads back into its own cells; the cells so changed are counted. Nothing is "
       "written when the filter finds no record. FILE without an extension gets \".fil\"; the message names the "
       "file written. FILE may not be one of the program's own files of the data directory, nor a device, FIFO or "
       "folder.",
       {},
       true},
      {"load-list",
       "load-list FILE",
       "print the records of a filtered list",
       "Read the filtered list FILE and print its records as dump prints them, each with the file's name "
       "without folder and extension as its Owner. The table is not touched.",
       {}},
      {"load-old-base",
       "load-old-base [--again]",
       "add a base of the older release to the table",
       "Read detalization.dat of the data directory, a list of owners (without it, the owners of Tellura.dat), "
       "and every owner's file OWNER.dat, a filtered list, and append all their records to the table: all of "
       "them or, when a line has no valid date-time, none, with the file and line named. Names come from "
       "abonents.dat when SaveAbonentNameInDetalizationFile is 0, and codes and types take their texts from "
       "codetype.dat when FillCodesTypesOnAddDetalization is 1. The load is noted in imports.dat; a base loaded "
       "before (the same files) is skipped unless --again is given. The base's owners lead Tellura.dat, those "
       "known before follow. Prints how many records were added. Calls the table holds already are appended all "
       "the same, as the whole base moves over at once; duplicates finds them afterwards.",
       {{"--again", "load a base noted in imports.dat all the same"}}},
      {"export-csv",
       "export-csv FILE [CRITERIA]",
       "write the records the filter finds as CSV for spreadsheets",
       "Run the filter and write its records to FILE as CSV: UTF-8 with a byte-order mark, a title line with the "
       "column titles of the language file settings.ini names, cells separated by commas and quoted when they "
       "hold a comma, a double quote or a line end, lines ended by CR LF. FILE may not be one of the program's "
       "own files of the data directory, nor a device, FIFO or folder.",
       {},
       true},
      {"export-xlsx",
       "export-xlsx FILE [CRITERIA]",
       "write the records the filter finds as a spreadsheet file (.xlsx)",
       "Run the filter and write FILE as a spreadsheet in the .xlsx format. The first sheet holds the records "
       "under a bold title row that stays in view and carries an autofilter: Sec as a whole number, Min, Cost, "
       "MTP and All as numbers with two decimals, Date / Time as a date-time (dd.mm.yyyy hh:mm:ss), the other "
       "columns as text; a cell of those columns that holds no number or date is kept as text, and their count "
       "is printed as \"N cells that are not numbers kept as text\". The second sheet holds the filter "
       "statistic as stat counts it, its total row summing the rows above by SUM formulas; when a cell is no "
       "number the statistic is not counted, the sheet says why and so does standard error. The third sheet "
       "lists the criteria given and the date of the export. Titles and sheet names come from the language "
       "file settings.ini names. FILE is replaced whole or not at all; it may not be one of the program's own "
       "files of the data directory, nor a device, FIFO or folder. A sheet holds at most 1048575 records.",
       {},
       true},
      {"datadir", "datadir", "print the data directory", "Print the data directory, making it when missing.", {}},
      {"help",
       "help [COMMAND]",
       "list the commands, or show one command's usage",
       "Without COMMAND, list the commands; with one, print its usage and options.",
       {}},
  };
  return helps;
}

const OptionHelp kGlobalOptions[] = {
    {"--dir DIR", "use DIR as the data directory (made when missing)"},
    {"--help", "print this help in full: every command with its options"},
    {"--version", "print the version"},
};

const OptionHelp kCriteria[] = {
    {"--owner TEXT", "records whose Owner is TEXT"},
    {"--from YYYY.MM.DD", "records from this day to --to or to its month's end"},
    {"--to YYYY.MM.DD", "the last day of the range (with --from only)"},
    {"--oper CODE", "numbers of the operator code CODE; a local number has the town's code, PhoneCodeTown"},
    {"--number TEXT", "records of the number TEXT; a short number matches the end of a long one"},
    {"--code TEXT", "records whose Code is TEXT"},
    {"--type TEXT", "records whose Type is TEXT"},
    {"--calls", "calls only: Type and Code among CallsID of settings.ini"},
    {"--sms", "SMS only: Type and Code among SMSID"},
    {"--mms", "MMS only: Type among MMSID"},
    {"--no-null", "leave out the records whose Cost and All are both 0.00"},
    {"--exclude", "turn --oper, --number, --code, --type, --calls, --sms and --mms around: keep what they reject"},
};

const OptionHelp kExitStatus[] = {
    {"0", "success"},
    {"1", "failure; one line on standard error says what failed"},
    {"2", "usage error; the command's usage goes to standard error"},
};

constexpr std::string_view kAbout =
    "Import a mobile operator's bills into the detalization table Tellura.dbf with its index Tellura.MDX, and "
    "print, filter and count the records and keep the abonents book, as the window program zvonar does on the "
    "same files. Output and messages are UTF-8.";

constexpr std::string_view kFiles =
    "The data directory holds the table, settings.ini, fields.dat, abonents.dat, codetype.dat, Tellura.dat and "
    "the language files. It is the directory of the executable when that holds a settings.ini (a portable copy), "
    "otherwise $XDG_DATA_HOME/zvonar/, or ~/.local/share/zvonar/ when XDG_DATA_HOME is not set. --dir names "
    "another one.";

// `text` broken at blanks into lines of at most kWidth columns, each
// starting with `indent` blanks; the first line goes on after `first`,
// which already fills `first.size()` columns of it.
void PrintWrapped(std::ostream& os, std::string_view first, std::string_view text, std::size_t indent) {
  std::string line(first);
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = std::min(text.find(' ', pos), text.size());
    const std::string_view word = text.substr(pos, end - pos);
    const bool lineStarted = line.size() > indent && line.back() != ' ';
    if (lineStarted && line.size() + 1 + word.size() > kWidth) {
      os << line << '\n';
      line.assign(indent, ' ');
    } else if (lineStarted) {
      line += ' ';
    }
    line += word;
    pos = end + 1;
  }
  os << line << '\n';
}

// "  TAG                  text", the text wrapped from kTextColumn; a tag
// too long for its column gets a line of its own.
void PrintTagged(std::ostream& os, std::string_view tag, std::string_view text) {
  std::string first = "  " + std::string(tag);
  if (first.size() + 2 > kTextColumn) {
    os << first << '\n';
    first.clear();
  }
  first.resize(kTextColumn, ' ');
  PrintWrapped(os, first, text, kTextColumn);
}

template <typename List>
void PrintSection(std::ostream& os, std::string_view heading, const List& items) {
  os << '\n' << heading << ":\n";
  for (const OptionHelp& item : items) PrintTagged(os, item.tag, item.text);
}

const CommandHelp* FindHelp(std::string_view name) {
  for (const CommandHelp& help : Helps())
    if (help.name == name) return &help;
  return nullptr;
}

void PrintCriteria(std::ostream& os) {
  PrintSection(os, "Criteria (the window's filter check boxes; every one given must hold)", kCriteria);
}

// What the command list and the full help start with: the usage lines, the
// description, the global options and the command list.
void PrintHead(std::ostream& os) {
  os << "Usage: zvonar-cli [--dir DIR] COMMAND [ARGS]\n"
        "  or:  zvonar-cli help [COMMAND]\n"
        "  or:  zvonar-cli --help | --version\n";
  PrintWrapped(os, "", kAbout, 0);
  PrintSection(os, "Options", kGlobalOptions);
  os << "\nCommands:\n";
  for (const CommandHelp& help : Helps()) PrintTagged(os, help.name, help.summary);
}

}  // namespace

std::vector<std::string_view> HelpCommandNames() {
  std::vector<std::string_view> names;
  for (const CommandHelp& help : Helps()) names.push_back(help.name);
  return names;
}

void PrintOverview(std::ostream& os) {
  PrintHead(os);
  os << "\nRun \"zvonar-cli help COMMAND\" for a command's usage and options.\n";
}

bool PrintCommandHelp(std::string_view name, std::ostream& os) {
  const CommandHelp* help = FindHelp(name);
  if (help == nullptr) return false;
  os << "Usage: " << kDirForm << help->synopsis << '\n';
  PrintWrapped(os, "", help->text, 0);
  if (!help->options.empty()) PrintSection(os, "Options", help->options);
  if (help->criteria) PrintCriteria(os);
  return true;
}

void PrintFullHelp(std::ostream& os) {
  PrintHead(os);
  for (const CommandHelp& help : Helps()) {
    os << "\nCommand " << help.name << ":\n  " << kDirForm << help.synopsis << "\n\n";
    PrintWrapped(os, "  ", help.text, 2);
    if (!help.options.empty()) os << '\n';
    for (const OptionHelp& option : help.options) PrintTagged(os, option.tag, option.text);
  }
  PrintCriteria(os);
  PrintSection(os, "Exit status", kExitStatus);
  os << "\nFiles:\n";
  PrintWrapped(os, "  ", kFiles, 2);
}

void PrintCommandUsage(std::string_view name, std::ostream& os) {
  const CommandHelp* help = FindHelp(name);
  if (help == nullptr) return;
  os << "usage: " << kDirForm << help->synopsis << '\n';
  os << "Run \"zvonar-cli help " << name << "\" for its options.\n";
}

}  // namespace zvonar
