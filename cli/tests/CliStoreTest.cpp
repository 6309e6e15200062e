#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "base/tests/TestSupport.h"
#include "cli/tests/CliTestSupport.h"
#include "store/DetalTable.h"

namespace zvonar {
namespace {

using testing::CliRun;

class CliStoreTest : public ::testing::Test {
 protected:
  CliRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", dir_.path()});
    return testing::RunArgs(args);
  }
  std::string Load(const std::string& content) {
    const std::string path = dir_.File("in.tsv");
    testing::WriteOrDie(path, content);
    return path;
  }

  testing::TempDir dir_;
};

// Twelve cells: Owner, DateTime, Number, Abonent, Code, Type, Sec, Min, Cost, MTP, All, Roaming.
const std::string kFirst =
    "79161234567\t2024.03.15 14:30:05\t79031112233\tИван Петров\tc\\t1\tout\t61\t2\t1.50\t\t1.50\t";
const std::string kSecond = "79160000000\t2024.03.01\t0611\ta\\\\b \\n c\t\t\t\t\t0.00\t\t0.00\tМТС Беларусь";

TEST_F(CliStoreTest, DumpAndLoadTsvRoundTrip) {
  const CliRun load = Run({"load-tsv", Load(kFirst + "\r\n" + kSecond)});  // CR LF, then no final line end
  ASSERT_EQ(kExitOk, load.code) << load.err;
  const CliRun dump = Run({"dump"});
  ASSERT_EQ(kExitOk, dump.code) << dump.err;
  EXPECT_EQ(kFirst + "\n" + kSecond + "\n", dump.out);
  EXPECT_EQ(kSecond + "\n" + kFirst + "\n", Run({"dump", "--index", "Owner"}).out);
  EXPECT_EQ(kSecond + "\n" + kFirst + "\n", Run({"dump", "--index", "DateTime"}).out);

  ASSERT_EQ(kExitOk, Run({"load-tsv", Load(dump.out)}).code);  // the dump loads back as it is
  EXPECT_EQ(dump.out + dump.out, Run({"dump"}).out);
}

// A file larger than the blocks it is read in: the lines cut by a block's
// end, CR LF ones included, are read whole.
TEST_F(CliStoreTest, LoadTsvReadsLinesAcrossItsReadBlocks) {
  // A file of several megabytes is read on a thread of its own, one under a
  // megabyte as it is stored; both in batches of a few thousand lines.
  for (const int lines : {80000, 9000}) {
    std::string input, want;
    for (int i = 0; i < lines; ++i) {
      const std::string line = "7916" + std::to_string(1000000 + i % 97) + "\t2024.03." + std::to_string(10 + i % 19) +
                               " 10:00:00\t" + std::to_string(i) + "\t" +
                               std::string(static_cast<std::size_t>(i % 11), 'x') +
                               "abonent\t\t\t60\t1\t1.50\t\t1.50\t";
      input += line + (i % 2 == 0 ? "\r\n" : "\n");
      want += line + "\n";
    }
    if (lines > 10000)
      ASSERT_GT(input.size(), std::size_t{5} << 20);
    else
      ASSERT_LT(input.size(), std::size_t{1} << 20);
    const CliRun load = Run({"load-tsv", Load(input)});
    ASSERT_EQ(kExitOk, load.code) << load.err;
    EXPECT_EQ("", load.err);
    const std::string out = Run({"dump"}).out;
    const auto differs = std::mismatch(want.begin(), want.end(), out.begin(), out.end());
    EXPECT_TRUE(out == want) << lines << " lines: the dump differs from the input at byte "
                             << differs.first - want.begin();
    ASSERT_EQ(kExitOk, Run({"undo"}).code);
  }
}

TEST_F(CliStoreTest, LoadTsvChecksTheWholeFileBeforeAppendingAnything) {
  struct Case {
    std::string line2;
    std::string want;
  };
  const std::string date = "\t2024.03.15\t";
  const Case cases[] = {
      {"a\tb", ":2: 2 cells, expected 12"},
      {kFirst + "\textra", ":2: 13 cells, expected 12"},
      {"own\t2024.02.30\t\t\t\t\t\t\t\t\t\t", ":2: DateTime \"2024.02.30\" is not a date-time"},
      {"own\t\t\t\t\t\t\t\t\t\t\t", ":2: DateTime \"\" is not a date-time"},
      {"own" + date + "中\t\t\t\t\t\t\t\t\t", ":2: Number: "},
      {"own" + date + "\\x\t\t\t\t\t\t\t\t\t", ":2: Number: unknown escape \\x"},
  };
  for (const Case& c : cases) {
    const std::string path = Load(kFirst + "\n" + c.line2 + "\n" + kSecond + "\n");
    const CliRun run = Run({"load-tsv", path});
    EXPECT_EQ(kExitFailure, run.code) << c.line2;
    EXPECT_NE(std::string::npos, run.err.find(path + c.want)) << run.err;
    EXPECT_EQ("", Run({"dump"}).out) << c.line2;
  }
}

TEST_F(CliStoreTest, LongTextIsCutToItsField) {
  ASSERT_EQ(kExitOk, Run({"load-tsv", Load("123456789012345\t2024.01.02 03:04:05\t\t\t\t\t\t\t\t\t\t\n")}).code);
  EXPECT_EQ("123456789012\t2024.01.02 03:04:05\t\t\t\t\t\t\t\t\t\t\n", Run({"dump"}).out);
}

TEST_F(CliStoreTest, UsageErrorsExitWithTwo) {
  EXPECT_EQ(kExitUsage, Run({"dump", "--index", "Number"}).code);
  EXPECT_EQ(kExitUsage, Run({"dump", "extra"}).code);
  EXPECT_EQ(kExitUsage, Run({"load-tsv"}).code);
  EXPECT_EQ(kExitUsage, Run({"reindex", "now"}).code);
  EXPECT_EQ(kExitFailure, Run({"load-tsv", dir_.File("missing.tsv")}).code);
}

TEST_F(CliStoreTest, ReindexRegainsAMissingIndex) {
  ASSERT_EQ(kExitOk, Run({"load-tsv", Load(kFirst + "\n" + kSecond + "\n")}).code);
  std::filesystem::remove(dir_.File("Tellura.MDX"));
  const CliRun plain = Run({"dump"});
  EXPECT_EQ(kExitOk, plain.code);
  EXPECT_NE(std::string::npos, plain.err.find(kIndexNotExistText));
  const CliRun ordered = Run({"dump", "--index", "Owner"});
  EXPECT_EQ(kExitFailure, ordered.code);
  EXPECT_NE(std::string::npos, ordered.err.find(kIndexNotExistText));

  EXPECT_NE(std::string::npos, Run({"counts", "--table"}).err.find(kIndexNotExistText));

  ASSERT_EQ(kExitOk, Run({"reindex"}).code);
  const CliRun after = Run({"dump", "--index", "Owner"});
  EXPECT_EQ(kExitOk, after.code);
  EXPECT_EQ("", after.err);
  EXPECT_EQ(kSecond + "\n" + kFirst + "\n", after.out);
}

TEST_F(CliStoreTest, NumberThatDoesNotFitIsRefusedAndCutTextIsCounted) {
  const std::string tooLong = "own\t2024.03.15\t\t\t\t\t\t\t12345678.99\t\t\t";
  const std::string path = Load(kFirst + "\n" + tooLong + "\n");
  const CliRun refused = Run({"load-tsv", path});
  EXPECT_EQ(kExitFailure, refused.code);
  EXPECT_EQ("zvonar-cli: " + path + ":2: Cost \"12345678.99\" does not fit the field (7 characters)\n", refused.err);
  EXPECT_EQ("", Run({"dump"}).out);

  const std::string longName(60, 'n');
  const CliRun cut = Run({"load-tsv", Load("1234567890123\t2024.03.15\t\t" + longName + "\t\t\t9999999\t\t\t\t\t\n")});
  EXPECT_EQ(kExitOk, cut.code);
  EXPECT_NE(std::string::npos, cut.err.find(": 2 text cells were longer than their field and were cut")) << cut.err;
  EXPECT_EQ("123456789012\t2024.03.15\t\t" + longName.substr(0, 50) + "\t\t\t9999999\t\t\t\t\t\n", Run({"dump"}).out);
}

TEST_F(CliStoreTest, HugeSparseIndexIsSortedAgainWithoutReadingIt) {
  ASSERT_EQ(kExitOk, Run({"load-tsv", Load(kFirst + "\n" + kSecond + "\n")}).code);
  std::filesystem::resize_file(dir_.File("Tellura.MDX"), std::uintmax_t{1} << 40);  // 1 TiB, sparse
  const CliRun ordered = Run({"dump", "--index", "Owner"});
  EXPECT_EQ(kExitOk, ordered.code) << ordered.err;
  EXPECT_EQ(kSecond + "\n" + kFirst + "\n", ordered.out);
  EXPECT_EQ(std::uintmax_t{1} << 40, std::filesystem::file_size(dir_.File("Tellura.MDX")));  // a reader writes nothing
  ASSERT_EQ(kExitOk, Run({"reindex"}).code);
  EXPECT_GT(std::uintmax_t{1} << 20, std::filesystem::file_size(dir_.File("Tellura.MDX")));
}

TEST_F(CliStoreTest, FifoOrDirectoryInPlaceOfTableOrIndexIsRefusedAndKept) {
  ASSERT_EQ(kExitOk, Run({"load-tsv", Load(kFirst + "\n")}).code);
  struct Case {
    const char* file;
    bool fifo;
    const char* want;
  };
  for (const Case& c : {Case{"Tellura.MDX", true, "Tellura.MDX is a FIFO, not a regular file"},
                        Case{"Tellura.dbf", true, "Tellura.dbf is a FIFO, not a regular file"},
                        Case{"Tellura.MDX", false, "Tellura.MDX is a directory, not a regular file"}}) {
    const std::string path = dir_.File(c.file);
    const std::string saved = dir_.File("saved");
    std::filesystem::rename(path, saved);
    if (c.fifo)
      ASSERT_EQ(0, ::mkfifo(path.c_str(), 0600));
    else
      std::filesystem::create_directory(path);
    const std::string input = Load(kSecond + "\n");
    for (const char* command : {"dump", "load-tsv", "reindex"}) {
      std::vector<std::string> args{"--dir", dir_.path(), command};
      if (std::string(command) == "load-tsv") args.push_back(input);
      testing::ChildCli child(args, dir_.path());  // a hang is killed, and fails the test
      const CliRun run = child.Finish(std::chrono::seconds(20));
      EXPECT_EQ(kExitFailure, run.code) << c.file << " " << command;
      EXPECT_NE(std::string::npos, run.err.find(c.want)) << command << ": " << run.err;
      EXPECT_EQ(c.fifo, std::filesystem::is_fifo(path)) << command;
      EXPECT_EQ(!c.fifo, std::filesystem::is_directory(path)) << command;
    }
    std::filesystem::remove(path);
    std::filesystem::rename(saved, path);
  }
  EXPECT_EQ(kFirst + "\n", Run({"dump"}).out);
}

TEST_F(CliStoreTest, DamagedDateTimeIsReportedAndEveryOtherRecordPrinted) {
  ASSERT_EQ(kExitOk, Run({"load-tsv", Load(kFirst + "\n" + kSecond + "\n" + kFirst + "\n")}).code);
  std::string table = testing::ReadOrEmpty(dir_.File("Tellura.dbf"));
  const std::size_t dateOfSecond = 417 + 198 + 1 + 12;
  table.replace(dateOfSecond, 8, std::string("\xFF\xFF\xFF\x7F\x00\x00\x00\x00", 8));
  testing::WriteOrDie(dir_.File("Tellura.dbf"), table);
  const CliRun dump = Run({"dump"});
  EXPECT_EQ(kExitFailure, dump.code);
  EXPECT_EQ("zvonar-cli: record 2: damaged date-time\n", dump.err);
  std::string second = kSecond;
  second.replace(second.find("2024.03.01"), 10, "");
  EXPECT_EQ(kFirst + "\n" + second + "\n" + kFirst + "\n", dump.out);
}

TEST_F(CliStoreTest, DbTypeThatNamesAnotherFileIsRefused) {
  for (const char* dbType : {"MDX", "mdx", "Dat", "lng", "INI", "sum", "fil"}) {
    testing::WriteOrDie(dir_.File("settings.ini"), std::string("[DB]\r\nDB_Type=") + dbType + "\r\n");
    const CliRun run = Run({"dump"});
    EXPECT_EQ(kExitOk, run.code) << dbType;
    EXPECT_NE(std::string::npos, run.err.find(std::string("DB_Type \"") + dbType + "\" would name another file"))
        << run.err;
    EXPECT_TRUE(FileExists(dir_.File("Tellura.dbf")));
  }
}

TEST_F(CliStoreTest, LoadTsvAddsNewOwnersAndKeepsALinkedOwnersFile) {
  testing::WriteOrDie(dir_.File("owners.txt"), "79160000000\r\n");
  std::filesystem::create_symlink(dir_.File("owners.txt"), dir_.File("Tellura.dat"));
  testing::WriteOrDie(dir_.File("owners.txt.tmp-Ab12Cd"), "left by a killed write");
  ASSERT_EQ(kExitOk, Run({"load-tsv", Load(kFirst + "\n" + kSecond + "\n" + kFirst + "\n")}).code);
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.File("Tellura.dat")));
  EXPECT_EQ("79160000000\r\n79161234567\r\n", testing::ReadOrEmpty(dir_.File("owners.txt")));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("owners.txt.tmp-Ab12Cd")));
}

TEST_F(CliStoreTest, TableInUseIsAClearFailure) {
  ASSERT_EQ(kExitOk, Run({"dump"}).code);  // creates the table
  Table table;
  ASSERT_TRUE(table.Open(DetalTablePath(dir_.path(), "dbf")).ok());
  const CliRun run = Run({"load-tsv", Load(kFirst + "\n")});
  EXPECT_EQ(kExitFailure, run.code);
  EXPECT_NE(std::string::npos, run.err.find("in use")) << run.err;
  ASSERT_TRUE(table.Close().ok());
  EXPECT_EQ(kExitOk, Run({"load-tsv", Load(kFirst + "\n")}).code);
}

}  // namespace
}  // namespace zvonar
