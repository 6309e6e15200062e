// The index file read as another dBase reader reads it, by a reader written
// here from the layout alone: the tag table and the binary tree over the tag
// names, and each tag's tree walked from its root. The order found must be
// the order of the records' keys, after appends that split nodes, deletes
// and records brought back, made one at a time or all at once.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "base/tests/TestSupport.h"
#include "store/tests/StoreTestSupport.h"

namespace zvonar {
namespace {

std::uint32_t U32(const std::string& image, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(image.at(at + static_cast<std::size_t>(i)));
  return v;
}
std::uint32_t U16(const std::string& image, std::size_t at) {
  return static_cast<unsigned char>(image.at(at)) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(image.at(at + 1))) << 8;
}

constexpr std::size_t kPage = 512, kTagTable = 544, kTagEntry = 32;

struct Leaf {
  std::uint32_t recno;
  std::string key;
};

// The leaf entries of the tag whose header is at `headerPage`, in tree order.
std::vector<Leaf> WalkTag(const std::string& image, std::uint32_t headerPage) {
  const std::size_t h = headerPage * kPage;
  const std::uint32_t keyLength = U16(image, h + 12);
  const std::uint32_t entryLength = U16(image, h + 18);
  EXPECT_EQ((keyLength + 4 + 3) / 4 * 4, entryLength);
  std::vector<Leaf> leaves;
  // A branch entry's key is the largest key of its child: the last leaf
  // key the walk of the child met.
  std::function<void(std::uint32_t, int)> walk = [&](std::uint32_t page, int depth) {
    ASSERT_LT(depth, 10);
    const std::size_t node = page * kPage;
    const std::uint32_t n = U32(image, node);
    const std::uint32_t rightmost = U32(image, node + 8 + n * entryLength);
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::size_t e = node + 8 + i * entryLength;
      if (rightmost == 0) {
        leaves.push_back({U32(image, e), image.substr(e + 4, keyLength)});
        continue;
      }
      walk(U32(image, e), depth + 1);
      ASSERT_FALSE(leaves.empty());
      EXPECT_EQ(leaves.back().key, image.substr(e + 4, keyLength)) << "branch at page " << page;
    }
    if (rightmost != 0) walk(rightmost, depth + 1);
  };
  walk(U32(image, h), 0);
  return leaves;
}

// Tag names in the order of the name tree (lower, node, higher).
std::vector<std::string> NamesInTreeOrder(const std::string& image, std::size_t tagCount) {
  std::vector<std::string> names;
  std::vector<int> visits(tagCount + 1, 0);
  std::function<void(std::size_t, std::size_t)> walk = [&](std::size_t slot, std::size_t parent) {
    if (slot == 0 || slot > tagCount || ++visits[slot] > 1) return;
    const std::size_t entry = kTagTable + kTagEntry * (slot - 1);
    EXPECT_EQ(parent, static_cast<unsigned char>(image[entry + 18])) << slot;
    walk(static_cast<unsigned char>(image[entry + 16]), slot);
    names.push_back(image.substr(entry + 4, image.find('\0', entry + 4) - entry - 4));
    walk(static_cast<unsigned char>(image[entry + 17]), slot);
  };
  walk(1, 0);
  return names;
}

