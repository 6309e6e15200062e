// The text form of a record that `zvonar-cli dump` prints and `load-tsv`
// reads: one line of twelve cells separated by one TAB, in UTF-8, each cell
// the text the result list shows. A TAB, CR, LF or backslash inside a cell
// is written \t, \r, \n, \\.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"

namespace zvonar {

// A cell as dump prints it: `text` (UTF-8) with TAB, CR, LF and backslash
// escaped.
std::string EscapeCell(std::string_view text);
// Appends the cell dump prints for `text`, code page 1251 bytes, to `line`:
// EscapeCell of its UTF-8, without a copy of the cell.
void AppendCell(std::string_view text, std::string* line);

// Reads one line (without its line end) into twelve code page 1251 field
// texts. Refused, saying why: another number of cells, an unknown escape, a
// character code page 1251 lacks, a DateTime that is not
// "yyyy.mm.dd[ hh:mm:ss]". Widths are not checked here.
Status ParseRecordLine(std::string_view line, std::vector<std::string>* cells);

}  // namespace zvonar
