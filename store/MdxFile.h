// The production index file (NAME.MDX) of a table: written whole from the
// tags held in memory; read and changed block by block through MdxTree. A
// marker in the file header ties the file to the state of the table it was
// written for, so an index left behind by a crash or damaged on disk is
// recognised.
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

// The file header's size, where the tag table starts, the bytes per tag
// entry, and the marker's place in the header.
inline constexpr std::size_t kMdxHeaderBytes = 2048;
inline constexpr std::size_t kMdxTagTable = 544;
inline constexpr std::size_t kMdxTagEntry = 32;
inline constexpr std::size_t kMdxMarker = 64;
inline constexpr std::size_t kMdxMarkerEnd = 96;

// Bytes of one node entry of `tag`, and the entries a node holds.
int MdxEntryLength(const TagIndex& tag);
int MdxKeysPerNode(const TagIndex& tag);

// Corrupt: the index file at `path` does not match the table, and why.
Status MdxStale(const std::string& path, const std::string& why);

// What the marker's checksum covers: the file `header` (kMdxHeaderBytes)
// but the marker's state and checksum, then each tag's header block.
std::uint64_t MdxHeadersChecksum(const char* header, const std::vector<const char*>& tagHeaders);

// Puts into the file `header` the marker of a file in step with `marker`,
// counting `live` records, its checksum over `header` and `tagHeaders`.
void PutMdxMarker(const IndexMarker& marker, std::uint32_t live, const std::vector<const char*>& tagHeaders,
                  char* header);

// Checks the file `header` against the table: this program's current form,
// in step with `expected`, holding `tags`. `live` gets the live records.
Status CheckMdxHeader(const std::string& path, const std::string& header, const IndexMarker& expected,
                      const std::vector<TagIndex>& tags, std::uint32_t* live);

// Marks the index file on disk as behind the table, before the table
// changes in a way the file does not show yet. A missing file is left so.
Status MarkMdxStale(const std::string& path);

}  // namespace zvonar