TEST(IndexFile, TagNameTreeAndEveryTagsOrderAsAReaderWalksThem) {
  testing::TempDir dir;
  const std::string path = dir.File("t.dbf");
  const std::vector<FieldDef> fields = {
      {"MID", FieldType::Character, 12, true}, {"ALPHA", FieldType::Character, 10, true},
      {"ZED", FieldType::Character, 3, true},  {"WHEN", FieldType::DateTime, 8, true},
      {"BETA", FieldType::Character, 9, true}, {"NOTE", FieldType::Character, 4, false}};
  ASSERT_TRUE(Table::Create(path, fields).ok());
  std::vector<std::vector<std::string>> records;
  {
    Table table;
    ASSERT_TRUE(table.Open(path).ok());
    for (int i = 0; i < 300; ++i) {
      const int k = i * 7919 % 300;  // distinct, scrambled
      // Keys of twelve characters sharing their first eight, ordered by the rest.
      const std::string mid = (k % 3 == 0 ? "sameHEAD" : "sameHEAC") + std::to_string(1000 + k);
      const std::string alpha = "prefix12" + std::string(1, static_cast<char>('a' + k % 26)) + std::to_string(k % 10);
      const std::string zed = std::to_string(100 + k % 50);
      const std::string when = "2024.0" + std::to_string(1 + k % 9) + "." + std::to_string(10 + k % 18) +
                               " 12:00:" + std::to_string(10 + k % 50);
      records.push_back({mid, alpha, zed, when, "b" + std::to_string(k), "n"});
      ASSERT_TRUE(testing::AddRecord(table, {mid, alpha, zed, when, "b" + std::to_string(k), "n"}).ok());
    }
    ASSERT_TRUE(table.Close().ok());
  }
  // The file as it stands, checked against the records.
  const auto checkIndexFile = [&](const char* after) {
    SCOPED_TRACE(after);
    const std::string image = testing::ReadOrEmpty(dir.File("t.MDX"));
    ASSERT_GT(image.size(), 2048u);
    const std::size_t tagCount = U16(image, 28);
    ASSERT_EQ(5u, tagCount);
    EXPECT_EQ((std::vector<std::string>{"ALPHA", "BETA", "MID", "WHEN", "ZED"}), NamesInTreeOrder(image, tagCount));

    for (std::size_t t = 0; t < tagCount; ++t) {
      const std::size_t entry = kTagTable + kTagEntry * t;
      const std::string name = image.substr(entry + 4, image.find('\0', entry + 4) - entry - 4);
      const std::size_t field = static_cast<std::size_t>(
          std::find_if(fields.begin(), fields.end(), [&](const FieldDef& f) { return f.name == name; }) -
          fields.begin());
      ASSERT_LT(field, fields.size()) << name;
      const std::vector<Leaf> leaves = WalkTag(image, U32(image, entry));
      ASSERT_EQ(records.size(), leaves.size()) << name;
      // The record numbers in the order of their texts, ties by record number.
      std::vector<std::uint32_t> want(records.size());
      std::iota(want.begin(), want.end(), 1u);
      std::stable_sort(want.begin(), want.end(),
                       [&](std::uint32_t a, std::uint32_t b) { return records[a - 1][field] < records[b - 1][field]; });
      std::vector<std::uint32_t> got;
      for (const Leaf& leaf : leaves) got.push_back(leaf.recno);
      EXPECT_EQ(want, got) << name;
      if (fields[field].type == FieldType::Character) {
        // A text key is the field as stored, space-padded.
        for (const Leaf& leaf : leaves) {
          std::string text = records[leaf.recno - 1][field];
          text.resize(static_cast<std::size_t>(fields[field].width), ' ');
          ASSERT_EQ(text, leaf.key) << name << " record " << leaf.recno;
        }
      }
    }
  };
  checkIndexFile("records added one at a time");
  {
    // Sorted again all at once, the keys take the same order.
    Table table;
    ASSERT_TRUE(table.Open(path).ok());
    ASSERT_TRUE(table.ReCreateIndex().ok());
    ASSERT_TRUE(table.Close().ok());
  }
  checkIndexFile("the index made again");

  // The table reopens on the file as written and walks the same orders.
  Table table;
  OpenNotes notes;
  ASSERT_TRUE(table.Open(path, &notes).ok());
  const std::vector<std::string> byMid = testing::ReadAll(table, "MID");
  ASSERT_EQ(records.size(), byMid.size());
  EXPECT_TRUE(std::is_sorted(byMid.begin(), byMid.end()));
}

// What a reader finds walking one tag's tree.
struct TreeShape {
  std::vector<Leaf> leaves;
  int depth = 0;              // branch levels above the leaves
  std::size_t leafNodes = 0;  // leaves met
  std::set<std::uint32_t> pages;  // every node met
};

