// The index's node cache: what it keeps when full, and that a block taken
// out, changed or brought back is the one read.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "store/NodeCache.h"

namespace zvonar {
namespace {

constexpr std::size_t kBytes = 16;

std::string BlockOf(std::uint32_t page, char fill = 'a') {
  std::string b(kBytes, fill);
  b.replace(0, std::to_string(page).size(), std::to_string(page));
  return b;
}

std::string Held(NodeCache& cache, std::uint32_t page) {
  const char* b = cache.Find(page);
  return b == nullptr ? std::string() : std::string(b, kBytes);
}

TEST(NodeCacheTest, KeepsTheBlocksUsedLastWhenFull) {
  for (const bool large : {false, true}) {
    NodeCache cache;
    cache.Reset(3, kBytes, large);
    for (std::uint32_t page : {10u, 20u, 30u}) cache.Put(page, BlockOf(page).data());
    EXPECT_EQ(Held(cache, 10), BlockOf(10));  // now newer than 20
    cache.Put(40, BlockOf(40).data());        // 20 goes
    EXPECT_FALSE(cache.Contains(20));
    for (std::uint32_t page : {10u, 30u, 40u}) EXPECT_EQ(Held(cache, page), BlockOf(page)) << page;
    // Put over a page it holds changes the block and makes it the newest.
    cache.Put(10, BlockOf(10, 'z').data());
    cache.Put(50, BlockOf(50).data());  // 30 goes: 40 and 10 were used after it
    cache.Put(60, BlockOf(60).data());  // then 40
    EXPECT_FALSE(cache.Contains(30));
    EXPECT_FALSE(cache.Contains(40));
    EXPECT_EQ(Held(cache, 10), BlockOf(10, 'z'));
    EXPECT_EQ(Held(cache, 50), BlockOf(50));
    EXPECT_EQ(Held(cache, 60), BlockOf(60));
  }
}

TEST(NodeCacheTest, ABigCacheHoldsTheLastBlocksInBothItsPieces) {
  for (const bool large : {false, true}) {
    NodeCache cache;
    cache.Reset(400, kBytes, large);
    for (std::uint32_t page = 1; page <= 600; ++page) cache.Put(page, BlockOf(page).data());
    for (std::uint32_t page = 1; page <= 600; ++page)
      if (page <= 200)
        EXPECT_FALSE(cache.Contains(page)) << page;
      else
        EXPECT_EQ(Held(cache, page), BlockOf(page)) << page;
  }
}

TEST(NodeCacheTest, ErasedBlocksFreeTheirPlaceAndResetForgetsAll) {
  NodeCache cache;
  cache.Reset(2, kBytes, false);
  EXPECT_EQ(cache.Find(1), nullptr);
  cache.Put(1, BlockOf(1).data());
  cache.Put(2, BlockOf(2).data());
  cache.Erase(1);
  cache.Erase(7);  // not held: nothing happens
  EXPECT_FALSE(cache.Contains(1));
  cache.Put(3, BlockOf(3).data());  // into the place of 1: 2 stays
  EXPECT_EQ(Held(cache, 2), BlockOf(2));
  EXPECT_EQ(Held(cache, 3), BlockOf(3));
  // Erasing the newest and the oldest keeps the order of the rest.
  cache.Erase(2);
  cache.Erase(3);
  for (std::uint32_t page = 100; page < 110; ++page) cache.Put(page, BlockOf(page).data());
  EXPECT_EQ(Held(cache, 108), BlockOf(108));
  EXPECT_EQ(Held(cache, 109), BlockOf(109));
  EXPECT_FALSE(cache.Contains(107));
  cache.Reset(2, kBytes, false);
  EXPECT_FALSE(cache.Contains(108));
  cache.Reset(0, kBytes, false);  // a closed index keeps nothing
  cache.Put(5, BlockOf(5).data());
  EXPECT_FALSE(cache.Contains(5));
}

}  // namespace
}  // namespace zvonar
