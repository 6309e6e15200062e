// The result list as a spreadsheet file (.xlsx) that spreadsheet programs
// open with numbers they can sum and dates they can sort: the listed rows,
// the filter statistic with its total as a formula, and the criteria that
// chose the rows.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "analysis/CsvExport.h"
#include "analysis/FilterEngine.h"
#include "analysis/FilterStatistic.h"
#include "analysis/ResultRows.h"
#include "base/Status.h"
#include "store/DateTimeField.h"

namespace zvonar {

class LanguageFile;

// The spreadsheet's own words, code page 1251 texts.
struct XlsxWords {
  std::string rowsSheet, statSheet, criteriaSheet;  // sheet names
  std::string criterion, value;                     // the criteria sheet's titles
  std::string from, to, operCode, callsOnly, smsOnly, mmsOnly, noZeroCost, exclude;
  std::string noCriteria;  // the criteria sheet when nothing is ticked
  std::string yes;         // the value of a ticked switch
  std::string exportedOn;
  std::string noStatistic;  // "%1": why the statistic is missing
};

// The words from the spreadsheet lines of `lang`; a line the file lacks or
// leaves empty gives the English word.
XlsxWords XlsxWordsOf(const LanguageFile& lang);

// What a spreadsheet is made of.
struct XlsxContent {
  const ResultRows* rows = nullptr;
  ColumnTitles titles;  // the result list's column titles
  // The filter statistic, its last row the total; empty when it was not
  // counted, and then `statisticError` (UTF-8) says why when known.
  std::vector<StatRow> statistic;
  std::string statisticError;
  FilterCriteria criteria;
  XlsxWords words;
  DateTimeValue exportedAt;  // local time
};

// What was written.
struct XlsxOutcome {
  std::size_t rows = 0;
  // Sec, Min, Cost, MTP, All and Date / Time cells that hold no number or
  // date and were written as text.
  std::size_t textCells = 0;
};

// The most listed rows one sheet holds under its title row.
inline constexpr std::size_t kXlsxMaxRows = 1'048'575;

// Writes `content` as an .xlsx file at `path`, replacing the file as a
// whole. Sheet 1 holds the rows under a bold, frozen title row with an
// autofilter: Sec a whole number, Min, Cost, MTP and All numbers with two
// decimals, Date / Time a date-time "dd.mm.yyyy hh:mm:ss", the rest text.
// Sheet 2 holds the statistic, its total row summing the rows above by
// formulas; sheet 3 the ticked criteria and the date of the export.
// Fails without touching `path` when the spreadsheet cannot be made (a
// sheet name the format refuses, more than kXlsxMaxRows rows) or written.
Status ExportXlsx(const std::string& path, const XlsxContent& content, XlsxOutcome* outcome);

// The local date and time now.
DateTimeValue LocalDateTimeNow();

}  // namespace zvonar