// Walks the tag whose header is at `headerPage` checking what any reader
// relies on: key counts within the node's room, every page inside the file
// and met once, a branch key equal to the largest key of its child, all
// leaves at one depth, and the leftmost and rightmost leaves the header names.
TreeShape WalkTree(const std::string& image, std::uint32_t headerPage) {
  const std::size_t h = headerPage * kPage;
  const std::uint32_t keyLength = U16(image, h + 12);
  const std::uint32_t perNode = U16(image, h + 14);
  const std::uint32_t entryLength = U16(image, h + 18);
  const std::uint32_t pagesInFile = U32(image, 32);
  EXPECT_EQ((1024 - 12) / entryLength, perNode);
  TreeShape shape;
  std::set<std::uint32_t> met;
  std::vector<std::uint32_t> leafPages;
  int leafDepth = -1;
  std::function<void(std::uint32_t, int)> walk = [&](std::uint32_t page, int depth) {
    ASSERT_LT(depth, 10);
    ASSERT_GE(page, 4u);
    ASSERT_LE(page + 2, pagesInFile) << "page " << page << " lies past the pages the header counts";
    ASSERT_LE((page + 2) * kPage, image.size());
    ASSERT_TRUE(met.insert(page).second) << "page " << page << " met twice";
    const std::size_t node = page * kPage;
    const std::uint32_t n = U32(image, node);
    ASSERT_LE(n, perNode) << "page " << page;
    const std::uint32_t rightmost = U32(image, node + 8 + n * entryLength);
    if (rightmost == 0) {
      ASSERT_TRUE(n > 0 || depth == 0) << "an empty leaf below a branch, page " << page;
      if (leafDepth < 0) leafDepth = depth;
      EXPECT_EQ(leafDepth, depth) << "leaves at another depth, page " << page;
      leafPages.push_back(page);
      ++shape.leafNodes;
      for (std::uint32_t i = 0; i < n; ++i) {
        const std::size_t e = node + 8 + i * entryLength;
        shape.leaves.push_back({U32(image, e), image.substr(e + 4, keyLength)});
      }
      return;
    }
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::size_t e = node + 8 + i * entryLength;
      walk(U32(image, e), depth + 1);
      ASSERT_FALSE(shape.leaves.empty());
      EXPECT_EQ(shape.leaves.back().key, image.substr(e + 4, keyLength)) << "branch at page " << page;
    }
    walk(rightmost, depth + 1);
  };
  walk(U32(image, h), 0);
  shape.pages = met;
  shape.depth = std::max(leafDepth, 0);
  if (!leafPages.empty()) {
    EXPECT_EQ(leafPages.front(), U32(image, h + 248)) << "leftmost leaf";
    EXPECT_EQ(leafPages.back(), U32(image, h + 252)) << "rightmost leaf";
  }
  return shape;
}

// The table read from its bytes alone: per record the deleted flag and the
// fields, for a table of NAME (text 12), WHEN (date-time), NOTE (text 4).
struct RawRecord {
  std::uint32_t recno;
  bool deleted;
  std::string name;
  std::int64_t day, ms;
};

std::vector<RawRecord> ReadRawRecords(const std::string& dbfPath) {
  const std::string file = testing::ReadOrEmpty(dbfPath);
  const std::uint32_t count = U32(file, 4);
  const std::uint32_t headerLength = U16(file, 8), recordLength = U16(file, 10);
  std::vector<RawRecord> records;
  for (std::uint32_t r = 0; r < count; ++r) {
    const std::size_t at = headerLength + std::size_t{r} * recordLength;
    records.push_back({r + 1, file.at(at) == '*', file.substr(at + 1, 12),
                       static_cast<std::int32_t>(U32(file, at + 13)), static_cast<std::int32_t>(U32(file, at + 17))});
  }
  return records;
}

std::vector<FieldDef> LayoutFieldDefs() {
  return {{"NAME", FieldType::Character, 12, true},
          {"WHEN", FieldType::DateTime, 8, true},
          {"NOTE", FieldType::Character, 4, false}};
}

