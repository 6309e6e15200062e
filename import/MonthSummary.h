// The month summary: the account header and money summary at the top of an
// operator bill, copied into a small text file named after the account and
// the bill month, in the bill's own directory, for the Show Month Summary
// viewer. Also the month names that file name uses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/RegisterFields.h"
#include "base/Status.h"

namespace zvonar {

// The name of month `monthText` ("1" to "12", leading zeros allowed): the
// Russian name when `language` (the language file's base name) contains
// "russian" in any letter case, else the English one. Any other `monthText`
// comes back unchanged.
std::string MonthName(std::string_view language, std::string_view monthText);

struct MonthSummary {
  std::string account;             // after the account marker, spaces trimmed
  std::string date;                // the bill date as written, day first
  std::vector<std::string> lines;  // the summary; empty when the bill has none
};

// Collects the summary of the bill `content` (the bytes of `billFileName`,
// whose extension tells an HTML bill from a text bill): the markers are
// looked for strictly one after the other, so a marker that never comes
// ends the summary there. Without the account marker the summary is empty.
MonthSummary BuildMonthSummary(const std::string& billFileName, std::string_view content, const RegisterFields& fields);

// account + "-[" + year + "." + month name + "].sum"; a summary without a
// date is named with "NullDate" for the year and no month name. Characters
// that cannot stand in a file name ("/" and NUL) become "_".
std::string SummaryFileName(const MonthSummary& summary, std::string_view language);

// Builds the summary of a bill and, when there is one, writes it (CR LF
// lines, code page 1251) into `targetDir` under SummaryFileName, in UTF-8
// as file names are on disk, replacing an older file of that name. `summaryPath` gets the file written, or is
// cleared when the bill has no summary.
Status ParseMonthSummary(const std::string& billFileName, std::string_view content, const RegisterFields& fields,
                         std::string_view language, const std::string& targetDir, std::string* summaryPath);

}  // namespace zvonar
