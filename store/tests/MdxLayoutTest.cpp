// The index file read as another dBase reader reads it, by a reader written
// here from the layout alone: the tag table and the binary tree over the tag
// names, and each tag's tree walked from its root. The order found must be
// the order of the records' keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <numeric>
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

}  // namespace
}  // namespace zvonar