// Both tags of the index beside `dbfPath`, walked from the file, against the
// live records: NAME by its text, WHEN by day number plus the fraction of
// the day, ties by record number. Returns the walks.
std::vector<TreeShape> ExpectIndexMatchesRecords(const std::string& dbfPath) {
  const std::string image = testing::ReadOrEmpty(Table::IndexPathFor(dbfPath));
  EXPECT_GT(image.size(), 2048u);
  if (image.size() <= 2048) return {};
  const std::vector<RawRecord> records = ReadRawRecords(dbfPath);
  std::vector<RawRecord> live;
  std::copy_if(records.begin(), records.end(), std::back_inserter(live), [](const RawRecord& r) { return !r.deleted; });
  std::vector<TreeShape> shapes;
  for (std::size_t t = 0; t < 2; ++t) {
    const std::size_t entry = kTagTable + kTagEntry * t;
    const std::string name = image.substr(entry + 4, image.find('\0', entry + 4) - entry - 4);
    SCOPED_TRACE(name);
    shapes.push_back(WalkTree(image, U32(image, entry)));
    const std::vector<Leaf>& leaves = shapes.back().leaves;
    std::vector<RawRecord> want = live;
    if (name == "NAME") {
      std::stable_sort(want.begin(), want.end(),
                       [](const RawRecord& a, const RawRecord& b) { return a.name < b.name; });
    } else {
      EXPECT_EQ("WHEN", name);
      std::stable_sort(want.begin(), want.end(), [](const RawRecord& a, const RawRecord& b) {
        return a.day * 86'400'000 + a.ms < b.day * 86'400'000 + b.ms;
      });
    }
    EXPECT_EQ(want.size(), leaves.size());
    // The first difference is told; the rest would only repeat it.
    for (std::size_t i = 0; i < std::min(want.size(), leaves.size()); ++i) {
      double value = 0;
      const std::uint64_t bits = U32(leaves[i].key, 0) | std::uint64_t{U32(leaves[i].key, 4)} << 32;
      std::memcpy(&value, &bits, sizeof value);
      const double day = static_cast<double>(want[i].day) + static_cast<double>(want[i].ms) / 86'400'000.0;
      const bool same = want[i].recno == leaves[i].recno &&
                        (name == "NAME" ? want[i].name == leaves[i].key : std::fabs(day - value) < 1e-7);
      EXPECT_TRUE(same) << "entry " << i << ": record " << leaves[i].recno << " where " << want[i].recno << " belongs";
      if (!same) break;
    }
  }
  // Every block after the file header is a tag header, a node of one tree
  // or on the free chain, and only one of these: a node emptied by deletes
  // is neither lost nor in use twice.
  std::map<std::uint32_t, std::string> owner;
  const auto own = [&](std::uint32_t page, const std::string& what) {
    const auto [at, added] = owner.emplace(page, what);
    EXPECT_TRUE(added) << "page " << page << " is " << what << " and " << at->second;
  };
  for (std::size_t t = 0; t < shapes.size(); ++t) {
    own(U32(image, kTagTable + kTagEntry * t), "a tag header");
    for (const std::uint32_t page : shapes[t].pages) own(page, "a node of tag " + std::to_string(t + 1));
  }
  for (std::uint32_t page = U32(image, 36), hops = 0; page != 0 && hops < 100'000; page = U32(image, page * kPage + 4)) {
    if ((page + 2) * kPage > image.size()) {
      ADD_FAILURE() << "the free chain leaves the file at page " << page;
      break;
    }
    EXPECT_EQ(0u, U32(image, page * kPage)) << "a free page holding keys";
    own(page, "free");
  }
  for (std::uint32_t page = 4; page < U32(image, 32); page += 2)
    EXPECT_EQ(1u, owner.count(page)) << "page " << page << " is lost: in no tree and not free";
  return shapes;
}

// A date-time `minutes` after 2024.01.01 00:00.
std::string WhenText(int minutes) {
  char text[32];
  std::snprintf(text, sizeof text, "2024.%02d.%02d %02d:%02d:00", 1 + minutes / (28 * 1440), 1 + minutes / 1440 % 28,
                minutes / 60 % 24, minutes % 60);
  return text;
}

Status AppendRecords(Table& table, const std::vector<std::vector<std::string>>& rows) {
  Status s = table.BeginBulkAppend();
  for (const auto& row : rows)
    if (s.ok()) s = table.BulkAppend(row);
  if (!s.ok()) {
    (void)table.CancelBulkAppend();
    return s;
  }
  return table.EndBulkAppend();
}

ino_t InodeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class IndexTreeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Table::Create(path_, LayoutFieldDefs()).ok()); }

  testing::TempDir dir_;
  const std::string path_ = dir_.File("t.dbf");
  const std::string indexPath_ = dir_.File("t.MDX");
};

