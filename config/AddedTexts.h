// Texts the program shows beyond the designed captions: messages and
// captions of its own. Each has a line of the language file after the
// designed ones (from line 119, counted from 0); a file too short to hold
// a line gives the English text kept here, so a user's older file still
// works.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "config/LanguageFile.h"

namespace zvonar {

// The language-file line of each added text. New texts go at the end.
enum class AddedText : std::size_t {
  AlreadyRunning = 119,
  TableInUse,
  CellsCut,            // %1: how many
  UncommittedDropped,  // %1: how many
  ReplaceStoredName,   // %1: the name the book holds for the number
  LanguageFileTip,
  CallsIdLabel,
  SmsIdLabel,
  MmsIdLabel,
  ExportCsvCaption,
  ConfirmDeleteRecord,
  ExportPdf,  // the report preview's button
  ChartsMenu,
  ChartsCostByMonth,
  ChartsMinutesByMonth,
  ChartsTopNumbers,
  ChartsActivity,
  ChartsTopByMinutes,
  ChartsTopByCost,
  ChartsByHour,
  ChartsByWeekday,
  ChartsMonth,
  ChartsHour,
  ChartsWeekday,
  ChartsRecords,
  ChartsCost,
  ChartsMinutes,
  ChartsOtherTypes,
  ChartsNoType,
  ChartsSaveImage,
  ChartsImageFilter,
  ChartsImageNotSaved,
  ChartsCellsSkipped,
  ReimportQuestion,  // %1: date of the import, %2: records
  UndoLastImportCaption,
  UndoImportQuestion,  // %1: records, %2: file, %3: date
  ImportUndone,        // %1: file, %2: records
  CharsReplaced,       // %1: how many
  LinesNotStored,      // %1: how many
  FileStage,           // %1: file, %2: files
  FileRecordsAdded,    // %1: file, %2: records
  FileSkipped,         // %1: file
  TextTooLong,         // %1: the text's length, %2: field, %3: its width
  TextHasHash,
  TextHasLineBreak,
  NameBlank,
  RecordsLeft,         // %1: records, %2: a text, %3: its field, %4: the field's width
  ListCellsReplaced,   // %1: cells
  AbonentAlreadyGone,  // %1: the number
  CodeHasEquals,
  // %1: date of the load, %2: records
  OldBaseReloadQuestion,
  // %1: records
  OldBaseLoaded,
  // %1: the folder looked in
  OldBaseNotFound,
  ImportedAgain,       // %1: file, %2: date of the earlier import
  StatNoType,          // the statistic's row of result rows without a type
  TableReadByWindow,   // a writer kept out while the window reads
  End
};

// Lines a language file holds when it has every added text.
inline constexpr std::size_t kLanguageFileLines = static_cast<std::size_t>(AddedText::End);

// The English text of `t`.
std::string_view EnglishText(AddedText t);

// `t` as `lang` gives it, or the English text when the file has no such line
// or leaves it empty.
std::string TextOf(const LanguageFile& lang, AddedText t);

// `pattern` with "%1", "%2", ... replaced by `args` in order, as the window
// fills its texts; a number without an argument stays as it is.
std::string FillArgs(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace zvonar
