// Filtered-list files: the rows of the result list written to a text file
// and read back without the table. The old-base import reads its per-owner
// files with the same routine.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ResultRows.h"
#include "base/Progress.h"
#include "base/Status.h"

namespace zvonar {

inline constexpr char kListFileExtension[] = "fil";

// A chosen file path cut as the list commands cut it: the folder before the
// last "/", the base name between that "/" and the last full stop, and the
// extension after the last full stop. "d/a.b.fil" gives d, a.b and fil.
struct ListPath {
  std::string folder, baseName, extension;
};
ListPath SplitListPath(std::string_view path);
// The file a folder, base name and extension name: folder/base.extension.
std::string ListFilePath(std::string_view folder, std::string_view baseName, std::string_view extension);

// The line of one row: DateTime, "=", Number, then Abonent (empty unless
// `withAbonent`), Code, Type, Sec, Min, Cost, MTP, All and Roaming, each
// after a "#". The Owner is not written; the file's base name stands for it.
// A cell is written so that the line reads back into the same cells: "#" in
// any cell becomes "\xB9" (the sign No. of code page 1251), a CR, LF or TAB a
// blank, and "=" in DateTime a blank. `replaced` (may be null) is increased
// by the number of cells so changed.
std::string ListFileLine(const ResultRows& rows, std::size_t row, bool withAbonent, std::size_t* replaced = nullptr);

// Writes the lines of `rows` in list order to folder/baseName.extension,
// replacing the file as a whole. With `onlyThisOwner` only rows whose Owner
// equals `baseName` exactly are written. `replaced` (may be null) receives
// the number of cells written otherwise than they stand (ListFileLine).
Status SaveListFile(const ResultRows& rows, std::string_view folder, std::string_view baseName, bool onlyThisOwner,
                    bool withAbonent, std::string_view extension, std::size_t* replaced = nullptr);

// The row of one line; its Owner is `owner`. DateTime is the text before
// the first "=", the text after it is cut at every "#" into Number,
// Abonent, ... Roaming in order; missing cells are empty, and pieces after
// the tenth (Roaming) have no cell and are dropped. A line without "=" gives
// a row of empty cells.
void AppendListLine(std::string_view line, std::string_view owner, ResultRows* rows);

struct LoadListOptions {
  // Rows already in the list are dropped when the file has a line.
  bool clear = true;
  // Greater than 0 and less than the line count: only the last lines.
  std::size_t lastLines = 0;
  // Called with each line's ordinal (from 1) and the line count.
  ProgressFn progress;
  // The Owner of the rows; empty: the base name (a file name in another
  // encoding than the texts' is given here in code page 1251).
  std::string owner;
};

// Appends the rows of a list file's `lines` to `rows` as LoadListFile
// reads them, each with Owner `owner`; returns the index of the first line
// read (0 unless only the last lines are).
std::size_t AppendListLines(const std::vector<std::string>& lines, std::string_view owner,
                            const LoadListOptions& options, ResultRows* rows);

// Reads folder/baseName.extension into `rows`, each row's Owner being
// `baseName` or the owner the options name. A missing file changes nothing and sets `*found` (may be
// null) to false; an empty file leaves `rows` as they are.
Status LoadListFile(std::string_view folder, std::string_view baseName, std::string_view extension,
                    const LoadListOptions& options, ResultRows* rows, bool* found = nullptr);

}  // namespace zvonar
