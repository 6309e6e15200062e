// Cells are decoded from UTF-8 and escapes into code page 1251 bytes, the
// text the table stores; the DateTime cell must read as a date-time.
#include "cli/RecordLine.h"

#include <algorithm>
#include <cstring>

#include "base/Cp1251.h"
#include "store/DateTimeField.h"
#include "store/DetalTable.h"

namespace zvonar {
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

// Whether `text` holds a byte beyond ASCII or an escape; one pass without
// an early end, which the compiler makes a vector loop.
bool NeedsDecoding(std::string_view text) {
  bool special = false;
  for (const char c : text) special |= static_cast<unsigned char>(c) >= 0x80 || c == '\\';
  return special;
}

// The code page 1251 field text of one cell, whose escapes and letters
// beyond ASCII `plain` tells. Plain cells, the most common ones, take the
// short way.
Status DecodeCell(std::string_view cell, bool plain, std::string* scratch, std::string* bytes) {
  if (plain) {
    bytes->assign(cell);
    return Status::Ok();
  }
  if (cell.find('\\') == std::string_view::npos) return Utf8ToCp1251(cell, bytes);
  Status s = UnescapeCell(cell, scratch);
  return s.ok() ? Utf8ToCp1251(*scratch, bytes) : s;
}

}  // namespace

namespace {

// The escape of a byte a cell cannot show as it is; null for the others.
const char* EscapeOf(char ch) {
  switch (ch) {
    case '\t':
      return "\\t";
    case '\r':
      return "\\r";
    case '\n':
      return "\\n";
    case '\\':
      return "\\\\";
    default:
      return nullptr;
  }
}

}  // namespace

std::string EscapeCell(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const char* escape = EscapeOf(ch);
    if (escape != nullptr)
      out += escape;
    else
      out += ch;
  }
  return out;
}

// The escaped bytes are ASCII, the same in code page 1251 and UTF-8, so the
// text between them converts as it is.
void AppendCell(std::string_view text, std::string* line) {
  std::size_t from = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* escape = EscapeOf(text[i]);
    if (escape == nullptr) continue;
    AppendCp1251AsUtf8(text.substr(from, i - from), line);
    *line += escape;
    from = i + 1;
  }
  AppendCp1251AsUtf8(text.substr(from), line);
}

Status ParseRecordLine(std::string_view line, std::vector<std::string>* cells) {
  cells->resize(kDetalFieldCount);
  std::string scratch;
  // Most lines are plain ASCII throughout; only in the others is each cell
  // looked at again.
  const bool special = NeedsDecoding(line);
  std::size_t count = 0;
  for (std::size_t start = 0;; ++count) {
    const void* found = std::memchr(line.data() + start, '\t', line.size() - start);
    const std::size_t tab =
        found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - line.data()) : line.size();
    if (count < kDetalFieldCount) {
      const std::string_view cell = line.substr(start, tab - start);
      Status s = DecodeCell(cell, !special || !NeedsDecoding(cell), &scratch, &(*cells)[count]);
      if (!s.ok()) return Status::Invalid(std::string(DetalFieldName(static_cast<int>(count))) + ": " + s.message());
    }
    if (tab == line.size()) break;
    start = tab + 1;
  }
  if (++count != kDetalFieldCount)
    return Status::Invalid(std::to_string(count) + " cells, expected " + std::to_string(kDetalFieldCount));
  DateTimeValue when;
  if (!ParseDateTimeText((*cells)[kDateTimeField], &when))
    return Status::Invalid("DateTime " + QuotedCell((*cells)[kDateTimeField]) +
                           " is not a date-time (yyyy.mm.dd hh:mm:ss or yyyy.mm.dd)");
  return Status::Ok();
}

}  // namespace zvonar