TEST_F(IndexTreeTest, LeavesAndRootSplitAsOneOwnersRecordsArriveInOrder) {
  // One owner, times rising: every key goes to the right end of the tree,
  // so leaves fill to their 63 (text) and 84 (date) keys before the next.
  Table table;
  ASSERT_TRUE(table.Open(path_).ok());
  int added = 0;
  // Appends of a tenth of the table or less go into the tree in place.
  const auto addUpTo = [&](int count) {
    while (added < count) {
      std::vector<std::vector<std::string>> rows;
      const int batch = std::min(count - added, std::max(1, added / 11));
      for (int i = 0; i < batch; ++i) rows.push_back({"owner", WhenText(added++), "n"});
      ASSERT_TRUE(AppendRecords(table, rows).ok());
    }
    ASSERT_TRUE(table.Close().ok());
    ASSERT_TRUE(table.Open(path_).ok());
  };
  addUpTo(63);
  std::vector<TreeShape> shapes = ExpectIndexMatchesRecords(path_);
  ASSERT_EQ(2u, shapes.size());
  EXPECT_EQ(0, shapes[0].depth);
  EXPECT_EQ(1u, shapes[0].leafNodes);
  addUpTo(64);  // the first split
  shapes = ExpectIndexMatchesRecords(path_);
  EXPECT_EQ(1, shapes[0].depth);
  EXPECT_EQ(2u, shapes[0].leafNodes);
  EXPECT_EQ(0, shapes[1].depth);
  addUpTo(85);
  shapes = ExpectIndexMatchesRecords(path_);
  EXPECT_EQ(1, shapes[1].depth);
  addUpTo(63 * 64);  // a root of 64 full leaves
  shapes = ExpectIndexMatchesRecords(path_);
  EXPECT_EQ(1, shapes[0].depth);
  EXPECT_EQ(64u, shapes[0].leafNodes);
  addUpTo(63 * 64 + 1);  // the root splits
  shapes = ExpectIndexMatchesRecords(path_);
  EXPECT_EQ(2, shapes[0].depth);
  EXPECT_EQ(65u, shapes[0].leafNodes);
  EXPECT_EQ(49u, shapes[1].leafNodes);  // 4033 keys, 84 a leaf

  // The table reads its orders back through the tree.
  EXPECT_EQ(63u * 64 + 1, table.RecordCount());
  ASSERT_TRUE(table.SetActiveIndex("WHEN").ok());
  ASSERT_TRUE(table.FindNearest(WhenText(4000)).ok());
  EXPECT_EQ(4001u, table.RecNo());
  ASSERT_TRUE(table.Last().ok());
  EXPECT_EQ(4033u, table.RecNo());
  EXPECT_EQ(4032u, table.Position());
}

TEST_F(IndexTreeTest, SmallAppendsAndOneBulkLoadGiveTheSameOrders) {
  // Owners and times scrambled, one owner holding most records, so keys
  // land everywhere and equal keys run across many leaves.
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 3000; ++i) {
    const int k = i * 7919 % 3000;
    const std::string name = k % 5 == 0 ? "other" + std::to_string(k % 7) : "owner";
    rows.push_back({name, WhenText(k % 977 * 3), "n"});
  }
  {
    Table table;
    ASSERT_TRUE(table.Open(path_).ok());
    std::size_t at = 0;
    for (int batch = 1; at < rows.size(); batch = batch % 17 + 1) {
      const std::size_t end = std::min(rows.size(), at + static_cast<std::size_t>(batch));
      ASSERT_TRUE(AppendRecords(table, {rows.begin() + static_cast<std::ptrdiff_t>(at),
                                        rows.begin() + static_cast<std::ptrdiff_t>(end)})
                      .ok());
      at = end;
      if (at % 500 < 17) ExpectIndexMatchesRecords(path_);
    }
    const ino_t later = InodeOf(indexPath_);
    ASSERT_TRUE(AppendRecords(table, {{"owner", WhenText(5), "n"}}).ok());
    EXPECT_EQ(later, InodeOf(indexPath_)) << "one record more changes the file in place";
    rows.push_back({"owner", WhenText(5), "n"});
    ASSERT_TRUE(table.Close().ok());
  }
  const std::vector<TreeShape> oneByOne = ExpectIndexMatchesRecords(path_);

  testing::TempDir other;
  const std::string bulkPath = other.File("t.dbf");
  ASSERT_TRUE(Table::Create(bulkPath, LayoutFieldDefs()).ok());
  {
    Table table;
    ASSERT_TRUE(table.Open(bulkPath).ok());
    ASSERT_TRUE(AppendRecords(table, rows).ok());
  }
  const std::vector<TreeShape> bulk = ExpectIndexMatchesRecords(bulkPath);
  ASSERT_EQ(2u, oneByOne.size());
  ASSERT_EQ(2u, bulk.size());
  for (std::size_t t = 0; t < 2; ++t) {
    ASSERT_EQ(bulk[t].leaves.size(), oneByOne[t].leaves.size());
    for (std::size_t i = 0; i < bulk[t].leaves.size(); ++i) {
      ASSERT_EQ(bulk[t].leaves[i].recno, oneByOne[t].leaves[i].recno) << t << " " << i;
      ASSERT_EQ(bulk[t].leaves[i].key, oneByOne[t].leaves[i].key) << t << " " << i;
    }
  }
  Table table;
  ASSERT_TRUE(table.Open(path_).ok());
  const std::vector<std::string> byName = testing::ReadAll(table, "NAME");
  ASSERT_EQ(rows.size(), byName.size());
  EXPECT_TRUE(std::is_sorted(byName.begin(), byName.end(), [](const std::string& a, const std::string& b) {
    return a.substr(0, a.find('|')) < b.substr(0, b.find('|'));
  }));
}

