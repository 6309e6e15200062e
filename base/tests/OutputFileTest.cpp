#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/OutputFile.h"
#include "base/tests/TestSupport.h"

namespace zvonar {
namespace {

using testing::TempDir;
using testing::WriteOrDie;

TEST(IsOwnDataFileName, KnowsTheDataDirectorysFiles) {
  for (const char* own : {"Tellura.dbf", "Tellura.MDX", "tellura.mdx", "Tellura.dbf.redo", "Tellura.dat",
                          "settings.ini", "fields.dat", "abonents.dat", "codetype.dat", "opercode.dat", "imports.dat",
                          "english.lng", "zvonar.lock", "abonents.dat.lock", "Tellura.dbf.tmp-a1B2c3",
                          "Tellura.dbf.redo.rejected-20240101", ".table-gate", ".table-window", "Tellura.db"})
    EXPECT_TRUE(IsOwnDataFileName(own)) << own;
  for (const char* other : {"Ivanov.fil", "report.pdf", "list.csv", "bill.txt", "1234-[2008.May].sum", "Tellura",
                            "Tellura.fil", "Tellura.csv"})
    EXPECT_FALSE(IsOwnDataFileName(other)) << other;
}

class CheckOutputPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(dir_.File("data"));
    WriteOrDie(data_ + "Tellura.dbf", "table");
    WriteOrDie(data_ + "abonents.dat", "book");
  }
  TempDir dir_;
  const std::string data_ = dir_.File("data/");
};

TEST_F(CheckOutputPathTest, RefusesOwnFilesHoweverTheyAreNamed) {
  std::filesystem::create_symlink(data_ + "Tellura.dbf", dir_.File("link.fil"));
  ASSERT_EQ(0, ::link((data_ + "abonents.dat").c_str(), dir_.File("hard.csv").c_str()));
  std::filesystem::create_symlink("data", dir_.File("again"));
  const std::string refused[][2] = {
      {data_ + "Tellura.dbf", "Tellura.dbf"},          {dir_.File("data/./../data/Tellura.dbf"), "Tellura.dbf"},
      {dir_.File("again/Tellura.dbf"), "Tellura.dbf"}, {dir_.File("link.fil"), "Tellura.dbf"},  // a symbolic link
      {dir_.File("hard.csv"), "abonents.dat"},                                                  // a hard link
      {data_ + "Tellura.MDX", "Tellura.MDX"},  // missing: rebuilt from the table, never an output
      {data_ + "settings.ini", "settings.ini"},
      {data_ + "history/0a1b2c3d4e-1-0.bef", "history/0a1b2c3d4e-1-0.bef"},  // a change's before-images
  };
  std::filesystem::create_directory(data_ + "history");
  for (const auto& [path, own] : refused)
    EXPECT_EQ("cannot write to " + path + ": it is the program's own file " + own,
              CheckOutputPath(path, data_).message());
  EXPECT_EQ("table", testing::ReadOrEmpty(data_ + "Tellura.dbf"));
}

TEST_F(CheckOutputPathTest, RefusesWhatIsNotARegularFile) {
  ASSERT_EQ(0, ::mkfifo(dir_.File("pipe").c_str(), 0600));
  EXPECT_EQ(dir_.File("pipe") + " is a FIFO, not a regular file", CheckOutputPath(dir_.File("pipe"), data_).message());
  EXPECT_EQ("/dev/full is a device, not a regular file", CheckOutputPath("/dev/full", data_).message());
  EXPECT_EQ(data_ + " is a directory, not a regular file", CheckOutputPath(data_, data_).message());
}

TEST_F(CheckOutputPathTest, AllowsNewNamesAndOtherRegularFiles) {
  WriteOrDie(dir_.File("old.fil"), "old list");
  EXPECT_TRUE(CheckOutputPath(dir_.File("old.fil"), data_).ok());
  EXPECT_TRUE(CheckOutputPath(dir_.File("new.csv"), data_).ok());
  EXPECT_TRUE(CheckOutputPath(data_ + "Ivanov.fil", data_).ok());       // lists may live beside the table
  EXPECT_TRUE(CheckOutputPath(dir_.File("settings.ini"), data_).ok());  // an own name outside the data directory
}

TEST(CheckReplaceable, RefusesANonRegularFileOrAFolderThatCannotBeWritten) {
  TempDir dir;
  EXPECT_TRUE(CheckReplaceable(dir.File("Tellura.dat")).ok());  // missing: created in a writable folder
  std::filesystem::create_directory(dir.File("Tellura.dat"));
  EXPECT_EQ(dir.File("Tellura.dat") + " is a directory, not a regular file",
            CheckReplaceable(dir.File("Tellura.dat")).message());
  EXPECT_FALSE(CheckReplaceable(dir.File("no/such/folder/Tellura.dat")).ok());
}

}  // namespace
}  // namespace zvonar
