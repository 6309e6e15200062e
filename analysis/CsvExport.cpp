// A CSV export as RFC 4180 draws it, which LibreOffice Calc and other
// spreadsheets open without an import dialog when it starts with the UTF-8
// byte-order mark:
//
//   EF BB BF  Owner,Date / Time,Number,...,Roaming CR LF
//             79161234567,2008.03.01 10:00:00,...   CR LF
//
// A field with a comma, a double quote or a line end is quoted, and every
// double quote inside it doubled.
#include "analysis/CsvExport.h"

#include "base/Cp1251.h"
#include "base/TextFile.h"
#include "config/LanguageFile.h"

namespace zvonar {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The language file's lines of the titles: Owner on line 3, the other
// columns on lines 5 to 15; the group is complete at line 16.
constexpr std::size_t kOwnerTitleLine = 3;
constexpr std::size_t kFirstFieldTitleLine = 5;
constexpr std::size_t kTitlesGroup = 16;

const ColumnTitles kEnglishTitles = {"Owner", "Date / Time", "Number", "Abonent", "Code", "Type",
                                     "Sec",   "Min",         "Cost",   "MTP",     "All",  "Roaming"};

void AppendRecord(const std::array<std::string_view, kResultColumns>& cells, std::string* out) {
  for (std::size_t c = 0; c < cells.size(); ++c) {
    if (c > 0) *out += ',';
    *out += CsvField(Cp1251ToUtf8(cells[c]));
  }
  *out += "\r\n";
}

}  // namespace

ColumnTitles ResultColumnTitles(const LanguageFile& lang) {
  if (!lang.HasGroup(kTitlesGroup)) return kEnglishTitles;
  ColumnTitles titles;
  titles[0] = PlainCaption(lang.Line(kOwnerTitleLine));
  for (std::size_t c = 1; c < titles.size(); ++c) titles[c] = PlainCaption(lang.Line(kFirstFieldTitleLine + c - 1));
  return titles;
}

std::string CsvField(std::string_view utf8) {
  const bool quote = utf8.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!utf8.empty() && (utf8.front() == ' ' || utf8.back() == ' '));
  if (!quote) return std::string(utf8);
  std::string field = "\"";
  for (char ch : utf8) {
    if (ch == '"') field += '"';
    field += ch;
  }
  field += '"';
  return field;
}

std::string CsvOfRows(const ResultRows& rows, const ColumnTitles& titles) {
  std::string out(kByteOrderMark);
  std::array<std::string_view, kResultColumns> cells;
  for (std::size_t c = 0; c < titles.size(); ++c) cells[c] = titles[c];
  AppendRecord(cells, &out);
  for (std::size_t r = 0; r < rows.RowCount(); ++r) AppendRecord(rows.Row(r), &out);
  return out;
}

Status ExportCsv(const std::string& path, const ResultRows& rows, const ColumnTitles& titles) {
  return WriteFileAtomic(path, CsvOfRows(rows, titles));
}

}  // namespace zvonar
