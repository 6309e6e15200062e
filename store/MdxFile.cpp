// The index file, dBase IV multiple-index layout, 512-byte pages, one block
// = 2 pages = 1024 bytes, every pointer a page number:
//   pages 0-3, file header: 0 version 2; 1-3 date; 4-19 table name; 20-21
//     pages per block; 22-23 block bytes; 24 production flag; 25 tag slots
//     (48); 26-27 tag entry length (32); 28-29 tags; 30 next tag number;
//     31 0x1B; 32-35 pages in the file; 44-46 date. Bytes 64-95 are this
//     program's marker: "ZVIB", state (1 in step with the table, 2 behind),
//     record count, live records, fingerprint of the last record, and a
//     checksum of the file header and the tag headers, the marker's
//     state and checksum left out. Files of earlier versions hold "ZVIX" and a checksum of
//     the whole file; they are read as behind the table.
//     Tag table at 544, 32 bytes per tag: 0-3 tag header page; 4-14 name;
//     15 key format 0x10; 16/17/18 lower/higher/parent slot in a binary
//     tree over the names; 19 0x02; 20 key type.
//   each tag: a header block (0-3 root page; 4-7 pages used; 8 key format;
//     9 key type; 12-13 key length; 14-15 keys per node; 16-17 1 for date
//     keys; 18-19 entry length; 20 serial; 24 expression; 248-255 leftmost
//     and rightmost leaf; 480 1 for a single-field expression), then nodes.
//   node block: 0-3 key count n; from 8, n entries of (4-byte pointer, key,
//     zero fill to the entry length). Leaf: pointer = record number, the
//     word after the last entry is 0. Branch: pointer = child page, key =
//     largest key in that child, and the word after the last entry is the
//     rightmost child.
// The tags hold live records only: a deleted record leaves the tags as it
// is marked. Keys: text as stored; date-times as the
// day number plus the time as a fraction of a day, in a little-endian double.
#include "store/MdxFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "base/DiskSteps.h"
#include "base/LargeBuffer.h"
#include "base/TextFile.h"
#include "store/Bytes.h"

namespace zvonar {
namespace {

constexpr std::size_t kPage = 512;
constexpr std::size_t kBlock = 1024;
constexpr std::size_t kHeaderBytes = kMdxHeaderBytes;
constexpr std::size_t kTagTable = kMdxTagTable;
constexpr std::size_t kTagEntry = kMdxTagEntry;
constexpr std::size_t kMarker = kMdxMarker;
constexpr char kMagic[4] = {'Z', 'V', 'I', 'B'};
constexpr char kWholeFileMagic[4] = {'Z', 'V', 'I', 'X'};
constexpr std::uint32_t kInStep = 1;
constexpr std::uint32_t kBehind = 2;

int EntryLength(const TagIndex& tag) {
  return MdxEntryLength(tag);
}
int KeysPerNode(const TagIndex& tag) {
  return MdxKeysPerNode(tag);
}

// Keys a leaf of a tree built whole holds: a tenth of its room stays free,
// so that keys added later between the old ones seldom split a leaf.
int LeafFill(int perNode) {
  return std::max(1, perNode - perNode / 10);
}

// Builds one tag's nodes into `image` from page `*next` on; returns the
// root page and fills the header fields that point into the tree.
class TagWriter {
 public:
  TagWriter(const TagIndex& tag, LargeString* image, std::uint32_t* next)
      : tag_(tag), image_(*image), next_(*next), entry_(EntryLength(tag)), perNode_(KeysPerNode(tag)) {}

  std::uint32_t Write(std::uint32_t* firstLeaf, std::uint32_t* lastLeaf) {
    // Leaves, filled but for room for a few keys; an empty tag is one empty
    // leaf.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> level;  // (page, record with the largest key)
    const std::uint32_t n = tag_.size();
    const auto perLeaf = static_cast<std::uint32_t>(LeafFill(perNode_));
    for (std::uint32_t at = 0; at < n || level.empty(); at += perLeaf) {
      const std::uint32_t count = std::min<std::uint32_t>(perLeaf, n - at);
      char* node = NewNode(&level);
      PutU32(count, node);
      for (std::uint32_t i = 0; i < count; ++i) {
        char* e = node + 8 + i * entry_;
        PutU32(tag_.RecnoAt(at + i), e);
        tag_.FileKey(tag_.RecnoAt(at + i), e + 4);
      }
      level.back().second = count > 0 ? tag_.RecnoAt(at + count - 1) : 0;
    }
    *firstLeaf = level.front().first;
    *lastLeaf = level.back().first;
    while (level.size() > 1) level = BranchLevel(level);
    return level.front().first;
  }

 private:
  char* NewNode(std::vector<std::pair<std::uint32_t, std::uint32_t>>* level) {
    level->emplace_back(next_, 0);
    next_ += kBlock / kPage;
    image_.resize(next_ * kPage, '\0');
    return &image_[level->back().first * kPage];
  }

