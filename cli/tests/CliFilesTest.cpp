// Files that are not what they seem: a data file that is a FIFO, a device
// or far too large is refused at once by every command that reads it; a
// month summary's name taken by a link stops the bill before anything is
// stored; a bill that gives nothing says why; and import and load-tsv find
// an owners list they cannot update before they append.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/tests/TestSupport.h"
#include "cli/tests/CliTestSupport.h"
#include "import/tests/BillTestSupport.h"

namespace zvonar {
namespace {

using testing::Bill;
using testing::CliRun;
using testing::ReadOrEmpty;
using testing::WriteOrDie;

const char kRecord[] = "79001\t2006.05.01 10:00:00\t79031112233\tAnn\t1\tCall\t30\t1\t1.50\t\t1.50\t\n";

std::string OneCallBill() {
  return Bill({"Счет клиента : 1234567", "Клиент : Петров", "СВЕДЕНИЯ О СОСТОЯНИИ БАЛАНСА", "БАЛАНС НА 31.03.2008",
               "Ведомость разговоров +7/9161112233", "01.03.2008 12:30:05 4951234567 M 1 60 1.00 2.50 0.00 2.50"});
}

class CliFilesTest : public testing::CliTableTest {
 protected:
  CliFilesTest() : CliTableTest(kRecord) {}
  void SetUp() override {
    CliTableTest::SetUp();
    WriteOrDie(dir_.File("bill.txt"), OneCallBill());
    WriteOrDie(dir_.File("more.tsv"), "79002\t2006.05.02 10:00:00\t79031112233\t\t1\tCall\t30\t1\t1.50\t\t1.50\t\n");
  }
  std::size_t Records() {
    const CliRun dump = Cli({"dump"});
    return static_cast<std::size_t>(std::count(dump.out.begin(), dump.out.end(), '\n'));
  }
  // Each command that reads `file` fails with `message` in its error
  // output and leaves the table as it was.
  void ExpectRefused(const std::string& file, const std::vector<std::vector<std::string>>& commands,
                     const std::string& message) {
    for (const std::vector<std::string>& command : commands) {
      const CliRun run = Cli(command);
      EXPECT_EQ(kExitFailure, run.code) << file << ": " << command[0] << ": " << run.err;
      EXPECT_NE(std::string::npos, run.err.find(message)) << file << ": " << command[0] << ": " << run.err;
    }
    std::filesystem::remove(dir_.File(file));
    EXPECT_EQ(1u, Records()) << file;
  }
  void MakeSparse(const std::string& file, off_t size) {
    std::filesystem::remove(dir_.File(file));
    const int fd = ::open(dir_.File(file).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, ::ftruncate(fd, size));
    ::close(fd);
  }
};

TEST_F(CliFilesTest, AFifoInPlaceOfADataFileIsRefusedAtOnce) {
  const std::vector<std::string> import = {"import", dir_.File("bill.txt")};
  const std::vector<std::string> loadTsv = {"load-tsv", dir_.File("more.tsv")};
  const std::vector<std::string> book = {"book", "list"};
  const std::vector<std::string> undo = {"undo-import"};
  const std::pair<const char*, std::vector<std::vector<std::string>>> cases[] = {
      {"settings.ini", {import, loadTsv, undo}},
      {"abonents.dat", {import, book, {"book", "set", "79031112233", "Ann"}}},
      {"codetype.dat", {import}},
      {"Tellura.dat", {import, loadTsv}},
      {"fields.dat", {import}},
  };
  for (const auto& [file, commands] : cases) {
    std::filesystem::remove(dir_.File(file));
    ASSERT_EQ(0, ::mkfifo(dir_.File(file).c_str(), 0600));
    ExpectRefused(file, commands, dir_.File(file) + " is a FIFO, not a regular file");
  }
}

TEST_F(CliFilesTest, ADataFileLargerThanAnyOfItsKindIsRefusedUnread) {
  // Sparse files: refused by their size, so the test reads nothing either.
  MakeSparse("settings.ini", off_t{1} << 30);
  ExpectRefused("settings.ini", {{"import", dir_.File("bill.txt")}, {"load-tsv", dir_.File("more.tsv")}},
                dir_.File("settings.ini") + " is larger than 4 MB, more than any real file of its kind");
  MakeSparse("Tellura.dat", (off_t{4} << 20) + 1);
  ExpectRefused("Tellura.dat", {{"load-tsv", dir_.File("more.tsv")}}, "is larger than 4 MB");
  MakeSparse("abonents.dat", off_t{100} << 20);
  ExpectRefused("abonents.dat", {{"import", dir_.File("bill.txt")}, {"book", "list"}},
                dir_.File("abonents.dat") + " is larger than 64 MB, more than any real file of its kind");
  MakeSparse("codetype.dat", off_t{1} << 30);
  ExpectRefused("codetype.dat", {{"import", dir_.File("bill.txt")}}, "is larger than 64 MB");

  // A book of 60 MB is a big firm's, and is read.
  MakeSparse("abonents.dat", off_t{60} << 20);
  EXPECT_EQ(kExitOk, Cli({"book", "list"}).code);
}

TEST_F(CliFilesTest, ABillThatIsNotARegularFileIsRefused) {
  std::filesystem::create_symlink("/dev/zero", dir_.File("zero.txt"));
  ASSERT_EQ(0, ::mkfifo(dir_.File("pipe.txt").c_str(), 0600));
  for (const char* bill : {"zero.txt", "pipe.txt"}) {
    const CliRun run = Cli({"import", dir_.File(bill)});
    EXPECT_EQ(kExitFailure, run.code) << bill;
    EXPECT_NE(std::string::npos, run.err.find("not a regular file")) << run.err;
  }
  // load-tsv's input alike; a pipe stays welcome there.
  const CliRun zero = Cli({"load-tsv", dir_.File("zero.txt")});
  EXPECT_EQ(kExitFailure, zero.code);
  EXPECT_EQ("zvonar-cli: " + dir_.File("zero.txt") + " is a device, not a regular file\n", zero.err);
  EXPECT_EQ(1u, Records());
}

TEST_F(CliFilesTest, ASummaryNameTakenByALinkStopsTheBillBeforeItIsStored) {
  WriteOrDie(dir_.File("victim"), "keep");
  const std::string summary = dir_.File("1234567-[2008.Mart].sum");
  std::filesystem::create_symlink(dir_.File("victim"), summary);
  const CliRun run = Cli({"import", dir_.File("bill.txt")});
  EXPECT_EQ(kExitFailure, run.code);
  EXPECT_EQ("zvonar-cli: " + dir_.File("bill.txt") + ": no month summary: " + summary +
                " is a symbolic link, not a regular file; nothing was imported\n",
            run.err);
  EXPECT_EQ("keep", ReadOrEmpty(dir_.File("victim")));
  EXPECT_TRUE(std::filesystem::is_symlink(summary));
  EXPECT_EQ(1u, Records());

  // A folder in the summary's place is refused alike; a regular file of
  // the name is replaced and the bill imported.
  std::filesystem::remove(summary);
  std::filesystem::create_directory(summary);
  EXPECT_EQ(kExitFailure, Cli({"import", dir_.File("bill.txt")}).code);
  EXPECT_EQ(1u, Records());
  std::filesystem::remove(summary);
  WriteOrDie(summary, "an older summary");
  const CliRun imported = Cli({"import", dir_.File("bill.txt")});
  EXPECT_EQ(kExitOk, imported.code) << imported.err;
  EXPECT_NE("an older summary", ReadOrEmpty(summary));
  EXPECT_EQ(2u, Records());
}

TEST_F(CliFilesTest, ABillWithoutACallOrChargeLineSaysWhy) {
  std::string utf16;  // the bill in UTF-16 without its byte-order mark
  for (const char c : std::string("Ведомость разговоров +7/9161112233\r\n")) {
    utf16 += c;
    utf16 += '\0';
  }
  const std::string journal = ReadOrEmpty(dir_.File("imports.dat"));
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 7 % 256);
  const std::pair<const char*, std::string> bills[] = {{"empty.txt", ""}, {"utf16.txt", utf16}, {"binary.txt", binary}};
  for (const auto& [name, bytes] : bills) {
    WriteOrDie(dir_.File(name), bytes);
    const CliRun run = Cli({"import", dir_.File(name)});
    EXPECT_EQ(kExitFailure, run.code) << name;
    EXPECT_EQ("", run.out) << name;
    EXPECT_EQ("zvonar-cli: " + dir_.File(name) + ": no call or charge line was found (is it a bill of the operator?)\n",
              run.err);
  }
  EXPECT_EQ(1u, Records());
  EXPECT_EQ(journal, ReadOrEmpty(dir_.File("imports.dat")));
}

TEST_F(CliFilesTest, AnOwnersListThatCannotBeUpdatedStopsTheAppendBeforeIt) {
  std::filesystem::remove(dir_.File("Tellura.dat"));
  std::filesystem::create_directory(dir_.File("Tellura.dat"));
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"load-tsv", dir_.File("more.tsv")}, {"import", dir_.File("bill.txt")}}) {
    const CliRun run = Cli(command);
    EXPECT_EQ(kExitFailure, run.code) << command[0];
    EXPECT_EQ("", run.out) << command[0];
    EXPECT_EQ("zvonar-cli: " + dir_.File("Tellura.dat") + " is a directory, not a regular file\n", run.err);
  }
  EXPECT_EQ(1u, Records());
  EXPECT_FALSE(FileExists(dir_.File("1234567-[2008.Mart].sum")));
}

}  // namespace
}  // namespace zvonar
