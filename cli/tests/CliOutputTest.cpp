// What save-list, export-csv and report --pdf write to: never one of the
// program's own files, never a device, FIFO or folder, and always the file
// they name in their message.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "base/tests/TestSupport.h"
#include "cli/tests/CliTestSupport.h"

namespace zvonar {
namespace {

using testing::ReadOrEmpty;
using testing::TempDir;

const char kRecords[] =
    "79001\t2006.05.01 10:00:00\t79031112233\tAnn\t1\tCall\t30\t1\t1.50\t\t1.50\t\n"
    "79002\t2006.05.03 12:00:00\t79031112233\t\t8\tSMS\t0\t0\t0.50\t\t0.50\tNet\n";

class CliOutputTest : public testing::CliTableTest {
 protected:
  CliOutputTest() : CliTableTest(kRecords) {}
  // The command writing its output to `path`.
  testing::CliRun Write(const std::string& command, const std::string& path) {
    if (command == "report") return Cli({"report", "--pdf", path});
    return Cli({command, path});
  }
  static constexpr const char* kCommands[] = {"save-list", "export-csv", "report"};
  TempDir elsewhere_;
};

TEST_F(CliOutputTest, NoOutputReplacesAFileOfTheProgram) {
  testing::WriteOrDie(dir_.File("settings.ini"), "[Settings]\r\n");
  testing::WriteOrDie(dir_.File("english.lng"), "File\r\n");
  std::filesystem::create_symlink(dir_.File("Tellura.dbf"), elsewhere_.File("list.fil"));
  std::filesystem::create_symlink(dir_.path(), elsewhere_.File("data"));
  const std::string table = ReadOrEmpty(dir_.File("Tellura.dbf"));
  const std::string index = ReadOrEmpty(dir_.File("Tellura.MDX"));
  const std::string settings = ReadOrEmpty(dir_.File("settings.ini"));
  const std::string attempts[][2] = {
      {dir_.File("Tellura.dbf"), "Tellura.dbf"},
      {dir_.path() + "./Tellura.MDX", "Tellura.MDX"},
      {elsewhere_.File("data/./Tellura.dbf"), "Tellura.dbf"},  // through a link to the folder
      {dir_.path() + "../" + std::filesystem::path(dir_.path()).parent_path().filename().string() + "/Tellura.dbf",
       "Tellura.dbf"},
      {elsewhere_.File("list.fil"), "Tellura.dbf"},  // a link to the table
      {dir_.File("settings.ini"), "settings.ini"},
      {dir_.File("english.lng"), "english.lng"},
      {dir_.File("imports.dat"), "imports.dat"},
  };
  for (const char* command : kCommands) {
    for (const auto& [path, own] : attempts) {
      const auto run = Write(command, path);
      EXPECT_EQ(1, run.code) << command << " " << path;
      EXPECT_EQ("zvonar-cli: cannot write to " + path + ": it is the program's own file " + own + "\n", run.err)
          << command;
      EXPECT_EQ("", run.out) << command;
    }
  }
  EXPECT_EQ(table, ReadOrEmpty(dir_.File("Tellura.dbf")));
  EXPECT_EQ(index, ReadOrEmpty(dir_.File("Tellura.MDX")));
  EXPECT_EQ(settings, ReadOrEmpty(dir_.File("settings.ini")));
  EXPECT_TRUE(std::filesystem::is_symlink(elsewhere_.File("list.fil")));
  const auto dump = Cli({"dump"});
  EXPECT_EQ(0, dump.code) << dump.err;
  EXPECT_EQ(kRecords, dump.out);
}

TEST_F(CliOutputTest, DevicesFifosAndFoldersAreRefusedAndLeftAsTheyWere) {
  ASSERT_EQ(0, ::mkfifo(elsewhere_.File("pipe.csv").c_str(), 0600));
  for (const char* command : kCommands) {
    const auto device = Write(command, "/dev/full");
    EXPECT_EQ(1, device.code) << command;
    EXPECT_EQ("zvonar-cli: /dev/full is a device, not a regular file\n", device.err) << command;
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    EXPECT_FALSE(std::filesystem::exists("/dev/full.fil"));

    const auto fifo = Write(command, elsewhere_.File("pipe.csv"));
    EXPECT_EQ("zvonar-cli: " + elsewhere_.File("pipe.csv") + " is a FIFO, not a regular file\n", fifo.err);
    EXPECT_TRUE(std::filesystem::is_fifo(elsewhere_.File("pipe.csv")));

    const auto folder = Write(command, elsewhere_.File(""));
    EXPECT_EQ(1, folder.code) << command;
    EXPECT_NE(std::string::npos, folder.err.find("is a directory, not a regular file")) << folder.err;

    // A folder that is not there: the write fails, says so and exits 1.
    const auto missing = Write(command, elsewhere_.File("no/such/out.pdf"));
    EXPECT_EQ(1, missing.code) << command;
    EXPECT_NE(std::string::npos, missing.err.find(elsewhere_.File("no/such/out.pdf"))) << missing.err;
    EXPECT_EQ("", missing.out) << command;
  }
}

TEST_F(CliOutputTest, EachOutputNamesTheFileItWrote) {
  const auto list = Cli({"save-list", elsewhere_.File("calls")});
  ASSERT_EQ(0, list.code) << list.err;
  EXPECT_EQ("2 records written to " + elsewhere_.File("calls.fil") + "\n", list.out);
  EXPECT_TRUE(FileExists(elsewhere_.File("calls.fil")));
  EXPECT_FALSE(FileExists(elsewhere_.File("calls")));

  // An old output of its own name is replaced, and so is one beside the
  // table that is not the program's.
  testing::WriteOrDie(dir_.File("79001.fil"), "old");
  const auto beside = Cli({"save-list", dir_.File("79001.fil"), "--owner", "79001"});
  ASSERT_EQ(0, beside.code) << beside.err;
  EXPECT_EQ("1 record written to " + dir_.File("79001.fil") + "\n", beside.out);
  EXPECT_NE("old", ReadOrEmpty(dir_.File("79001.fil")));

  const auto csv = Cli({"export-csv", elsewhere_.File("calls.csv")});
  ASSERT_EQ(0, csv.code) << csv.err;
  EXPECT_EQ("2 records written to " + elsewhere_.File("calls.csv") + "\n", csv.out);
}

}  // namespace
}  // namespace zvonar
