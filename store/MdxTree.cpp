// Nodes are 1024-byte blocks addressed by 512-byte page numbers. A node
// starts with its key count n (4 bytes) and 4 unused bytes; n entries
// follow, each a 4-byte pointer and the key, padded to the entry length. In
// a leaf the pointer is a record number and the word after the entries is
// 0; in a branch it is a child page whose largest key is the entry's key,
// and the word after the entries is the rightmost child, holding the keys
// above the last entry. Equal keys are kept in record-number order, so an
// entry is found by its key and record number together. A node emptied by
// deletes goes on the free chain: the file header names its first page and
// each free page the next in its bytes 4-7; new nodes take pages from there
// before the file grows.
#include "store/MdxTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/DiskSteps.h"
#include "base/TextFile.h"
#include "store/Bytes.h"

namespace zvonar {
namespace {

constexpr std::size_t kPage = 512;
constexpr std::uint32_t kBlockPages = MdxTree::kBlockBytes / kPage;
constexpr std::uint32_t kFirstNodePage = kMdxHeaderBytes / kPage;
constexpr int kMaxDepth = 24;
constexpr std::uint32_t kReadAhead = 16;  // blocks read at once when one is missing

bool ReadAt(int fd, char* out, std::size_t size, std::uint64_t at) {
  for (std::size_t done = 0; done < size;) {
    const ssize_t n = ::pread(fd, out + done, size - done, static_cast<off_t>(at + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool WriteAt(int fd, const std::string& path, const char* data, std::size_t size, std::uint64_t at) {
  for (std::size_t done = 0; done < size;) {
    const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(at + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  NoteDiskStep(DiskStep::Write, path, at);
  return true;
}

}  // namespace

std::uint32_t MdxTree::Cursor::Recno() const {
  return GetU32(leaf.data() + 8 + static_cast<std::size_t>(path.back().second) * entryLength);
}

std::string_view MdxTree::Cursor::Key() const {
  return {leaf.data() + 8 + static_cast<std::size_t>(path.back().second) * entryLength + 4,
          static_cast<std::size_t>(keyLength)};
}

Status MdxTree::Damaged(const std::string& why) const {
  return Status::Error(StatusKind::Corrupt, path_ + " is damaged: " + why);
}

Status MdxTree::Open(const std::string& path, const IndexMarker& expected, const std::vector<TagIndex>& tags,
                     bool write, std::uint32_t* live, std::size_t cacheBytes) {
  Close();
  path_ = path;
  capacity_ = std::max<std::size_t>(16, cacheBytes / kBlockBytes);
  // O_NONBLOCK: a FIFO in place of the index must not hang the open.
  fd_ = ::open(path.c_str(), (write ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0)
    return Status::Error(errno == ENOENT ? StatusKind::NotFound : StatusKind::Io,
                         "cannot open " + path + ": " + ErrnoText(errno));
  struct stat st {};
  Status s = ::fstat(fd_, &st) == 0 ? RequireRegularFile(path, st.st_mode)
                                    : Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
  header_.assign(kMdxHeaderBytes, '\0');
  if (s.ok() && (static_cast<std::uint64_t>(st.st_size) < kMdxHeaderBytes || st.st_size % kPage != 0 ||
                 !ReadAt(fd_, header_.data(), kMdxHeaderBytes, 0)))
    s = MdxStale(path, "not an index file of this program");
  if (s.ok()) s = CheckMdxHeader(path, header_, expected, tags, live);
  pagesInFile_ = GetU32(&header_[32]);
  firstFree_ = GetU32(&header_[36]);
  cache_.Reset(capacity_, kBlockBytes, std::uint64_t{pagesInFile_} * kPage > capacity_ * kBlockBytes);
  if (s.ok() && (pagesInFile_ < kFirstNodePage || std::uint64_t{pagesInFile_} * kPage > std::uint64_t(st.st_size) ||
                 (firstFree_ != 0 && (firstFree_ < kFirstNodePage || firstFree_ + kBlockPages > pagesInFile_))))
    s = MdxStale(path, "the file is damaged");
  std::vector<Block> headers(tags.size());
  for (std::size_t t = 0; s.ok() && t < tags.size(); ++t) {
    Tag tag;
    tag.headerPage = GetU32(&header_[kMdxTagTable + kMdxTagEntry * t]);
    s = Read(tag.headerPage, &headers[t]);
    if (!s.ok()) {
      s = MdxStale(path, "tag " + tags[t].name() + " points outside the file");
      break;
    }
    const char* h = headers[t].data();
    tag.root = GetU32(h);
    tag.pages = GetU32(h + 4);
    tag.firstLeaf = GetU32(h + 248);
    tag.lastLeaf = GetU32(h + 252);
    tag.keyLength = GetU16(h + 12);
    tag.perNode = GetU16(h + 14);
    tag.entryLength = GetU16(h + 18);
    tag.type = h[9];
    if (tag.type != tags[t].KeyType() || tag.keyLength != tags[t].KeyLength() ||
        tag.entryLength != MdxEntryLength(tags[t]) || tag.perNode != MdxKeysPerNode(tags[t]) ||
        std::string(h + 24, strnlen(h + 24, 220)) != tags[t].name())
      s = MdxStale(path, "tag " + tags[t].name() + " has another key");
    tags_.push_back(tag);
  }
  if (s.ok()) {
    std::vector<const char*> blocks;
    for (const Block& b : headers) blocks.push_back(b.data());
    if (MdxHeadersChecksum(header_.data(), blocks) !=
        GetU32(&header_[kMdxMarker + 24]) + (std::uint64_t{GetU32(&header_[kMdxMarker + 28])} << 32))
      s = MdxStale(path, "the file is damaged");
  }
  if (!s.ok()) Close();
  return s;
}

void MdxTree::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  tags_.clear();
  cache_.Reset(0, kBlockBytes, false);
  dirty_.clear();
}

Status MdxTree::Read(std::uint32_t page, Block* block) {
  if (page < kFirstNodePage || page + kBlockPages > pagesInFile_)
    return Damaged("page " + std::to_string(page) + " lies outside the file");
  if (const auto d = dirty_.find(page); d != dirty_.end()) {
    *block = d->second;
    return Status::Ok();
  }
  if (const char* held = cache_.Find(page); held != nullptr) {
    std::memcpy(block->data(), held, kBlockBytes);
    return Status::Ok();
  }
  // The blocks after a missing one come along in the same read: a walk in
  // key order meets the leaves of a tree built whole one after another.
  // Blocks made since the last write are not in the file yet: the read may
  // end early, but not before the block asked for.
  std::vector<char>& ahead = readAhead_;
  ahead.resize(std::size_t{std::min<std::uint32_t>(kReadAhead, (pagesInFile_ - page) / kBlockPages)} * kBlockBytes);
  std::size_t done = 0;
  errno = 0;
  while (done < ahead.size()) {
    const ssize_t n = ::pread(fd_, ahead.data() + done, ahead.size() - done, static_cast<off_t>(page * kPage + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  if (done < kBlockBytes)
    return Status::IoError("cannot read " + path_ + ": " + (errno != 0 ? ErrnoText(errno) : "it shrank"));
  const std::uint32_t blocks = static_cast<std::uint32_t>(done / kBlockBytes);
  std::memcpy(block->data(), ahead.data(), kBlockBytes);
  for (std::uint32_t i = blocks; i-- > 0;) {
    const std::uint32_t at = page + i * kBlockPages;
    if (dirty_.count(at) > 0 || cache_.Contains(at)) continue;
    cache_.Put(at, ahead.data() + std::size_t{i} * kBlockBytes);
  }
  return Status::Ok();
}

Status MdxTree::ReadNode(int tag, std::uint32_t page, Node* node) {
  Block b;
  Status s = Read(page, &b);
  if (!s.ok()) return s;
  const Tag& t = tags_[static_cast<std::size_t>(tag)];
  const std::uint32_t n = GetU32(b.data());
  if (n > static_cast<std::uint32_t>(t.perNode)) return Damaged("an overfull node at page " + std::to_string(page));
  const auto entry = static_cast<std::size_t>(t.entryLength);
  const std::uint32_t rightmost = GetU32(b.data() + 8 + n * entry);
  node->leaf = rightmost == 0;
  node->ptr.resize(n);
  node->key.resize(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    node->ptr[i] = GetU32(b.data() + 8 + i * entry);
    node->key[i].assign(b.data() + 8 + i * entry + 4, static_cast<std::size_t>(t.keyLength));
  }
  if (!node->leaf) node->ptr.push_back(rightmost);
  return Status::Ok();
}

void MdxTree::WriteNode(int tag, std::uint32_t page, const Node& node) {
  const Tag& t = tags_[static_cast<std::size_t>(tag)];
  Block b{};
  const auto entry = static_cast<std::size_t>(t.entryLength);
  PutU32(static_cast<std::uint32_t>(node.key.size()), b.data());
  for (std::size_t i = 0; i < node.key.size(); ++i) {
    PutU32(node.ptr[i], b.data() + 8 + i * entry);
    std::memcpy(b.data() + 8 + i * entry + 4, node.key[i].data(), static_cast<std::size_t>(t.keyLength));
  }
  if (!node.leaf) PutU32(node.ptr.back(), b.data() + 8 + node.key.size() * entry);
  cache_.Erase(page);
  dirty_[page] = b;
}

Status MdxTree::NewPage(int tag, std::uint32_t* page) {
  if (firstFree_ != 0) {
    Block b;
    Status s = Read(firstFree_, &b);
    if (!s.ok()) return s;
    const std::uint32_t next = GetU32(b.data() + 4);
    if (GetU32(b.data()) != 0 || (next != 0 && (next < kFirstNodePage || next + kBlockPages > pagesInFile_)))
      return Damaged("the free page " + std::to_string(firstFree_) + " is not free");
    *page = firstFree_;
    firstFree_ = next;
  } else {
    *page = pagesInFile_;
    pagesInFile_ += kBlockPages;
  }
  Tag& t = tags_[static_cast<std::size_t>(tag)];
  t.pages += kBlockPages;
  t.changed = true;
  cache_.Erase(*page);
  dirty_[*page] = Block{};
  return Status::Ok();
}

void MdxTree::FreePage(int tag, std::uint32_t page) {
  Block b{};
  PutU32(firstFree_, b.data() + 4);
  cache_.Erase(page);
  dirty_[page] = b;
  firstFree_ = page;
  Tag& t = tags_[static_cast<std::size_t>(tag)];
  t.pages -= std::min(t.pages, kBlockPages);
  t.changed = true;
}

int MdxTree::Compare(int tag, std::string_view a, std::string_view b) const {
  if (tags_[static_cast<std::size_t>(tag)].type == 'D') {
    // Non-negative doubles order as their bit patterns do.
    const std::uint64_t x = GetU32(a.data()) | (std::uint64_t{GetU32(a.data() + 4)} << 32);
    const std::uint64_t y = GetU32(b.data()) | (std::uint64_t{GetU32(b.data() + 4)} << 32);
    return x < y ? -1 : x > y ? 1 : 0;
  }
  const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// From the cursor's last level down to a leaf, taking the first child at
// each level, or the last when `last`. The nodes on the way are read in
// place, without taking them apart.
Status MdxTree::Descend(int tag, bool last, Cursor* cursor) {
  const Tag& t = tags_[static_cast<std::size_t>(tag)];
  const auto entry = static_cast<std::size_t>(t.entryLength);
  Block b;
  std::uint32_t page = t.root;
  if (!cursor->path.empty()) {
    Status s = Read(cursor->path.back().first, &b);
    if (!s.ok()) return s;
    const auto slot = static_cast<std::uint32_t>(cursor->path.back().second);
    if (slot > GetU32(b.data()))
      return Damaged("a branch lost a child at page " + std::to_string(cursor->path.back().first));
    page = GetU32(b.data() + 8 + slot * entry);
  }
  while (true) {
    if (cursor->path.size() > kMaxDepth) return Damaged("a tree deeper than any this program writes");
    Status s = Read(page, &b);
    if (!s.ok()) return s;
    const std::uint32_t n = GetU32(b.data());
    if (n > static_cast<std::uint32_t>(t.perNode)) return Damaged("an overfull node at page " + std::to_string(page));
    if (GetU32(b.data() + 8 + n * entry) == 0) {
      cursor->leaf = b;
      cursor->path.emplace_back(page, last && n > 0 ? static_cast<int>(n) - 1 : 0);
      return Status::Ok();
    }
    const std::uint32_t slot = last ? n : 0;
    cursor->path.emplace_back(page, static_cast<int>(slot));
    page = GetU32(b.data() + 8 + slot * entry);
  }
}

void MdxTree::Start(int tag, Cursor* cursor) const {
  *cursor = Cursor{};
  cursor->tag = tag;
  cursor->entryLength = tags_[static_cast<std::size_t>(tag)].entryLength;
  cursor->keyLength = tags_[static_cast<std::size_t>(tag)].keyLength;
}

Status MdxTree::End(int tag, bool last, Cursor* cursor, bool* found) {
  Start(tag, cursor);
  Status s = Descend(tag, last, cursor);
  *found = s.ok() && GetU32(cursor->leaf.data()) > 0;
  if (s.ok() && !*found && cursor->path.size() > 1) s = last ? Prior(cursor, found) : Next(cursor, found);
  return s;
}

Status MdxTree::Next(Cursor* cursor, bool* moved) {
  *moved = false;
  if (cursor->path.empty()) return Status::Ok();
  if (static_cast<std::uint32_t>(cursor->path.back().second) + 1 < GetU32(cursor->leaf.data())) {
    ++cursor->path.back().second;
    *moved = true;
    return Status::Ok();
  }
  Cursor next = *cursor;
  next.path.pop_back();
  Block b;
  while (!next.path.empty()) {
    Status s = Read(next.path.back().first, &b);
    if (!s.ok()) return s;
    // A branch of n keys has n + 1 children.
    if (static_cast<std::uint32_t>(next.path.back().second) + 1 >= GetU32(b.data()) + 1) {
      next.path.pop_back();
      continue;
    }
    ++next.path.back().second;
    s = Descend(next.tag, false, &next);
    if (!s.ok()) return s;
    if (GetU32(next.leaf.data()) > 0) {
      *cursor = std::move(next);
      *moved = true;
      return Status::Ok();
    }
    next.path.pop_back();  // an empty leaf: on to the one after
  }
  return Status::Ok();
}

Status MdxTree::Prior(Cursor* cursor, bool* moved) {
  *moved = false;
  if (cursor->path.empty()) return Status::Ok();
  if (cursor->path.back().second > 0) {
    --cursor->path.back().second;
    *moved = true;
    return Status::Ok();
  }
  Cursor prior = *cursor;
  prior.path.pop_back();
  while (!prior.path.empty()) {
    if (prior.path.back().second == 0) {
      prior.path.pop_back();
      continue;
    }
    --prior.path.back().second;
    Status s = Descend(prior.tag, true, &prior);
    if (!s.ok()) return s;
    if (GetU32(prior.leaf.data()) > 0) {
      *cursor = std::move(prior);
      *moved = true;
      return Status::Ok();
    }
    prior.path.pop_back();
  }
  return Status::Ok();
}

Status MdxTree::FirstEntryOf(int tag, std::uint32_t page, std::string* key, std::uint32_t* recno) {
  Node node;
  for (int depth = 0; depth <= kMaxDepth; ++depth) {
    Status s = ReadNode(tag, page, &node);
    if (!s.ok()) return s;
    if (!node.leaf) {
      page = node.ptr.front();
      continue;
    }
    if (node.key.empty()) return Damaged("an empty leaf below a branch");
    *key = node.key.front();
    *recno = node.ptr.front();
    return Status::Ok();
  }
  return Damaged("a tree deeper than any this program writes");
}

// The way down to where (`key`, `recno`) is or belongs: the child taken at
// each branch and the slot in the leaf. Among the children that may hold
// the key (a run of equal keys can fill many nodes), the one is taken by a
// binary search over the first entry of each.
Status MdxTree::Path(int tag, std::string_view key, std::uint32_t recno,
                     std::vector<std::pair<std::uint32_t, int>>* path) {
  path->clear();
  std::uint32_t page = tags_[static_cast<std::size_t>(tag)].root;
  Node node;
  std::string firstKey;
  std::uint32_t firstRecno = 0;
  while (true) {
    if (path->size() > kMaxDepth) return Damaged("a tree deeper than any this program writes");
    Status s = ReadNode(tag, page, &node);
    if (!s.ok()) return s;
    const auto before = [&](const std::string& k, std::uint32_t r) {
      const int c = Compare(tag, k, key);
      return c < 0 || (c == 0 && r < recno);
    };
    if (node.leaf) {
      std::size_t slot = 0;
      while (slot < node.key.size() && before(node.key[slot], node.ptr[slot])) ++slot;
      path->emplace_back(page, static_cast<int>(slot));
      return Status::Ok();
    }
    const std::size_t keys = node.key.size();
    std::size_t m = 0;
    while (m < keys && Compare(tag, node.key[m], key) < 0) ++m;
    std::size_t e = m;
    while (e < keys && Compare(tag, node.key[e], key) == 0) ++e;
    std::size_t child = m;
    if (e > m) {
      std::size_t lo = m + 1, hi = e;
      while (lo <= hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        s = FirstEntryOf(tag, node.ptr[mid], &firstKey, &firstRecno);
        if (!s.ok()) return s;
        if (before(firstKey, firstRecno) || (Compare(tag, firstKey, key) == 0 && firstRecno == recno)) {
          child = mid;
          lo = mid + 1;
        } else {
          hi = mid - 1;
        }
      }
    }
    path->emplace_back(page, static_cast<int>(child));
    page = node.ptr[child];
  }
}

Status MdxTree::Seek(int tag, std::string_view key, std::uint32_t recno, Cursor* cursor, bool* found) {
  Start(tag, cursor);
  *found = false;
  Status s = Path(tag, key, recno, &cursor->path);
  if (s.ok()) s = Read(cursor->path.back().first, &cursor->leaf);
  if (!s.ok()) return s;
  const auto n = static_cast<int>(GetU32(cursor->leaf.data()));
  if (cursor->path.back().second < n) {
    *found = true;
    return Status::Ok();
  }
  if (n == 0) return Status::Ok();
  cursor->path.back().second = n - 1;
  return Next(cursor, found);
}

// Sets the largest key of the subtree that `path` leads to below `level`,
// at the lowest branch that holds a key for it.
Status MdxTree::SetMax(int tag, const std::vector<std::pair<std::uint32_t, int>>& path, int level,
                       const std::string& key) {
  Node node;
  for (int l = level; l >= 0; --l) {
    Status s = ReadNode(tag, path[static_cast<std::size_t>(l)].first, &node);
    if (!s.ok()) return s;
    const auto child = static_cast<std::size_t>(path[static_cast<std::size_t>(l)].second);
    if (child < node.key.size()) {
      node.key[child] = key;
      WriteNode(tag, path[static_cast<std::size_t>(l)].first, node);
      return Status::Ok();
    }
  }
  return Status::Ok();
}

// The path to where (`key`, `recno`) belongs and the leaf at its end, with
// room in the cache for the nodes a change of that leaf may touch.
Status MdxTree::LeafOf(int tag, std::string_view key, std::uint32_t recno,
                       std::vector<std::pair<std::uint32_t, int>>* path, Node* leaf) {
  Status s = SpillIfFull();
  if (s.ok()) s = Path(tag, key, recno, path);
  if (s.ok()) s = ReadNode(tag, path->back().first, leaf);
  return s;
}

Status MdxTree::Insert(int tag, std::string_view key, std::uint32_t recno) {
  std::vector<std::pair<std::uint32_t, int>> path;
  Node leaf;
  Status s = LeafOf(tag, key, recno, &path, &leaf);
  if (!s.ok()) return s;
  Tag& t = tags_[static_cast<std::size_t>(tag)];
  const std::uint32_t page = path.back().first;
  const auto slot = static_cast<std::size_t>(path.back().second);
  leaf.ptr.insert(leaf.ptr.begin() + static_cast<std::ptrdiff_t>(slot), recno);
  leaf.key.insert(leaf.key.begin() + static_cast<std::ptrdiff_t>(slot), std::string(key));
  const bool atEnd = slot + 1 == leaf.key.size();
  const int parent = static_cast<int>(path.size()) - 2;
  if (atEnd && parent >= 0) s = SetMax(tag, path, parent, leaf.key.back());
  if (!s.ok()) return s;
  if (leaf.key.size() <= static_cast<std::size_t>(t.perNode)) {
    WriteNode(tag, page, leaf);
    return Status::Ok();
  }
  // A full leaf at the right end of the tree taking a key at its end starts
  // a new leaf, so that keys appended in order fill their leaves; any other
  // full leaf is split in halves.
  const bool rightEnd = page == t.lastLeaf && atEnd;
  const std::size_t keep = rightEnd ? leaf.key.size() - 1 : leaf.key.size() / 2;
  Node right;
  right.ptr.assign(leaf.ptr.begin() + static_cast<std::ptrdiff_t>(keep), leaf.ptr.end());
  right.key.assign(leaf.key.begin() + static_cast<std::ptrdiff_t>(keep), leaf.key.end());
  leaf.ptr.resize(keep);
  leaf.key.resize(keep);
  std::uint32_t rightPage = 0;
  s = NewPage(tag, &rightPage);
  if (!s.ok()) return s;
  WriteNode(tag, page, leaf);
  WriteNode(tag, rightPage, right);
  if (page == t.lastLeaf) t.lastLeaf = rightPage;
  return AddChild(tag, path, parent, page, leaf.key.back(), rightPage, rightEnd);
}

// The child at `path[level]` was split into `left` (its page) with largest
// key `leftMax`, and `right`, a new page holding the keys above.
Status MdxTree::AddChild(int tag, std::vector<std::pair<std::uint32_t, int>>& path, int level, std::uint32_t left,
                         const std::string& leftMax, std::uint32_t right, bool rightEnd) {
  Tag& t = tags_[static_cast<std::size_t>(tag)];
  t.changed = true;
  if (level < 0) {
    Node root;
    root.leaf = false;
    root.ptr = {left, right};
    root.key = {leftMax};
    Status s = NewPage(tag, &t.root);
    if (s.ok()) WriteNode(tag, t.root, root);
    return s;
  }
  const std::uint32_t page = path[static_cast<std::size_t>(level)].first;
  const auto child = static_cast<std::size_t>(path[static_cast<std::size_t>(level)].second);
  Node node;
  Status s = ReadNode(tag, page, &node);
  if (!s.ok()) return s;
  node.key.insert(node.key.begin() + static_cast<std::ptrdiff_t>(child), leftMax);
  node.ptr.insert(node.ptr.begin() + static_cast<std::ptrdiff_t>(child) + 1, right);
  if (node.ptr.size() <= static_cast<std::size_t>(t.perNode) + 1) {
    WriteNode(tag, page, node);
    return Status::Ok();
  }
  const std::size_t count = node.ptr.size();
  const bool end = rightEnd && child + 2 == count;
  const std::size_t keep = end ? count - 2 : count / 2;  // children left here
  Node upper;
  upper.leaf = false;
  upper.ptr.assign(node.ptr.begin() + static_cast<std::ptrdiff_t>(keep), node.ptr.end());
  upper.key.assign(node.key.begin() + static_cast<std::ptrdiff_t>(keep), node.key.end());
  const std::string lowerMax = node.key[keep - 1];
  node.ptr.resize(keep);
  node.key.resize(keep - 1);
  std::uint32_t upperPage = 0;
  s = NewPage(tag, &upperPage);
  if (!s.ok()) return s;
  WriteNode(tag, page, node);
  WriteNode(tag, upperPage, upper);
  return AddChild(tag, path, level - 1, page, lowerMax, upperPage, end);
}

Status MdxTree::Remove(int tag, std::string_view key, std::uint32_t recno) {
  std::vector<std::pair<std::uint32_t, int>> path;
  Node leaf;
  Status s = LeafOf(tag, key, recno, &path, &leaf);
  if (!s.ok()) return s;
  const auto slot = static_cast<std::size_t>(path.back().second);
  if (slot >= leaf.key.size() || leaf.ptr[slot] != recno || Compare(tag, leaf.key[slot], key) != 0)
    return Damaged("tag lacks the key of record " + std::to_string(recno));
  leaf.ptr.erase(leaf.ptr.begin() + static_cast<std::ptrdiff_t>(slot));
  leaf.key.erase(leaf.key.begin() + static_cast<std::ptrdiff_t>(slot));
  const int parent = static_cast<int>(path.size()) - 2;
  if (leaf.key.empty() && parent >= 0) {
    // An emptied leaf leaves its parent and goes on the free chain.
    s = DropChild(tag, path, parent);
    if (s.ok()) FreePage(tag, path.back().first);
    return s.ok() ? FindEndLeaves(tag) : s;
  }
  WriteNode(tag, path.back().first, leaf);
  if (slot == leaf.key.size() && parent >= 0) return SetMax(tag, path, parent, leaf.key.back());
  return Status::Ok();
}

// Takes the child at `path[level]` out of its branch.
Status MdxTree::DropChild(int tag, std::vector<std::pair<std::uint32_t, int>>& path, int level) {
  Tag& t = tags_[static_cast<std::size_t>(tag)];
  t.changed = true;
  const std::uint32_t page = path[static_cast<std::size_t>(level)].first;
  const auto child = static_cast<std::size_t>(path[static_cast<std::size_t>(level)].second);
  Node node;
  Status s = ReadNode(tag, page, &node);
  if (!s.ok()) return s;
  if (node.key.empty()) {
    if (level > 0) {
      s = DropChild(tag, path, level - 1);
      if (s.ok()) FreePage(tag, page);
      return s;
    }
    WriteNode(tag, page, Node{});  // the last key went: an empty leaf as root
    return Status::Ok();
  }
  std::string newMax;
  if (child < node.key.size()) {
    node.key.erase(node.key.begin() + static_cast<std::ptrdiff_t>(child));
  } else {
    // The rightmost child went: the entry before it gives its pointer as
    // the rightmost one, and its key is the branch's largest now.
    newMax = node.key.back();
    node.key.pop_back();
  }
  node.ptr.erase(node.ptr.begin() + static_cast<std::ptrdiff_t>(child));
  if (level == 0 && node.key.empty()) {
    t.root = node.ptr.front();  // one child left: it becomes the root
    FreePage(tag, page);
    return Status::Ok();
  }
  WriteNode(tag, page, node);
  if (!newMax.empty() && level > 0) return SetMax(tag, path, level - 1, newMax);
  return Status::Ok();
}

Status MdxTree::FindEndLeaves(int tag) {
  Tag& t = tags_[static_cast<std::size_t>(tag)];
  Cursor first, last;
  Start(tag, &first);
  Start(tag, &last);
  Status s = Descend(tag, false, &first);
  if (s.ok()) s = Descend(tag, true, &last);
  if (!s.ok()) return s;
  t.firstLeaf = first.path.back().first;
  t.lastLeaf = last.path.back().first;
  t.changed = true;
  return Status::Ok();
}

Status MdxTree::Walk(int tag, const std::function<Status(std::uint32_t recno, std::string_view key)>& visit) {
  Cursor cursor;
  bool more = false;
  Status s = First(tag, &cursor, &more);
  while (s.ok() && more) {
    s = visit(cursor.Recno(), cursor.Key());
    if (s.ok()) s = Next(&cursor, &more);
  }
  return s;
}

// Changed nodes beyond the cache's room go to the file at once: it is
// behind the table until Commit, so no reader trusts them meanwhile.
Status MdxTree::SpillIfFull() {
  return dirty_.size() < capacity_ ? Status::Ok() : WriteChanged();
}

// Writes the changed nodes, which then stay in the cache as read. Nodes
// that lie side by side in the file (the leaves of a run of keys) go in one
// write.
Status MdxTree::WriteChanged() {
  constexpr std::size_t kRunBytes = 64 * kBlockBytes;
  std::vector<char> run;
  for (auto at = dirty_.begin(); at != dirty_.end();) {
    const std::uint32_t first = at->first;
    run.clear();
    for (std::uint32_t page = first; at != dirty_.end() && at->first == page && run.size() < kRunBytes;
         ++at, page += kBlockPages)
      run.insert(run.end(), at->second.begin(), at->second.end());
    if (!WriteAt(fd_, path_, run.data(), run.size(), std::uint64_t{first} * kPage))
      return Status::IoError("cannot write " + path_ + ": " + ErrnoText(errno));
  }
  for (auto& [page, block] : dirty_) cache_.Put(page, block.data());
  dirty_.clear();
  return Status::Ok();
}

Status MdxTree::Commit(const IndexMarker& marker, std::uint32_t live) {
  if (!IsOpen()) return Status::Invalid(path_ + " is not open");
  std::vector<Block> headers(tags_.size());
  for (std::size_t i = 0; i < tags_.size(); ++i) {
    Tag& t = tags_[i];
    Status s = Read(t.headerPage, &headers[i]);
    if (!s.ok()) return s;
    if (!t.changed) continue;
    char* h = headers[i].data();
    PutU32(t.root, h);
    PutU32(t.pages, h + 4);
    PutU32(t.firstLeaf, h + 248);
    PutU32(t.lastLeaf, h + 252);
    h[20] = static_cast<char>(h[20] + 1);
    PutToday(h + 257);
    dirty_[t.headerPage] = headers[i];
  }
  const auto failed = [&]() { return Status::IoError("cannot write " + path_ + ": " + ErrnoText(errno)); };
  Status s = WriteChanged();
  if (!s.ok()) return s;
  PutU32(pagesInFile_, &header_[32]);
  PutU32(firstFree_, &header_[36]);
  PutToday(&header_[44]);
  if (!WriteAt(fd_, path_, header_.data(), kMdxMarker, 0) || FlushToDisk(fd_, path_, true) != 0) return failed();
  std::vector<const char*> blocks;
  for (const Block& b : headers) blocks.push_back(b.data());
  PutMdxMarker(marker, live, blocks, header_.data());
  // The marker is not flushed: the pages it vouches for are on the disk
  // already, and a marker lost in a crash only leaves the index behind the
  // records, mended at the next writer's open. The next flush of the file
  // takes it along.
  if (!WriteAt(fd_, path_, &header_[kMdxMarker], kMdxMarkerEnd - kMdxMarker, kMdxMarker)) return failed();
  for (Tag& t : tags_) t.changed = false;
  return Status::Ok();
}

}  // namespace zvonar