  // Groups children evenly into branches of at most perNode_ + 1 children.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> BranchLevel(
      const std::vector<std::pair<std::uint32_t, std::uint32_t>>& children) {
    const std::size_t groups = (children.size() + perNode_) / (perNode_ + 1);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> level;
    std::size_t at = 0;
    for (std::size_t g = 0; g < groups; ++g) {
      const std::size_t count = children.size() / groups + (g < children.size() % groups ? 1 : 0);
      char* node = NewNode(&level);
      PutU32(static_cast<std::uint32_t>(count - 1), node);
      for (std::size_t i = 0; i + 1 < count; ++i) {
        char* e = node + 8 + i * entry_;
        PutU32(children[at + i].first, e);
        tag_.FileKey(children[at + i].second, e + 4);
      }
      PutU32(children[at + count - 1].first, node + 8 + (count - 1) * entry_);
      level.back().second = children[at + count - 1].second;
      at += count;
    }
    return level;
  }

  const TagIndex& tag_;
  LargeString& image_;
  std::uint32_t& next_;
  const int entry_;
  const int perNode_;
};

void WriteTagHeader(const TagIndex& tag, const std::string& expression, std::uint32_t root, std::uint32_t pages,
                    std::uint32_t firstLeaf, std::uint32_t lastLeaf, char* h) {
  PutU32(root, h);
  PutU32(pages, h + 4);
  h[8] = 0x10;
  h[9] = tag.KeyType();
  h[11] = 0x1B;
  PutU16(static_cast<std::uint32_t>(tag.KeyLength()), h + 12);
  PutU16(static_cast<std::uint32_t>(KeysPerNode(tag)), h + 14);
  PutU16(tag.KeyType() == 'D' ? 1 : 0, h + 16);
  PutU16(static_cast<std::uint32_t>(EntryLength(tag)), h + 18);
  h[20] = 1;
  std::memcpy(h + 24, expression.data(), std::min<std::size_t>(expression.size(), 219));
  h[246] = tag.size() > 0 ? 1 : 0;
  PutU32(firstLeaf, h + 248);
  PutU32(lastLeaf, h + 252);
  PutToday(h + 257);
  h[480] = 1;
}

// Places tag `slot` (1-based) in the binary tree over tag names that the
// tag table threads through bytes 16-18 of each entry.
void ThreadTagName(LargeString* image, const std::vector<TagIndex>& tags, std::size_t slot) {
  char* entry = &(*image)[kTagTable + kTagEntry * (slot - 1)];
  std::size_t parent = 1;
  while (true) {
    char* p = &(*image)[kTagTable + kTagEntry * (parent - 1)];
    const bool lower = tags[slot - 1].name() < tags[parent - 1].name();
    char& link = p[lower ? 16 : 17];
    if (link == 0) {
      link = static_cast<char>(slot);
      entry[18] = static_cast<char>(parent);
      return;
    }
    parent = static_cast<unsigned char>(link);
  }
}

// Blocks of one tag's tree over `keys` keys: the leaves, then branch levels
// up to the root.
std::size_t TreeBlocks(const TagIndex& tag, std::size_t keys) {
  const std::size_t perNode = static_cast<std::size_t>(KeysPerNode(tag));
  const auto perLeaf = static_cast<std::size_t>(LeafFill(KeysPerNode(tag)));
  std::size_t level = std::max<std::size_t>(1, (keys + perLeaf - 1) / perLeaf);
  std::size_t blocks = level;
  while (level > 1) blocks += level = (level + perNode) / (perNode + 1);
  return blocks;
}

}  // namespace

