// The production index file (NAME.MDX) of a table: written whole from the
// tags held in memory, read back into them on open. A marker in the file
// header ties the file to the state of the table it was written for, so an
// index left behind by a crash or damaged on disk is recognised.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Status.h"
#include "store/TagIndex.h"

namespace zvonar {

// What the index file must agree with: the table's record count (deleted
// records included) and a fingerprint of its last record.
struct IndexMarker {
  std::uint32_t records = 0;
  std::uint64_t fingerprint = 0;
};

// Writes the index file for `tags` (their key order) under a new name and
// renames it over `path`. `tableName` is the table's file name.
Status WriteMdxFile(const std::string& path, const std::string& tableName, const std::vector<TagIndex>& tags,
                    const IndexMarker& marker);

// Loads the key order of `tags` (made for the table's fields, with key slots
// for every record) from the index file. NotFound when the file is missing;
// Corrupt, saying why, when it does not belong to the table in its present
// state or is damaged. On success `deleted` lists, ascending, the records
// no tag holds.
Status ReadMdxFile(const std::string& path, const IndexMarker& expected, std::vector<TagIndex>* tags,
                   std::vector<std::uint32_t>* deleted);

// Marks the index file on disk as behind the table, before the table
// changes in a way the file does not show yet. A missing file is left so.
Status MarkMdxStale(const std::string& path);

}  // namespace zvonar
