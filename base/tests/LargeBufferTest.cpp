#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/LargeBuffer.h"

namespace zvonar {
namespace {

TEST(LargeBuffer, SmallAndLargeBuffersHoldWhatIsWrittenAndLargeOnesSitOnHugePages) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{100}, std::size_t{2} << 20, (std::size_t{5} << 20) + 3}) {
    LargeBuffer b = MakeLargeBuffer(size);
    ASSERT_NE(nullptr, b.get());
    if (size >= (std::size_t{2} << 20)) {
      EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(b.get()) % (2u << 20)) << size;
    }
    std::memset(b.get(), 'x', size);
    if (size > 0) {
      EXPECT_EQ('x', b[size - 1]);
    }
  }
}

TEST(LargeBuffer, AVectorGrowsPastSeveralHugePagesAndKeepsItsValues) {
  std::vector<std::uint32_t, LargeAllocator<std::uint32_t>> v;
  for (std::uint32_t i = 0; i < 3'000'000; ++i) v.push_back(i * 7);
  ASSERT_EQ(3'000'000u, v.size());
  for (std::uint32_t i = 0; i < v.size(); i += 4099) ASSERT_EQ(i * 7, v[i]);
  std::vector<std::uint32_t, LargeAllocator<std::uint32_t>> copy = v;
  v.clear();
  v.shrink_to_fit();
  EXPECT_EQ(7u * 2'999'999u, copy.back());
}

}  // namespace
}  // namespace zvonar
