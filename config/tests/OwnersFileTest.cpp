#include "config/OwnersFile.h"

#include <gtest/gtest.h>

#include "base/tests/TestSupport.h"

namespace zvonar {
namespace {

TEST(OwnersFile, RoundTripAndMissingFile) {
  testing::TempDir dir;
  const std::string path = dir.File("Tellura.dat");
  std::vector<std::string> owners{"x"};
  ASSERT_TRUE(ReadOwnersFile(path, &owners).ok());
  EXPECT_TRUE(owners.empty());

  ASSERT_TRUE(WriteOwnersFile(path, {"79001112233", "79004445566"}).ok());
  EXPECT_EQ("79001112233\r\n79004445566\r\n", testing::ReadOrEmpty(path));
  ASSERT_TRUE(ReadOwnersFile(path, &owners).ok());
  EXPECT_EQ((std::vector<std::string>{"79001112233", "79004445566"}), owners);
}

TEST(OwnersFile, EmptyListLeavesTheFileAlone) {
  testing::TempDir dir;
  const std::string path = dir.File("Tellura.dat");
  testing::WriteOrDie(path, "79001112233\r\n");
  ASSERT_TRUE(WriteOwnersFile(path, {}).ok());
  EXPECT_EQ("79001112233\r\n", testing::ReadOrEmpty(path));
}

}  // namespace
}  // namespace zvonar
