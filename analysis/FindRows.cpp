// The folded copy of a list: the searched cells of row 0, then of row 1 and
// so on, each cell folded by LowerCharRu and ended by a '\0' byte, which no
// typed text holds, so a match never runs from one cell into the next.
// rowStarts_ holds the offset of each row's first cell and, last, the size
// of the text. A scan finds the text with memmem, notes the row and goes on
// from the next row's start.
#include "analysis/FindRows.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "import/TextUtils.h"
#include "store/Table.h"

namespace zvonar {
namespace {

// LowerCharRu for each of the 256 codes, looked up once per byte.
const std::array<char, 256>& FoldTable() {
  static const std::array<char, 256> table = [] {
    std::array<char, 256> t{};
    for (int c = 0; c < 256; ++c) t[static_cast<std::size_t>(c)] = LowerCharRu(static_cast<char>(c));
    return t;
  }();
  return table;
}

// Below this share of the rows the matches of a shorter text are searched
// one by one; above it one scan of everything is quicker.
constexpr std::size_t kNarrowShare = 8;

}  // namespace

void FindRows::Clear() {
  text_.clear();
  rowStarts_.assign(1, 0);
  needle_.clear();
  matches_.clear();
}

void FindRows::Reserve(std::size_t rows, std::size_t textBytes) {
  rowStarts_.reserve(rows + 1);
  text_.reserve(textBytes);
}

void FindRows::AddRow(std::initializer_list<std::string_view> cells) {
  const auto& fold = FoldTable();
  for (std::string_view cell : cells) {
    const std::size_t at = text_.size();
    text_.resize(at + cell.size() + 1);
    char* out = text_.data() + at;
    for (char c : cell) *out++ = fold[static_cast<unsigned char>(c)];
    *out = '\0';
  }
  rowStarts_.push_back(text_.size());
}

void FindRows::Search(std::string_view text) {
  std::string folded(text.size(), '\0');
  const auto& fold = FoldTable();
  std::transform(text.begin(), text.end(), folded.begin(), [&](char c) { return fold[static_cast<unsigned char>(c)]; });
  const bool narrower = !needle_.empty() && folded.find(needle_) != std::string::npos;
  const bool few = matches_.size() <= RowCount() / kNarrowShare;
  needle_ = std::move(folded);
  if (needle_.empty() || needle_.find('\0') != std::string::npos) {
    needle_.clear();
    matches_.clear();
  } else if (narrower && few) {
    ScanMatches();
  } else {
    ScanAll();
  }
}

void FindRows::ScanAll() {
  matches_.clear();
  const char* const begin = text_.data();
  const char* const end = begin + text_.size();
  const char* from = begin;
  std::size_t row = 0;
  while (from < end) {
    const void* found = memmem(from, static_cast<std::size_t>(end - from), needle_.data(), needle_.size());
    if (found == nullptr) break;
    const auto offset = static_cast<std::size_t>(static_cast<const char*>(found) - begin);
    while (rowStarts_[row + 1] <= offset) ++row;
    matches_.push_back(static_cast<std::uint32_t>(row));
    from = begin + rowStarts_[row + 1];
  }
}

void FindRows::ScanMatches() {
  std::size_t kept = 0;
  for (const std::uint32_t row : matches_) {
    const char* start = text_.data() + rowStarts_[row];
    const std::size_t length = rowStarts_[row + 1] - rowStarts_[row];
    if (memmem(start, length, needle_.data(), needle_.size()) != nullptr) matches_[kept++] = row;
  }
  matches_.resize(kept);
}

bool FindRows::IsMatch(std::size_t row) const {
  return std::binary_search(matches_.begin(), matches_.end(), row);
}

std::size_t FindRows::OrdinalOf(std::size_t row) const {
  const auto it = std::lower_bound(matches_.begin(), matches_.end(), row);
  return it != matches_.end() && *it == row ? static_cast<std::size_t>(it - matches_.begin()) + 1 : 0;
}

FindHit FindRows::Hit(std::size_t index, bool wrapped) const {
  return FindHit{matches_[index], index + 1, wrapped};
}

std::optional<FindHit> FindRows::AtOrAfter(std::size_t row) const {
  if (matches_.empty()) return std::nullopt;
  const auto it = std::lower_bound(matches_.begin(), matches_.end(), row);
  if (it == matches_.end()) return Hit(0, true);
  return Hit(static_cast<std::size_t>(it - matches_.begin()), false);
}

std::optional<FindHit> FindRows::After(std::size_t row) const {
  if (matches_.empty()) return std::nullopt;
  const auto it = std::upper_bound(matches_.begin(), matches_.end(), row);
  if (it == matches_.end()) return Hit(0, true);
  return Hit(static_cast<std::size_t>(it - matches_.begin()), false);
}

std::optional<FindHit> FindRows::Before(std::size_t row) const {
  if (matches_.empty()) return std::nullopt;
  const auto it = std::lower_bound(matches_.begin(), matches_.end(), row);
  if (it == matches_.begin()) return Hit(matches_.size() - 1, true);
  return Hit(static_cast<std::size_t>(it - matches_.begin()) - 1, false);
}

FindRows FindRowsOfList(const ResultRows& rows) {
  FindRows found;
  const std::size_t count = rows.RowCount();
  found.Reserve(count, count * 48);
  for (std::size_t r = 0; r < count; ++r) {
    found.AddRow({rows.Cell(r, kFindColumns[0]), rows.Cell(r, kFindColumns[1]), rows.Cell(r, kFindColumns[2]),
                  rows.Cell(r, kFindColumns[3]), rows.Cell(r, kFindColumns[4])});
  }
  return found;
}

Status FindRowsOfTable(Table* table, const ProgressFn& progress, FindRows* rows) {
  rows->Clear();
  if (!table->IsOpen()) return Status::Ok();
  const TableReadHold read(*table);
  if (!read.status().ok()) return read.status();
  const std::uint32_t count = table->RecordCount();
  const std::uint32_t keep = table->Position();
  const bool hadRecord = count > 0 && !table->Eof();
  rows->Reserve(count, std::size_t{count} * 48);
  // A table short of fields (one not created by this program) gives its
  // missing columns empty.
  const int fields = table->FieldCount();
  char dates[5][kDateTimeTextMax];
  const auto cell = [&](int i) {
    const int field = kFindColumns[i];
    return field < fields ? table->FieldView(field, dates[i]) : std::string_view();
  };
  Status s = table->First();
  for (std::uint32_t done = 0; s.ok() && !table->Eof() && done < count; ++done) {
    rows->AddRow({cell(0), cell(1), cell(2), cell(3), cell(4)});
    if (progress && done % 4096 == 0) progress(done, count);
    s = table->Next();
  }
  if (progress) progress(count, count);
  if (hadRecord && keep < table->RecordCount()) {
    const Status back = table->GoToPosition(keep);
    if (s.ok()) s = back;
  }
  if (!s.ok()) rows->Clear();
  return s;
}

}  // namespace zvonar
