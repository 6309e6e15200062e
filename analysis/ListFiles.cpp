// A filtered-list file is plain text in code page 1251, one line per row,
// CR LF line ends, no header and no trailer:
//
//   DateTime=Number#Abonent#Code#Type#Sec#Min#Cost#MTP#All#Roaming
//
// The format has no escape: a cell is written with the characters that
// would cut it replaced ("#" by the sign No., CR, LF and TAB by a blank, "="
// in DateTime by a blank), so that every line reads back into the cells it
// was made of. The Owner of every row is the file's base name.
#include "analysis/ListFiles.h"

#include "base/TextFile.h"
#include "import/TextUtils.h"

namespace zvonar {

ListPath SplitListPath(std::string_view path) {
  return {TextBeforeLast(path, '/'), TextBetweenLast(path, '/', '.'), TextAfterLast(path, '.')};
}

std::string ListFilePath(std::string_view folder, std::string_view baseName, std::string_view extension) {
  std::string name(baseName);
  name += '.';
  name += extension;
  return JoinPath(folder, name);
}

namespace {

constexpr char kNumberSign = '\xB9';  // "No." in code page 1251

// Appends `cell` to `line` with the characters that would cut it replaced:
// "#" and, when `equalsToo`, "=" . True when one was replaced.
bool AppendCell(std::string_view cell, bool equalsToo, std::string* line) {
  const std::string_view cutting = equalsToo ? std::string_view("#\r\n\t=") : std::string_view("#\r\n\t");
  if (cell.find_first_of(cutting) == std::string_view::npos) {
    line->append(cell);
    return false;
  }
  for (const char ch : cell) {
    if (ch == '#')
      *line += kNumberSign;
    else if (cutting.find(ch) != std::string_view::npos)
      *line += ' ';
    else
      *line += ch;
  }
  return true;
}

}  // namespace

std::string ListFileLine(const ResultRows& rows, std::size_t row, bool withAbonent, std::size_t* replaced) {
  std::size_t changed = 0;
  std::string line;
  changed += AppendCell(rows.Cell(row, 1), true, &line) ? 1 : 0;
  line += '=';
  changed += AppendCell(rows.Cell(row, 2), false, &line) ? 1 : 0;
  for (int c = 3; c < kResultColumns; ++c) {
    line += '#';
    if (c != 3 || withAbonent) changed += AppendCell(rows.Cell(row, c), false, &line) ? 1 : 0;
  }
  if (replaced != nullptr) *replaced += changed;
  return line;
}

Status SaveListFile(const ResultRows& rows, std::string_view folder, std::string_view baseName, bool onlyThisOwner,
                    bool withAbonent, std::string_view extension, std::size_t* replaced) {
  std::vector<std::string> lines;
  lines.reserve(rows.RowCount());
  std::size_t changed = 0;
  for (std::size_t r = 0; r < rows.RowCount(); ++r)
    if (!onlyThisOwner || rows.Cell(r, 0) == baseName) lines.push_back(ListFileLine(rows, r, withAbonent, &changed));
  const Status s = WriteTextLines(ListFilePath(folder, baseName, extension), lines);
  if (replaced != nullptr) *replaced = changed;
  return s;
}

void AppendListLine(std::string_view line, std::string_view owner, ResultRows* rows) {
  std::array<std::string_view, kResultColumns> cells{};
  cells[0] = owner;
  const std::size_t equals = line.find('=');
  if (equals != std::string_view::npos) {
    cells[1] = line.substr(0, equals);
    std::string_view rest = line.substr(equals + 1);
    for (int c = 2; c < kResultColumns; ++c) {
      const std::size_t hash = rest.find('#');
      cells[static_cast<std::size_t>(c)] = rest.substr(0, hash);
      if (hash == std::string_view::npos) break;
      rest.remove_prefix(hash + 1);
    }
  }
  rows->Append(cells);
}

Status LoadListFile(std::string_view folder, std::string_view baseName, std::string_view extension,
                    const LoadListOptions& options, ResultRows* rows, bool* found) {
  const std::string path = ListFilePath(folder, baseName, extension);
  if (found != nullptr) *found = FileExists(path);
  if (!FileExists(path)) return Status::Ok();
  std::vector<std::string> lines;
  Status s = ReadTextLines(path, &lines);
  if (!s.ok()) return s;
  AppendListLines(lines, options.owner.empty() ? baseName : std::string_view(options.owner), options, rows);
  return Status::Ok();
}

std::size_t AppendListLines(const std::vector<std::string>& lines, std::string_view owner,
                            const LoadListOptions& options, ResultRows* rows) {
  if (options.clear && !lines.empty()) rows->Clear();
  const std::size_t count = lines.size();
  const std::size_t first = options.lastLines > 0 && options.lastLines < count ? count - options.lastLines : 0;
  for (std::size_t i = first; i < count; ++i) {
    AppendListLine(lines[i], owner, rows);
    if (options.progress) options.progress(static_cast<int64_t>(i + 1), static_cast<int64_t>(count));
  }
  return first;
}

}  // namespace zvonar
