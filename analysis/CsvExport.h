// The result list as a CSV file for spreadsheets.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "analysis/ResultRows.h"
#include "base/Status.h"

namespace zvonar {

class LanguageFile;

using ColumnTitles = std::array<std::string, kResultColumns>;

// The result list's column titles (code page 1251) as the language file
// gives them, or the English ones when it has no such lines.
ColumnTitles ResultColumnTitles(const LanguageFile& lang);

// One CSV field: as it is, or in double quotes (inner quotes doubled) when
// it holds a comma, a double quote, CR or LF, or begins or ends with a blank.
std::string CsvField(std::string_view utf8);

// The title line and then every row in list order, UTF-8 after a byte-order
// mark, comma-separated, each record ended by CR LF. Texts are code page
// 1251.
std::string CsvOfRows(const ResultRows& rows, const ColumnTitles& titles);

// Writes CsvOfRows to `path`, replacing the file as a whole.
Status ExportCsv(const std::string& path, const ResultRows& rows, const ColumnTitles& titles);

}  // namespace zvonar
