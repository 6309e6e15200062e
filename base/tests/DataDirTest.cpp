#include "base/DataDir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/tests/TestSupport.h"

namespace zvonar {
namespace {

using testing::TempDir;

TEST(ResolveDataDir, PortableInstallUsesTheExecutableDirectory) {
  TempDir exe, home;
  testing::WriteOrDie(exe.File("settings.ini"), "");
  std::string dir;
  ASSERT_TRUE(ResolveDataDir(exe.path(), nullptr, home.path().c_str(), &dir).ok());
  EXPECT_EQ(exe.path(), dir);
}

TEST(ResolveDataDir, OtherwiseXdgDataHomeThenHome) {
  TempDir exe, xdg, home;
  std::string dir;
  ASSERT_TRUE(ResolveDataDir(exe.path(), xdg.path().c_str(), home.path().c_str(), &dir).ok());
  EXPECT_EQ(xdg.path() + "zvonar/", dir);
  EXPECT_TRUE(std::filesystem::is_directory(dir));

  ASSERT_TRUE(ResolveDataDir(exe.path(), nullptr, home.path().c_str(), &dir).ok());
  EXPECT_EQ(home.path() + ".local/share/zvonar/", dir);
  EXPECT_TRUE(std::filesystem::is_directory(dir));

  // A relative XDG_DATA_HOME is not a valid setting and is passed over.
  ASSERT_TRUE(ResolveDataDir(exe.path(), "relative/dir", home.path().c_str(), &dir).ok());
  EXPECT_EQ(home.path() + ".local/share/zvonar/", dir);
}

TEST(ResolveDataDir, FailsWithoutAnyPlace) {
  TempDir exe;
  std::string dir = "unchanged";
  EXPECT_FALSE(ResolveDataDir(exe.path(), nullptr, nullptr, &dir).ok());
  EXPECT_EQ("unchanged", dir);
}

TEST(ResolveDataDir, ReportsADirectoryThatCannotBeMade) {
  TempDir home;
  testing::WriteOrDie(home.File(".local"), "a file where a directory should be");
  std::string dir;
  EXPECT_FALSE(ResolveDataDir("", nullptr, home.path().c_str(), &dir).ok());
}

}  // namespace
}  // namespace zvonar
