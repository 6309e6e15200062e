// The table commands of zvonar-cli: dump, load-tsv and reindex. Records
// travel as lines of twelve cells separated by one TAB, in UTF-8, each cell
// the text the result list shows; a TAB, CR, LF or backslash inside a cell
// is written \t, \r, \n, \\. The table is created when missing, with the
// file type and field widths of settings.ini.
#include <algorithm>
#include <cerrno>
#include <fstream>

#include "base/Cp1251.h"
#include "config/MainSettings.h"
#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "store/DateTimeField.h"
#include "store/DetalTable.h"

namespace zvonar {

std::string EscapeCell(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    switch (ch) {
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += ch;
    }
  }
  return out;
}

namespace {

Status UnescapeCell(std::string_view text, std::string* out) {
  out->clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      *out += text[i];
      continue;
    }
    const char next = i + 1 < text.size() ? text[++i] : '\0';
    switch (next) {
      case 't':
        *out += '\t';
        break;
      case 'r':
        *out += '\r';
        break;
      case 'n':
        *out += '\n';
        break;
      case '\\':
        *out += '\\';
        break;
      case '\0':
        return Status::Invalid("a lone backslash ends the cell");
      default:
        return Status::Invalid(std::string("unknown escape \\") + next);
    }
  }
  return Status::Ok();
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
}

// The code page 1251 field text of one cell. Plain ASCII cells, the most
// common ones, take the short way.
Status DecodeCell(std::string_view cell, std::string* scratch, std::string* bytes) {
  if (cell.find('\\') == std::string_view::npos) {
    if (IsAscii(cell)) {
      bytes->assign(cell);
      return Status::Ok();
    }
    return Utf8ToCp1251(cell, bytes);
  }
  Status s = UnescapeCell(cell, scratch);
  return s.ok() ? Utf8ToCp1251(*scratch, bytes) : s;
}

// The twelve cells of one line as code page 1251 field texts.
Status ParseRecordLine(std::string_view line, std::vector<std::string>* cells) {
  cells->resize(kDetalFieldCount);
  std::string scratch;
  std::size_t count = 0;
  for (std::size_t start = 0;; ++count) {
    const std::size_t tab = std::min(line.find('\t', start), line.size());
    if (count < kDetalFieldCount) {
      Status s = DecodeCell(line.substr(start, tab - start), &scratch, &(*cells)[count]);
      if (!s.ok()) return Status::Invalid(std::string(DetalFieldName(static_cast<int>(count))) + ": " + s.message());
    }
    if (tab == line.size()) break;
    start = tab + 1;
  }
  if (++count != kDetalFieldCount)
    return Status::Invalid(std::to_string(count) + " cells, expected " + std::to_string(kDetalFieldCount));
  DateTimeValue when;
  if (!ParseDateTimeText((*cells)[kDateTimeField], &when))
    return Status::Invalid("DateTime \"" + Cp1251ToUtf8((*cells)[kDateTimeField]) +
                           "\" is not a date-time (yyyy.mm.dd hh:mm:ss or yyyy.mm.dd)");
  return Status::Ok();
}

}  // namespace

int Fail(CliContext& c, const std::string& message) {
  c.err << "zvonar-cli: " << message << '\n';
  return kExitFailure;
}

// The table's file type and field widths from settings.ini.
static Status ReadTableSettings(const CliContext& c, std::string* dbType, DetalWidths* widths) {
  MainSettings settings;
  Status s = LoadMainSettings(c.dataDir + "settings.ini", &settings);
  if (!s.ok()) return s;
  *dbType = settings.dbType;
  for (std::size_t i = 0; i < widths->size(); ++i) (*widths)[i] = settings.fieldWidths[i];
  return Status::Ok();
}

Status OpenTable(const CliContext& c, Table* table, std::string* warning) {
  std::string dbType;
  DetalWidths widths{};
  Status s = ReadTableSettings(c, &dbType, &widths);
  return s.ok() ? OpenDetalTable(c.dataDir, dbType, widths, table, warning) : s;
}

namespace {

// Calls `use` with each line of `path` and its number; a CR before the LF
// is dropped. Stops at the first failure, returned as "path:line: what".
template <typename Use>
Status ForEachLine(const std::string& path, Use use) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Status::IoError("cannot open " + path + ": " + ErrnoText(errno));
  std::string line;
  for (std::size_t lineNo = 1; std::getline(in, line); ++lineNo) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Status s = use(line, lineNo);
    if (!s.ok()) return Status::Invalid(path + ":" + std::to_string(lineNo) + ": " + s.message());
  }
  if (in.bad()) return Status::IoError("cannot read " + path);
  return Status::Ok();
}

}  // namespace

int RunDump(CliContext& c) {
  std::string index;
  if (c.args.size() == 2 && c.args[0] == "--index" && (c.args[1] == kOwnerIndex || c.args[1] == kDateTimeIndex))
    index = c.args[1];
  else if (!c.args.empty())
    return kExitUsage;
  Table table;
  std::string warning;
  Status s = OpenTable(c, &table, &warning);
  if (!s.ok()) return Fail(c, s.message());
  if (!warning.empty()) {
    if (!index.empty()) return Fail(c, warning);
    c.err << "zvonar-cli: " << warning << '\n';
  }
  s = table.SetActiveIndex(index);
  std::string line;
  for (s = s.ok() ? table.First() : s; s.ok() && !table.Eof(); s = table.Next()) {
    line.clear();
    for (int i = 0; i < table.FieldCount(); ++i) {
      if (i > 0) line += '\t';
      line += EscapeCell(Cp1251ToUtf8(table.FieldText(i)));
    }
    line += '\n';
    c.out << line;
  }
  if (!s.ok()) return Fail(c, s.message());
  s = table.Close();
  return s.ok() ? kExitOk : Fail(c, s.message());
}

int RunLoadTsv(CliContext& c) {
  if (c.args.size() != 1) return kExitUsage;
  const std::string& path = c.args[0];
  std::vector<std::string> cells;
  Status s = ForEachLine(path, [&](std::string_view line, std::size_t) { return ParseRecordLine(line, &cells); });
  if (!s.ok()) return Fail(c, s.message());
  Table table;
  std::string warning;
  s = OpenTable(c, &table, &warning);
  if (!s.ok()) return Fail(c, s.message());
  if (!warning.empty()) c.err << "zvonar-cli: " << warning << '\n';
  s = table.BeginBulkAppend();
  if (s.ok())
    s = ForEachLine(path, [&](std::string_view line, std::size_t) {
      Status parsed = ParseRecordLine(line, &cells);
      return parsed.ok() ? table.BulkAppend(cells) : parsed;
    });
  Status end = table.EndBulkAppend();
  if (s.ok()) s = end;
  Status closed = table.Close();
  if (s.ok()) s = closed;
  return s.ok() ? kExitOk : Fail(c, s.message());
}

int RunReindex(CliContext& c) {
  if (!c.args.empty()) return kExitUsage;
  std::string dbType;
  DetalWidths widths{};
  Status s = ReadTableSettings(c, &dbType, &widths);
  Table table;
  if (s.ok()) s = ReCreateDetalIndex(c.dataDir, dbType, widths, &table);
  if (s.ok()) s = table.Close();
  return s.ok() ? kExitOk : Fail(c, s.message());
}

}  // namespace zvonar