TEST_F(IndexTreeTest, DeletesAndRecordsBroughtBackTouchOnlyTheirKeys) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 2000; ++i) rows.push_back({i % 9 == 0 ? "early" : "owner", WhenText(i * 37 % 2000), "n"});
  Table table;
  ASSERT_TRUE(table.Open(path_).ok());
  ASSERT_TRUE(AppendRecords(table, rows).ok());
  const ino_t inode = InodeOf(indexPath_);

  // A record deleted in the grid, deep inside the run of equal keys.
  ASSERT_TRUE(table.SetActiveIndex("NAME").ok());
  ASSERT_TRUE(table.FindNearest("owner").ok());
  for (int i = 0; i < 700; ++i) ASSERT_TRUE(table.Next().ok());
  const std::uint32_t gone = table.RecNo();
  ASSERT_TRUE(table.Delete().ok());
  EXPECT_NE(gone, table.RecNo());
  EXPECT_EQ("owner", table.FieldText(0)) << "the next record of the run is current";
  ASSERT_TRUE(table.Close().ok());
  ExpectIndexMatchesRecords(path_);
  EXPECT_EQ(1999u, [&] {
    Table t;
    EXPECT_TRUE(t.Open(path_).ok());
    return t.RecordCount();
  }());

  // An import taken back by marks: 150 records in a row, whole leaves of
  // the owner's run among them.
  ASSERT_TRUE(table.Open(path_).ok());
  std::uint32_t deleted = 0;
  ASSERT_TRUE(table
                  .DeleteRecords(
                      801, 950, [](std::uint32_t, std::string_view) { return true; }, &deleted)
                  .ok());
  EXPECT_EQ(150u, deleted);
  ExpectIndexMatchesRecords(path_);

  // The records brought back, as taking back the delete does.
  std::vector<std::uint32_t> back;
  for (std::uint32_t r = 801; r <= 950; r += 2) back.push_back(r);
  std::uint32_t patched = 0;
  ASSERT_TRUE(table
                  .PatchRecords(
                      back,
                      [](std::uint32_t, char* record) {
                        record[0] = ' ';
                        return true;
                      },
                      {}, &patched)
                  .ok());
  EXPECT_EQ(75u, patched);
  ExpectIndexMatchesRecords(path_);

  // The last records cut, as taking back the last import does.
  ASSERT_TRUE(table.CutRecordsFrom(1901, nullptr).ok());
  ExpectIndexMatchesRecords(path_);
  EXPECT_EQ(inode, InodeOf(indexPath_)) << "every change above went to the file in place";
  EXPECT_EQ(1900u - 1 - 75, table.RecordCount());
  // In file order the walk steps over the records still marked.
  EXPECT_EQ(table.RecordCount(), testing::ReadAll(table).size());
  ASSERT_TRUE(table.Last().ok());
  EXPECT_EQ(1900u, table.RecNo());
  std::vector<std::uint32_t> backwards;
  for (Status s = table.Last(); s.ok() && !table.Bof() && table.RecNo() >= 940; s = table.Prior())
    backwards.push_back(table.RecNo());
  EXPECT_EQ(1900u - 951 + 1 + 5, backwards.size()) << "951..1900, then 949, 947, 945, 943, 941";
  ASSERT_TRUE(table.Close().ok());

  // Every key of a tag taken out: the tree shrinks to an empty root.
  ASSERT_TRUE(table.Open(path_).ok());
  ASSERT_TRUE(table
                  .DeleteRecords(
                      1, 1900, [](std::uint32_t, std::string_view) { return true; }, &deleted)
                  .ok());
  EXPECT_EQ(0u, table.RecordCount());
  ASSERT_TRUE(table.Close().ok());
  const std::vector<TreeShape> empty = ExpectIndexMatchesRecords(path_);
  ASSERT_EQ(2u, empty.size());
  EXPECT_EQ(0u, empty[0].leaves.size());
}