Status WriteMdxFile(const std::string& path, const std::string& tableName, const std::vector<TagIndex>& tags,
                    const IndexMarker& marker) {
  std::size_t pages = kHeaderBytes / kPage;
  for (const TagIndex& tag : tags) pages += (1 + TreeBlocks(tag, tag.size())) * (kBlock / kPage);
  LargeString image;
  image.reserve(pages * kPage);  // built in place, without growing
  image.resize(kHeaderBytes, '\0');
  image[0] = 2;
  PutToday(&image[1]);
  std::string base = tableName.substr(0, tableName.rfind('.'));
  std::transform(base.begin(), base.end(), base.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
  std::memcpy(&image[4], base.data(), std::min<std::size_t>(base.size(), 16));
  PutU16(kBlock / kPage, &image[20]);
  PutU16(kBlock, &image[22]);
  image[24] = 1;
  image[25] = 48;
  PutU16(kTagEntry, &image[26]);
  PutU16(static_cast<std::uint32_t>(tags.size()), &image[28]);
  image[30] = static_cast<char>(tags.size() + 1);
  image[31] = 0x1B;
  PutToday(&image[44]);
  image[529] = 1;
  std::uint32_t next = kHeaderBytes / kPage;
  for (std::size_t t = 0; t < tags.size(); ++t) {
    const std::uint32_t headerPage = next;
    next += kBlock / kPage;
    image.resize(next * kPage, '\0');
    std::uint32_t firstLeaf = 0, lastLeaf = 0;
    const std::uint32_t root = TagWriter(tags[t], &image, &next).Write(&firstLeaf, &lastLeaf);
    WriteTagHeader(tags[t], tags[t].name(), root, next - headerPage, firstLeaf, lastLeaf, &image[headerPage * kPage]);
    char* entry = &image[kTagTable + kTagEntry * t];
    PutU32(headerPage, entry);
    std::memcpy(entry + 4, tags[t].name().data(), std::min<std::size_t>(tags[t].name().size(), 10));
    entry[15] = 0x10;
    entry[19] = 0x02;
    entry[20] = tags[t].KeyType();
    if (t > 0) ThreadTagName(&image, tags, t + 1);
  }
  PutU32(next, &image[32]);
  std::vector<const char*> headers;
  for (std::size_t t = 0; t < tags.size(); ++t)
    headers.push_back(&image[GetU32(&image[kTagTable + kTagEntry * t]) * kPage]);
  PutMdxMarker(marker, tags.empty() ? 0 : tags.front().size(), headers, image.data());
  return WriteFileAtomic(path, image);
}

int MdxEntryLength(const TagIndex& tag) {
  return (tag.KeyLength() + 4 + 3) / 4 * 4;
}

int MdxKeysPerNode(const TagIndex& tag) {
  return static_cast<int>((kBlock - 12) / static_cast<std::size_t>(MdxEntryLength(tag)));
}

Status MdxStale(const std::string& path, const std::string& why) {
  return Status::Error(StatusKind::Corrupt, path + " does not match the table: " + why);
}

std::uint64_t MdxHeadersChecksum(const char* header, const std::vector<const char*>& tagHeaders) {
  std::uint64_t hash = HashBytes(header, kMarker);
  hash = HashBytes(header + kMarker + 8, 16, hash);  // record count, live records, fingerprint
  hash = HashBytes(header + kMdxMarkerEnd, kHeaderBytes - kMdxMarkerEnd, hash);
  for (const char* h : tagHeaders) hash = HashBytes(h, kBlock, hash);
  return hash;
}

void PutMdxMarker(const IndexMarker& marker, std::uint32_t live, const std::vector<const char*>& tagHeaders,
                  char* header) {
  char* out = header + kMarker;
  std::memcpy(out, kMagic, sizeof kMagic);
  PutU32(kInStep, out + 4);
  PutU32(marker.records, out + 8);
  PutU32(live, out + 12);
  PutLe(marker.fingerprint, out + 16, 8);
  PutLe(MdxHeadersChecksum(header, tagHeaders), out + 24, 8);
}

Status CheckMdxHeader(const std::string& path, const std::string& header, const IndexMarker& expected,
                      const std::vector<TagIndex>& tags, std::uint32_t* live) {
  if (header.size() < kHeaderBytes || header[0] != 2 || GetU16(&header[22]) != kBlock)
    return MdxStale(path, "not an index file of this program");
  if (std::memcmp(&header[kMarker], kWholeFileMagic, sizeof kWholeFileMagic) == 0)
    return MdxStale(path, "written by an earlier version of this program");
  if (std::memcmp(&header[kMarker], kMagic, sizeof kMagic) != 0) return MdxStale(path, "written by another program");
  if (GetU32(&header[kMarker + 4]) != kInStep) return MdxStale(path, "the table changed after it was written");
  if (GetU32(&header[kMarker + 8]) != expected.records ||
      (GetU32(&header[kMarker + 16]) | (std::uint64_t{GetU32(&header[kMarker + 20])} << 32)) != expected.fingerprint)
    return MdxStale(path, "written for another state of the table");
  *live = GetU32(&header[kMarker + 12]);
  if (GetU16(&header[28]) != tags.size() || *live > expected.records) return MdxStale(path, "it holds other tags");
  for (std::size_t t = 0; t < tags.size(); ++t) {
    const char* entry = &header[kTagTable + kTagEntry * t];
    if (std::string(entry + 4, strnlen(entry + 4, 11)) != tags[t].name()) return MdxStale(path, "it holds other tags");
  }
  return Status::Ok();
}

Status MarkMdxStale(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return Status::Ok();
    return Status::IoError("cannot open " + path + ": " + ErrnoText(errno));
  }
  struct stat st {};
  Status regular = ::fstat(fd, &st) == 0 ? RequireRegularFile(path, st.st_mode)
                                         : Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
  if (!regular.ok()) {
    ::close(fd);
    return regular;
  }
  char state[4];
  PutU32(kBehind, state);
  const bool put = ::pwrite(fd, state, sizeof state, kMarker + 4) == sizeof state;
  if (put) NoteDiskStep(DiskStep::Write, path, kMarker + 4);
  const bool written = put && FlushToDisk(fd, path, true) == 0;
  const int err = errno;
  ::close(fd);
  if (!written) return Status::IoError("cannot write " + path + ": " + ErrnoText(err));
  return Status::Ok();
}

}  // namespace zvonar
