// The production index file read and changed in place, one block at a time:
// opening reads only the file header and the tag headers; the tree's nodes
// come through a bounded cache as lookups and walks need them, and a change
// touches only the nodes on its way. Changed nodes stay in memory until
// Commit writes them and then the marker that says the file is in step.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "store/MdxFile.h"
#include "store/NodeCache.h"
#include "store/TagIndex.h"

namespace zvonar {

class MdxTree {
 public:
  static constexpr std::size_t kBlockBytes = 1024;
  using Block = std::array<char, kBlockBytes>;

  // A place in one tag's key order: the node and slot at each level, root
  // first, and a copy of the leaf.
  struct Cursor {
    int tag = -1;
    std::vector<std::pair<std::uint32_t, int>> path;
    Block leaf{};
    int entryLength = 0;
    int keyLength = 0;
    std::uint32_t Recno() const;
    // The key of the entry as the file holds it.
    std::string_view Key() const;
  };

  MdxTree() = default;
  ~MdxTree() { Close(); }
  MdxTree(const MdxTree&) = delete;
  MdxTree& operator=(const MdxTree&) = delete;

  // Opens the index file at `path` for `tags` and reads its headers only.
  // NotFound when it is missing; Corrupt, saying why, when it is behind the
  // table (`expected`), written in the whole-file form of earlier versions,
  // made for other tags, or its headers are damaged. `live` gets the live
  // records the file counts. `cacheBytes` bounds the nodes kept in memory.
  Status Open(const std::string& path, const IndexMarker& expected, const std::vector<TagIndex>& tags, bool write,
              std::uint32_t* live, std::size_t cacheBytes = std::size_t{4} << 20);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // Moves `cursor` to the first / last entry of tag `tag`; `found` is false
  // when the tag holds no key.
  Status First(int tag, Cursor* cursor, bool* found) { return End(tag, false, cursor, found); }
  Status Last(int tag, Cursor* cursor, bool* found) { return End(tag, true, cursor, found); }
  // Steps to the next / previous entry; `moved` is false at the end, where
  // the cursor stays.
  Status Next(Cursor* cursor, bool* moved);
  Status Prior(Cursor* cursor, bool* moved);
  // Moves to the first entry at or after (`key`, `recno`) (keys in the
  // file's form, ties by record number); `found` is false when every entry
  // is before it.
  Status Seek(int tag, std::string_view key, std::uint32_t recno, Cursor* cursor, bool* found);

  // Puts the entry (`key`, `recno`) in its place, splitting full nodes.
  // The file must be known behind the table before the first change: once
  // the changed nodes outgrow the cache they are written before Commit.
  Status Insert(int tag, std::string_view key, std::uint32_t recno);
  // Takes the entry (`key`, `recno`) out; Corrupt when the tag lacks it.
  Status Remove(int tag, std::string_view key, std::uint32_t recno);
  // Calls `visit` with each entry of tag `tag` in key order.
  Status Walk(int tag, const std::function<Status(std::uint32_t recno, std::string_view key)>& visit);

  // Writes the changed nodes, the tag headers and the file header, flushes,
  // then writes the marker in step with `marker` and `live` and flushes
  // again. The file must have been marked stale before the first change.
  Status Commit(const IndexMarker& marker, std::uint32_t live);

 private:
  struct Tag {
    std::uint32_t headerPage = 0;
    std::uint32_t root = 0;
    std::uint32_t pages = 0;
    std::uint32_t firstLeaf = 0;
    std::uint32_t lastLeaf = 0;
    int keyLength = 0;
    int entryLength = 0;
    int perNode = 0;
    char type = 'C';
    bool changed = false;
  };
  // A node taken apart: a leaf's record numbers and keys, or a branch's
  // child pages (one more than its keys, the rightmost last) and keys.
  struct Node {
    bool leaf = true;
    std::vector<std::uint32_t> ptr;
    std::vector<std::string> key;
  };

  Status Read(std::uint32_t page, Block* block);
  Status ReadNode(int tag, std::uint32_t page, Node* node);
  void WriteNode(int tag, std::uint32_t page, const Node& node);
  // A page for a new node of `tag`: the first on the free chain, else one
  // past the end of the file.
  Status NewPage(int tag, std::uint32_t* page);
  // Puts the node at `page`, no longer in the tree, on the free chain.
  void FreePage(int tag, std::uint32_t page);
  int Compare(int tag, std::string_view a, std::string_view b) const;
  Status Descend(int tag, bool last, Cursor* cursor);
  Status End(int tag, bool last, Cursor* cursor, bool* found);
  void Start(int tag, Cursor* cursor) const;
  Status FirstEntryOf(int tag, std::uint32_t page, std::string* key, std::uint32_t* recno);
  Status Path(int tag, std::string_view key, std::uint32_t recno, std::vector<std::pair<std::uint32_t, int>>* path);
  Status SetMax(int tag, const std::vector<std::pair<std::uint32_t, int>>& path, int level, const std::string& key);
  Status AddChild(int tag, std::vector<std::pair<std::uint32_t, int>>& path, int level, std::uint32_t left,
                  const std::string& leftMax, std::uint32_t right, bool rightEnd);
  Status DropChild(int tag, std::vector<std::pair<std::uint32_t, int>>& path, int level);
  Status FindEndLeaves(int tag);
  Status WriteChanged();
  Status SpillIfFull();
  Status LeafOf(int tag, std::string_view key, std::uint32_t recno, std::vector<std::pair<std::uint32_t, int>>* path,
                Node* leaf);
  Status Damaged(const std::string& why) const;

  std::string path_;
  int fd_ = -1;
  std::uint32_t pagesInFile_ = 0;
  std::uint32_t firstFree_ = 0;  // head of the chain of free pages, 0 = none
  std::vector<Tag> tags_;
  std::size_t capacity_ = 0;
  NodeCache cache_;
  std::map<std::uint32_t, Block> dirty_;
  std::vector<char> readAhead_;
  std::string header_;  // the file header as read, marker included
};

}  // namespace zvonar