TEST_F(IndexTreeTest, NodesEmptiedByACutAreUsedAgainByTheNextAppend) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 2000; ++i) rows.push_back({"owner" + std::to_string(i % 7), WhenText(i), "n"});
  Table table;
  ASSERT_TRUE(table.Open(path_).ok());
  ASSERT_TRUE(AppendRecords(table, rows).ok());
  const ino_t inode = InodeOf(indexPath_);
  // A bill appended and taken back, five times: the later keys fill new
  // leaves at the end of the time order and split leaves amid the names;
  // the cut empties the new leaves, and the next append takes their pages.
  std::vector<std::uintmax_t> sizes;
  for (int cycle = 0; cycle < 5; ++cycle) {
    SCOPED_TRACE(cycle);
    std::vector<std::vector<std::string>> bill;
    for (int i = 0; i < 150; ++i) bill.push_back({"owner" + std::to_string(i % 5), WhenText(3000 + i), "b"});
    ASSERT_TRUE(AppendRecords(table, bill).ok());
    ExpectIndexMatchesRecords(path_);
    ASSERT_TRUE(table.CutRecordsFrom(2001, nullptr).ok());
    ExpectIndexMatchesRecords(path_);
    sizes.push_back(std::filesystem::file_size(indexPath_));
  }
  EXPECT_EQ(inode, InodeOf(indexPath_)) << "every change went to the file in place";
  EXPECT_EQ(std::vector<std::uintmax_t>(4, sizes[0]), std::vector<std::uintmax_t>(sizes.begin() + 1, sizes.end()))
      << "the file grew again though the pages it freed would do";
  ASSERT_TRUE(table.Close().ok());
}

TEST_F(IndexTreeTest, MovingByPositionDuringAnAppendKeepsEveryKey) {
  // The grid asks for positions while an import appends: the orders come
  // into memory half-way, and the keys appended before and after all count.
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 300; ++i) rows.push_back({"n" + std::to_string(i * 13 % 300), WhenText(i), "n"});
  Table table;
  ASSERT_TRUE(table.Open(path_).ok());
  ASSERT_TRUE(AppendRecords(table, rows).ok());
  ASSERT_TRUE(table.Close().ok());
  ASSERT_TRUE(table.Open(path_).ok());
  ASSERT_TRUE(table.SetActiveIndex("NAME").ok());
  ASSERT_TRUE(table.BeginBulkAppend().ok());
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(table.BulkAppend({"a" + std::to_string(i), WhenText(900 - i), "b"}).ok());
  EXPECT_EQ(0u, table.Position());
  ASSERT_TRUE(table.GoToPosition(10).ok());
  for (int i = 5; i < 10; ++i) ASSERT_TRUE(table.BulkAppend({"a" + std::to_string(i), WhenText(900 - i), "b"}).ok());
  ASSERT_TRUE(table.EndBulkAppend().ok());
  EXPECT_EQ(310u, table.RecordCount());
  ASSERT_TRUE(table.GoToPosition(9).ok());
  EXPECT_EQ("a9", table.FieldText(0));
  ASSERT_TRUE(table.Close().ok());
  ExpectIndexMatchesRecords(path_);
}

