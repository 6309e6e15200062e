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

// A bill's summary with the file it goes to.
struct SummaryFile {
  std::string path;  // empty when the bill has no summary
  std::vector<std::string> lines;
};

// Builds the summary of a bill and names its file in `targetDir`
// (SummaryFileName, in UTF-8 as file names are on disk). The file may be
// new or a regular file, which the write replaces; a symbolic link or
// anything else of that name is refused ("PATH is a symbolic link, not a
// regular file"), since the summary is never written through a link.
Status PrepareMonthSummary(const std::string& billFileName, std::string_view content, const RegisterFields& fields,
                           std::string_view language, const std::string& targetDir, SummaryFile* file);

// Writes a prepared summary (CR LF lines, code page 1251), replacing a
// regular file of its name. A link that took the name since it was
// prepared is refused, and one that takes it during the write is replaced,
// never followed.
Status WriteMonthSummary(const SummaryFile& file);

// PrepareMonthSummary, then WriteMonthSummary when the bill has a summary.
// `summaryPath` gets the file written, or is cleared when the bill has
// none.
Status ParseMonthSummary(const std::string& billFileName, std::string_view content, const RegisterFields& fields,
                         std::string_view language, const std::string& targetDir, std::string* summaryPath);

}  // namespace zvonar
