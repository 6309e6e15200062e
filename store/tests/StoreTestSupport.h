// Helpers for the store tests: a small three-field table with two tags, and
// reading a whole table in one order as lines "field|field|field".
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "store/Table.h"

namespace zvonar::testing {

// NAME (text, 6, indexed), WHEN (date-time, indexed), NOTE (text, 10).
inline std::vector<FieldDef> SmallFieldDefs() {
  return {{"NAME", FieldType::Character, 6, true},
          {"WHEN", FieldType::DateTime, 8, true},
          {"NOTE", FieldType::Character, 10, false}};
}

inline Status AddRecord(Table& table, std::initializer_list<std::string_view> texts) {
  Status s = table.Append();
  int i = 0;
  for (std::string_view text : texts)
    if (s.ok()) s = table.SetFieldText(i++, text);
  if (s.ok()) s = table.Post();
  if (!s.ok()) table.Cancel();
  return s;
}

// A new small table at `path` holding the first `count` of the records bob
// (2024.03.02 10:00), alice (2024.03.03) and carl (2024.03.01), in that order.
inline void CreateSmallTable(const std::string& path, int count) {
  ASSERT_TRUE(Table::Create(path, SmallFieldDefs()).ok());
  Table table;
  ASSERT_TRUE(table.Open(path).ok());
  const std::initializer_list<std::string_view> records[] = {
      {"bob", "2024.03.02 10:00:00", "one"}, {"alice", "2024.03.03", "two"}, {"carl", "2024.03.01", "three"}};
  for (int i = 0; i < count; ++i) ASSERT_TRUE(AddRecord(table, records[i]).ok());
  ASSERT_TRUE(table.Close().ok());
}

inline std::string RecordLine(const Table& table) {
  std::string line;
  for (int i = 0; i < table.FieldCount(); ++i) line += (i > 0 ? "|" : "") + table.FieldText(i);
  return line;
}

// Every record in the order of `index` ("" = physical), walked with First/Next.
inline std::vector<std::string> ReadAll(Table& table, std::string_view index = "") {
  std::vector<std::string> lines;
  EXPECT_TRUE(table.SetActiveIndex(index).ok()) << index;
  for (Status s = table.First(); s.ok() && !table.Eof(); s = table.Next()) lines.push_back(RecordLine(table));
  return lines;
}

}  // namespace zvonar::testing
