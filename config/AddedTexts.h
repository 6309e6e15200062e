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
  // The printed report's own words; a file without them prints the
  // report's Russian words.
  ReportNumberWords,   // before the owner in the header
  ReportPeriodWords,   // before the period in the header
  ReportStart,
  ReportEnd,
  ReportDateTime,  // the column titles, left to right
  ReportNumber,
  ReportAbonent,
  ReportCode,
  ReportType,
  ReportSec,
  ReportMin,
  ReportCost,
  ReportRoaming,
  ReportStatistic,
  // %1: file, %2: where (CutCellPlace)
  CellCut,
  // %1: file, %2: how many, %3: where (CutCellPlace; ...)
  CellsCutAt,
  // %1: line of the bill, %2: column
  CutCellPlace,
  TableEngineBuiltIn,
  // %1: records
  NamesFilled,
  // %1: rows
  NamesFilledInList,
  // %1: the book's path
  NoAbonentsBook,
  // %1: records
  CodesFilled,
  // %1: records
  CodesReturned,
  // %1: the folder looked in
  NoCodeTypes,
  // %1: records, %2: the text found, %3: its replacement
  CodeTypeChanged,
  ChangeNeedsTexts,
  // %1: numbers
  NoNamesAdded,
  NoNamesNone,
  TableEmpty,
  ListEmpty,
  TableNotOpen,
  WelcomeText,         // the welcome of an empty table: what the program does
  WelcomeHint,         // the welcome's second line: what to do first
  WelcomeExamples,     // the welcome's button that imports the example bills
  BillsFilter,         // the first file type of the Add Detalization chooser
  ExamplesNotFound,    // %1: the folder looked in
  // The history of changes.
  UndoCaption,
  UndoChangeQuestion,  // %1: the change, %2: its date, %3: records
  ChangeUndone,  // %1: the change, %2: its date, %3: records
  UndoKept,  // %1: records
  UndoImpossible,  // %1: the change, %2: its date
  ChangeDeleteRecord,
  // The splash's state text while the program starts or works.
  ProgramLoading,
  ProgramCopying,
  // The type names of the file choosers.
  FileTypeText,
  FileTypeHtml,
  FileTypeData,
  FileTypeFilter,
  FileTypeSummary,
  FileTypeAll,
  FileTypeLanguage,
  NotStoredHeading,
  // The About box.
  AboutCaption,
  AboutVersion,  // %1: the version
  AboutLine1,
  AboutLine2,
  AboutLine3,
  AboutEmail,
  AboutSite,
  // Messages of the main window.
  LanguageFileError,
  OpenTableError,
  ReopenTableQuestion,
  ReopenTableError,
  OldBaseLoadError,
  OldBaseCopyError,
  // The DB Fields dialog.
  DBTypeCaption,
  FieldsLengthCaption,
  OwnerFieldLabel,
  DateTimeFieldLabel,
  NumberFieldLabel,
  AbonentFieldLabel,
  CodeFieldLabel,
  TypeFieldLabel,
  SecFieldLabel,
  MinFieldLabel,
  CostFieldLabel,
  MtpFieldLabel,
  AllFieldLabel,
  RoamingFieldLabel,
  // Why the abonent dialog refuses an entry.
  NumberEmpty,
  EntryHasLineBreak,
  EntryHasHash,
  NumberHasEquals,
  NumberBadStart,
  // A typed character the files cannot hold; %1: the character, %2: its code.
  CharacterNotInCodePage,
  TableReadByWindow,   // a writer kept out while the window reads
  // The find bar over the result list and the record grid.
  FindMenu,
  FindCaption,
  // %1: the match shown, %2: the matches
  FindCount,
  FindNone,
  FindWrappedTop,
  FindWrappedBottom,
  FindNextTip,
  FindPreviousTip,
  FindCloseTip,
  // The splash's state text while the grid's texts are read for a find.
  FindPreparing,
  // The spreadsheet export.
  ExportXlsxCaption,
  XlsxFileType,        // the chooser's name of .xlsx files
  XlsxWritten,         // %1: rows, %2: the file
  XlsxTextCells,       // %1: cells
  XlsxRowsSheet,       // the sheet names
  XlsxStatSheet,
  XlsxCriteriaSheet,
  XlsxCriterion,       // the criteria sheet's column titles
  XlsxValue,
  XlsxFrom,            // the criteria, as the control panel ticks them
  XlsxTo,
  XlsxOperCode,
  XlsxCallsOnly,
  XlsxSmsOnly,
  XlsxMmsOnly,
  XlsxNoZeroCost,
  XlsxExclude,
  XlsxNoCriteria,
  XlsxYes,
  XlsxExportedOn,
  XlsxNoStatistic,     // %1: why the statistic was not counted
  KnownRecordsQuestion,  // %1: known records, %2: records, %3: file, %4, %5: first and last date
  FindDuplicatesMenu,
  DuplicatesCaption,
  DuplicatesSummary,  // %1: groups, %2: records
  DuplicatesDelete,
  DuplicatesGroup,
  DuplicatesRecord,
  NoDuplicates,
  DuplicatesDeleted,  // %1: records
  FileRecordsAddedKnownSkipped,  // %1: file, %2: records added, %3: records the table held already
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
