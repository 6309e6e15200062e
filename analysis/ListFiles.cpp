// A filtered-list file is plain text in code page 1251, one line per row,
// CR LF line ends, no header and no trailer:
//
//   DateTime=Number#Abonent#Code#Type#Sec#Min#Cost#MTP#All#Roaming
//
// Cells are written as they stand, without escaping. The Owner of every
// row is the file's base name.
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

std::string ListFileLine(const ResultRows& rows, std::size_t row, bool withAbonent) {
  std::string line(rows.Cell(row, 1));
  line += '=';
  line += rows.Cell(row, 2);
  for (int c = 3; c < kResultColumns; ++c) {
    line += '#';
    if (c != 3 || withAbonent) line += rows.Cell(row, c);
  }
  return line;
}

Status SaveListFile(const ResultRows& rows, std::string_view folder, std::string_view baseName, bool onlyThisOwner,
                    bool withAbonent, std::string_view extension) {
  std::vector<std::string> lines;
  lines.reserve(rows.RowCount());
  for (std::size_t r = 0; r < rows.RowCount(); ++r)
    if (!onlyThisOwner || rows.Cell(r, 0) == baseName) lines.push_back(ListFileLine(rows, r, withAbonent));
  return WriteTextLines(ListFilePath(folder, baseName, extension), lines);
}

void AppendListLine(std::string_view line, std::string_view owner, ResultRows* rows) {
  std::array<std::string_view, kResultColumns> cells{};
  cells[0] = owner;
  const std::size_t equals = line.find('=');
  if (equals != std::string_view::npos) {
    cells[1] = line.substr(0, equals);
    std::string_view rest = line.substr(equals + 1);
    for (int c = 2; c < kResultColumns; ++c) {
      const std::size_t hash = c + 1 < kResultColumns ? rest.find('#') : std::string_view::npos;
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
