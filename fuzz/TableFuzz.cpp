// libFuzzer target for the table and index readers. The input is a table
// file and its index file joined by kSeparator (no separator: a table
// without its index file); both are written into a scratch directory as
// Tellura.dbf and Tellura.MDX and opened as a table.
//
// Opened for reading, the table must leave both files byte for byte as they
// were, whether it opens or not; one that opens is walked in physical order
// and in each tag's order, forwards and backwards, every field read, and
// each walk must meet every live record once. Opened for writing, the index
// is re-created and one record appended; the table then reopens with that
// record more and an index file in step with it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/TextFile.h"
#include "fuzz/FuzzSupport.h"
#include "store/Table.h"

namespace {

using namespace zvonar;
using namespace zvonar::fuzz;

constexpr std::string_view kSeparator = "\n==MDX==\n";

// Reads every field of the current record; the texts must fit the fields.
void ReadFields(const Table& table) {
  for (int i = 0; i < table.FieldCount(); ++i) {
    const std::string text = table.FieldText(i);
    const std::size_t limit = table.Field(i).type == FieldType::DateTime ? 19 : table.Field(i).width;
    if (text.size() > limit || (table.FieldDamaged(i) && !text.empty())) std::abort();
  }
}

// Walks the active order both ways; returns the record numbers met. The
// files cannot change under the walk, so a failing move is a fault too.
std::set<std::uint32_t> Walk(Table& table) {
  std::set<std::uint32_t> met;
  for (Status s = table.First(); !table.Eof(); s = table.Next()) {
    if (!s.ok() || !met.insert(table.RecNo()).second || met.size() > table.RecordCount()) std::abort();
    ReadFields(table);
  }
  if (met.size() != table.RecordCount()) std::abort();
  std::uint32_t back = 0;
  for (Status s = table.Last(); !table.Bof(); s = table.Prior()) {
    if (!s.ok() || !met.contains(table.RecNo()) || ++back > table.RecordCount()) std::abort();
    ReadFields(table);
  }
  if (back != table.RecordCount()) std::abort();
  return met;
}

// Walks every order of a table open for reading and closes it.
void WalkEveryOrder(Table& table) {
  const std::set<std::uint32_t> records = Walk(table);
  for (const std::string& name : table.IndexNames()) {
    if (!table.SetActiveIndex(name).ok()) std::abort();
    if (Walk(table) != records) std::abort();
    if (table.RecordCount() > 0) {
      const std::string key = table.FieldText(table.FieldIndex(name));
      (void)table.FindNearest(key);
      ReadFields(table);
    }
  }
  if (!table.Close().ok()) std::abort();
}

// A record every table takes: a date in date-time fields, a letter elsewhere.
std::vector<std::string> NewRecord(const Table& table) {
  std::vector<std::string> texts;
  for (int i = 0; i < table.FieldCount(); ++i)
    texts.push_back(table.Field(i).type == FieldType::DateTime ? "2024.03.15 10:20:30" : "x");
  return texts;
}

std::string Contents(const std::string& path) {
  std::string bytes;
  return ReadWholeFile(path, &bytes).ok() ? bytes : "(missing)";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find(kSeparator);
  const std::string tablePath = ScratchFile("Tellura.dbf");
  const std::string indexPath = ScratchFile("Tellura.MDX");
  PutFile(tablePath, input.substr(0, split));
  std::error_code ec;
  std::filesystem::remove(indexPath, ec);
  if (split != std::string_view::npos) PutFile(indexPath, input.substr(split + kSeparator.size()));
  const std::string dbf = Contents(tablePath);
  const std::string mdx = Contents(indexPath);

  OpenOptions reading;
  reading.access = TableAccess::Read;
  {
    Table table;
    const bool opened = table.Open(tablePath, nullptr, reading).ok();
    if (opened) WalkEveryOrder(table);
    if (Contents(tablePath) != dbf || Contents(indexPath) != mdx) std::abort();
    if (!opened) return 0;
  }

  std::uint32_t count = 0;
  {
    Table table;
    if (!table.Open(tablePath).ok()) {
      if (Contents(tablePath) != dbf) std::abort();
      return 0;
    }
    if (!table.ReCreateIndex().ok() || !table.BeginBulkAppend().ok() || !table.BulkAppend(NewRecord(table)).ok() ||
        !table.EndBulkAppend().ok())
      std::abort();
    count = table.RecordCount();
    if (!table.Close().ok()) std::abort();
  }

  Table again;
  OpenNotes notes;
  if (!again.Open(tablePath, &notes, reading).ok()) std::abort();
  if (!notes.indexRebuilt.empty() || notes.indexMissing || again.RecordCount() != count) std::abort();
  WalkEveryOrder(again);
  return 0;
}
