// libFuzzer target for the table and index readers. The input is a table
// file and its index file joined by kSeparator (no separator: a table
// without its index file); both are written into a scratch directory as
// Tellura.dbf and Tellura.MDX and opened as a table.
//
// A table that fails to open must be left byte for byte as it was. One that
// opens is walked in physical order and in each tag's order, forwards and
// backwards, every field read; each walk must meet every live record once.
// After a close the index file must be in step: a second open rebuilds
// nothing and finds the same records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

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
    if (text.size() > limit) std::abort();
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find(kSeparator);
  const std::string_view dbf = input.substr(0, split);
  const std::string tablePath = ScratchFile("Tellura.dbf");
  const std::string indexPath = ScratchFile("Tellura.MDX");
  PutFile(tablePath, dbf);
  std::error_code ec;
  std::filesystem::remove(indexPath, ec);
  if (split != std::string_view::npos) PutFile(indexPath, input.substr(split + kSeparator.size()));

  Table table;
  OpenNotes notes;
  if (!table.Open(tablePath, &notes).ok()) {
    std::string after;
    if (!ReadWholeFile(tablePath, &after).ok() || after != dbf) std::abort();
    return 0;
  }
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
  const std::uint32_t count = table.RecordCount();
  if (!table.Close().ok()) return 0;

  Table again;
  if (!again.Open(tablePath, &notes).ok()) std::abort();
  if (!notes.indexRebuilt.empty() || notes.recoveredRecords != 0 || again.RecordCount() != count) std::abort();
  if (!again.Close().ok()) std::abort();
  return 0;
}