// A tree built whole leaves room in its leaves: a few keys added between
// the old ones, one per leaf, split none, so the file does not grow.
TEST_F(IndexTreeTest, KeysAddedBetweenThoseOfATreeBuiltWholeSplitNoLeaf) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 3000; ++i) rows.push_back({"k" + std::to_string(100000 + i * 10), WhenText(i * 10), ""});
  Table table;
  ASSERT_TRUE(table.Open(path_).ok());
  ASSERT_TRUE(AppendRecords(table, rows).ok());
  ASSERT_TRUE(table.Close().ok());
  const auto before = std::filesystem::file_size(indexPath_);
  ASSERT_TRUE(table.Open(path_).ok());
  rows.clear();
  for (int i = 0; i < 3000; i += 250) rows.push_back({"k" + std::to_string(100005 + i * 10), WhenText(i * 10 + 5), ""});
  ASSERT_TRUE(AppendRecords(table, rows).ok());
  ASSERT_TRUE(table.Close().ok());
  EXPECT_EQ(before, std::filesystem::file_size(indexPath_));
  ExpectIndexMatchesRecords(path_);
}

TEST_F(IndexTreeTest, AppendInPlaceTouchingMoreBlocksThanTheCacheHoldsEndsInStep) {
  // Keys scattered over some five thousand leaves of each tag: the changed
  // blocks outgrow the cache and go to the file before the marker.
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 300'000; ++i) rows.push_back({"k" + std::to_string(i * 7 % 300'000), WhenText(i % 40'000), ""});
  Table table;
  ASSERT_TRUE(table.Open(path_).ok());
  ASSERT_TRUE(AppendRecords(table, rows).ok());
  const ino_t inode = InodeOf(indexPath_);
  rows.clear();
  for (int i = 0; i < 29'000; ++i) rows.push_back({"k" + std::to_string(i * 10 + 5), WhenText(i % 39'000), "new"});
  ASSERT_TRUE(AppendRecords(table, rows).ok());
  EXPECT_EQ(inode, InodeOf(indexPath_)) << "changed in place";
  ASSERT_TRUE(table.Close().ok());
  ExpectIndexMatchesRecords(path_);
  OpenNotes notes;
  ASSERT_TRUE(table.Open(path_, &notes).ok());
  EXPECT_EQ("", notes.indexRebuilt);
  EXPECT_EQ(329'000u, table.RecordCount());
}

TEST_F(IndexTreeTest, FileOfTheWholeFileChecksumIsSortedInMemoryUntilAWriterWritesIt) {
  Table table;
  ASSERT_TRUE(table.Open(path_).ok());
  for (int i = 0; i < 5; ++i)
    ASSERT_TRUE(testing::AddRecord(table, {"n" + std::to_string(5 - i), WhenText(i), "x"}).ok());
  ASSERT_TRUE(table.Close().ok());
  std::string image = testing::ReadOrEmpty(indexPath_);
  image.replace(64, 4, "ZVIX");  // the marker of the earlier form
  testing::WriteOrDie(indexPath_, image);

  OpenNotes notes;
  OpenOptions reading;
  reading.access = TableAccess::Read;
  ASSERT_TRUE(table.Open(path_, &notes, reading).ok());
  EXPECT_NE(std::string::npos, notes.indexRebuilt.find("earlier version")) << notes.indexRebuilt;
  EXPECT_EQ((std::vector<std::string>{"n1", "n2", "n3", "n4", "n5"}), [&] {
    std::vector<std::string> names;
    for (const std::string& line : testing::ReadAll(table, "NAME")) names.push_back(line.substr(0, 2));
    return names;
  }());
  ASSERT_TRUE(table.Close().ok());
  EXPECT_EQ(image, testing::ReadOrEmpty(indexPath_)) << "a reader writes nothing";

  ASSERT_TRUE(table.Open(path_).ok());
  ASSERT_TRUE(testing::AddRecord(table, {"n0", WhenText(9), "x"}).ok());
  ASSERT_TRUE(table.Close().ok());
  EXPECT_EQ("ZVIB", testing::ReadOrEmpty(indexPath_).substr(64, 4));
  ExpectIndexMatchesRecords(path_);
  ASSERT_TRUE(table.Open(path_, &notes).ok());
  EXPECT_EQ("", notes.indexRebuilt);
}

}  // namespace
}  // namespace zvonar
