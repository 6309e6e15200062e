// zvonar-cli beside another process: readers share the table, a writer
// waits for it and is refused after a few seconds but is not kept out by a
// stream of readers, two first uses on an empty directory keep both loads,
// input comes from pipes, an append that fills the disk (or whose journal
// entry cannot be written) leaves the table as it was, and an undo on a
// full disk says what it did.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "base/tests/TestSupport.h"
#include "cli/tests/CliTestSupport.h"
#include "store/DetalTable.h"
#include "store/TableLock.h"

namespace zvonar {
namespace {

using testing::ChildCli;
using testing::CliRun;
using testing::Gate;
using testing::RunArgs;
using Clock = std::chrono::steady_clock;

// `count` records as load-tsv reads them, numbered from `first`.
std::string Records(int first, int count) {
  std::string text;
  for (int id = first; id < first + count; ++id)
    text += "79" + std::to_string(100 + id % 7) + "\t2024.03." + std::to_string(10 + id % 20) + " 10:00:00\t" +
            std::to_string(id) + "\t\t\t\t60\t1\t1.00\t\t1.00\t\n";
  return text;
}

std::size_t LineCount(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class CliProcessTest : public ::testing::Test {
 protected:
  std::string Input(const std::string& name, const std::string& content) {
    const std::string path = dir_.File(name);
    testing::WriteOrDie(path, content);
    return path;
  }
  CliRun Run(const std::vector<std::string>& args) {
    std::vector<std::string> all{"--dir", data_};
    all.insert(all.end(), args.begin(), args.end());
    return RunArgs(all);
  }
  std::vector<std::string> Args(const std::vector<std::string>& args) {
    std::vector<std::string> all{"--dir", data_};
    all.insert(all.end(), args.begin(), args.end());
    return all;
  }

  testing::TempDir dir_;
  std::string data_ = dir_.File("data/");
};

TEST_F(CliProcessTest, ReaderWaitsForAnAppendAndIsToldWhenItLasts) {
  ASSERT_EQ(kExitOk, Run({"load-tsv", Input("a.tsv", Records(0, 10))}).code);
  Gate appending, finish;
  const pid_t writer = testing::Fork([&]() {
    Table table;
    std::string warning;
    if (!OpenDetalTable(data_, "dbf", kDefaultDetalWidths, &table, &warning).ok() || !table.BeginBulkAppend().ok())
      return 2;
    std::vector<std::string> cells(kDetalFieldCount);
    cells[kDateTimeField] = "2024.04.01";
    for (int i = 0; i < 50; ++i)
      if (!table.BulkAppend(cells).ok()) return 3;
    appending.Give();
    finish.Wait();
    return table.EndBulkAppend().ok() && table.Close().ok() ? 0 : 4;
  });
  ASSERT_TRUE(appending.Wait());
  const auto start = Clock::now();
  const CliRun during = Run({"dump"});
  EXPECT_GE(Clock::now() - start, kTableLockWait - std::chrono::milliseconds(100));
  EXPECT_EQ(kExitFailure, during.code);
  EXPECT_EQ("", during.out);
  EXPECT_EQ(std::string("zvonar-cli: ") + kTableInUseText + "\n", during.err);
  finish.Give();
  EXPECT_EQ(0, testing::WaitChild(writer));
  EXPECT_EQ(60u, LineCount(Run({"dump"}).out));
}

TEST_F(CliProcessTest, WriterIsToldWhileAReaderHoldsTheTableAndChangesNothing) {
  ASSERT_EQ(kExitOk, Run({"load-tsv", Input("a.tsv", Records(0, 10))}).code);
  Gate reading, finish;
  const pid_t reader = testing::Fork([&]() {
    Table table;
    std::string warning;
    if (!OpenDetalTable(data_, "dbf", kDefaultDetalWidths, &table, &warning, TableAccess::Read).ok()) return 2;
    reading.Give();
    finish.Wait();
    return table.RecordCount() == 10 ? 0 : 3;
  });
  ASSERT_TRUE(reading.Wait());
  const std::string before = testing::ReadOrEmpty(data_ + "Tellura.dbf");
  const CliRun shared = Run({"dump"});  // readers share
  EXPECT_EQ(kExitOk, shared.code) << shared.err;
  EXPECT_EQ(10u, LineCount(shared.out));
  for (const std::vector<std::string>& write :
       {std::vector<std::string>{"load-tsv", Input("b.tsv", Records(100, 5))}, std::vector<std::string>{"reindex"}}) {
    const CliRun refused = Run(write);
    EXPECT_EQ(kExitFailure, refused.code) << write[0];
    EXPECT_EQ(std::string("zvonar-cli: ") + kTableInUseText + "\n", refused.err) << write[0];
  }
  EXPECT_EQ(before, testing::ReadOrEmpty(data_ + "Tellura.dbf"));
  finish.Give();
  EXPECT_EQ(0, testing::WaitChild(reader));
  ASSERT_EQ(kExitOk, Run({"load-tsv", dir_.File("b.tsv")}).code);
  EXPECT_EQ(15u, LineCount(Run({"dump"}).out));
}

TEST_F(CliProcessTest, DumpBesideARunningLoadSeesTheTableBeforeOrAfterIt) {
  ASSERT_EQ(kExitOk, Run({"load-tsv", Input("a.tsv", Records(0, 10))}).code);
  const std::string big = Input("big.tsv", Records(1000, 40000));
  ChildCli load(Args({"load-tsv", big}), dir_.path());
  std::size_t seenAfter = 0;
  for (const auto end = Clock::now() + std::chrono::seconds(40); seenAfter == 0 && Clock::now() < end;) {
    const CliRun dump = Run({"dump"});
    if (dump.code != kExitOk) {
      EXPECT_EQ(std::string("zvonar-cli: ") + kTableInUseText + "\n", dump.err);
      continue;
    }
    const std::size_t lines = LineCount(dump.out);
    EXPECT_TRUE(lines == 10 || lines == 40010) << lines;
    if (lines == 40010) ++seenAfter;
  }
  const CliRun done = load.Finish();
  EXPECT_EQ(kExitOk, done.code) << done.err;
  EXPECT_EQ(1u, seenAfter);
}

TEST_F(CliProcessTest, TwoFirstUsesOnAnEmptyDirectoryKeepBothLoads) {
  const std::string a = Input("a.tsv", Records(0, 300));
  const std::string b = Input("b.tsv", Records(1000, 300));
  for (int round = 0; round < 10; ++round) {
    std::filesystem::remove_all(data_);
    Gate start;
    ChildCli first(Args({"load-tsv", a}), dir_.path(), [&]() { start.Wait(); });
    ChildCli second(Args({"load-tsv", b}), dir_.path(), [&]() { start.Wait(); });
    start.Give();
    start.Give();
    const CliRun one = first.Finish();
    const CliRun two = second.Finish();
    EXPECT_EQ(kExitOk, one.code) << one.err;
    EXPECT_EQ(kExitOk, two.code) << two.err;
    const CliRun dump = Run({"dump"});
    EXPECT_EQ("", dump.err);
    ASSERT_EQ(600u, LineCount(dump.out)) << "round " << round;
  }
}

TEST_F(CliProcessTest, LoadTsvReadsAPipeAndStandardInput) {
  int fds[2];
  ASSERT_EQ(0, ::pipe(fds));
  std::thread feed([&]() {
    const std::string records = Records(0, 3);
    (void)!::write(fds[1], records.data(), records.size());
    ::close(fds[1]);
  });
  const CliRun piped = Run({"load-tsv", "/dev/fd/" + std::to_string(fds[0])});
  feed.join();
  ::close(fds[0]);
  EXPECT_EQ(kExitOk, piped.code) << piped.err;

  ASSERT_EQ(0, ::pipe(fds));
  ChildCli fromStdin(Args({"load-tsv", "-"}), dir_.path(), [&]() {
    ::dup2(fds[0], STDIN_FILENO);
    ::close(fds[1]);
  });
  ::close(fds[0]);
  const std::string records = Records(10, 4) + "bad line\n";
  (void)!::write(fds[1], records.data(), records.size());
  ::close(fds[1]);
  const CliRun refused = fromStdin.Finish();
  EXPECT_EQ(kExitFailure, refused.code);
  EXPECT_EQ("zvonar-cli: stdin:5: 1 cells, expected 12\n", refused.err);

  ASSERT_EQ(0, ::pipe(fds));
  ChildCli good(Args({"load-tsv", "-"}), dir_.path(), [&]() {
    ::dup2(fds[0], STDIN_FILENO);
    ::close(fds[1]);
  });
  ::close(fds[0]);
  (void)!::write(fds[1], records.data(), records.size() - 9);
  ::close(fds[1]);
  EXPECT_EQ(kExitOk, good.Finish().code);
  EXPECT_EQ(Records(0, 3) + Records(10, 4), Run({"dump"}).out);
}

// A file system with little room: a small tmpfs mounted over `path` when
// the test may mount, else none (the caller limits the file size instead).
class SmallFileSystem {
 public:
  SmallFileSystem(const std::string& path, const char* size) : path_(path) {
    std::filesystem::create_directories(path);
    mounted_ = ::geteuid() == 0 && ::mount("tmpfs", path.c_str(), "tmpfs", 0, size) == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }

 private:
  std::string path_;
  bool mounted_ = false;
};

TEST_F(CliProcessTest, AppendThatFillsTheDiskLeavesTheTableAsItWas) {
  const SmallFileSystem fs(data_, "size=512k");
  ASSERT_EQ(kExitOk, Run({"load-tsv", Input("a.tsv", Records(0, 100))}).code);
  const std::string table = testing::ReadOrEmpty(data_ + "Tellura.dbf");
  const std::string index = testing::ReadOrEmpty(data_ + "Tellura.MDX");
  const std::string big = Input("big.tsv", Records(1000, 4000));  // 800 kB of records
  // Without a small file system the file may grow only a little.
  auto limit = [&]() {
    if (fs.mounted()) return;
    const rlim_t most = table.size() + 64 * 1024;
    const rlimit r{most, most};
    ::setrlimit(RLIMIT_FSIZE, &r);
    ::signal(SIGXFSZ, SIG_IGN);
  };
  for (const char* command : {"load-tsv", "load-tsv"}) {  // a retry fails alike and doubles nothing
    ChildCli child(Args({command, big}), dir_.path(), limit);
    const CliRun failed = child.Finish();
    EXPECT_EQ(kExitFailure, failed.code);
    EXPECT_TRUE(failed.err.find("No space left on device") != std::string::npos ||
                failed.err.find("File too large") != std::string::npos)
        << failed.err;
    EXPECT_EQ(1u, LineCount(failed.err)) << failed.err;  // told once
    const std::string tableAfter = testing::ReadOrEmpty(data_ + "Tellura.dbf");
    EXPECT_TRUE(table == tableAfter) << table.size() << " bytes before, " << tableAfter.size() << " after";
    EXPECT_TRUE(index == testing::ReadOrEmpty(data_ + "Tellura.MDX"));
  }
  const CliRun dump = Run({"dump", "--index", "Owner"});
  EXPECT_EQ(kExitOk, dump.code);
  EXPECT_EQ("", dump.err);
  EXPECT_EQ(100u, LineCount(dump.out));
  ASSERT_EQ(kExitOk, Run({"load-tsv", Input("b.tsv", Records(200, 10))}).code);
  EXPECT_EQ(110u, LineCount(Run({"dump"}).out));
}

// Megabytes of records with CR LF line ends and no end after the last line
// come back from a dump one for one, whichever lines straddle the blocks the
// input is read in.
TEST_F(CliProcessTest, LoadOfMegabytesWithCrLfKeepsEveryLineWhole) {
  const std::string records = Records(0, 50000);
  std::string crlf;
  for (const char ch : records) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  crlf.resize(crlf.size() - 2);
  ASSERT_EQ(kExitOk, Run({"load-tsv", Input("big.tsv", crlf)}).code);
  const CliRun dump = Run({"dump"});
  EXPECT_EQ(kExitOk, dump.code);
  EXPECT_TRUE(records == dump.out) << dump.out.size() << " bytes dumped of " << records.size();
}

TEST_F(CliProcessTest, BadLineAfterMegabytesOfGoodOnesStoresNoneOfThem) {
  ASSERT_EQ(kExitOk, Run({"load-tsv", Input("a.tsv", Records(0, 10))}).code);
  const std::string table = testing::ReadOrEmpty(data_ + "Tellura.dbf");
  const std::string index = testing::ReadOrEmpty(data_ + "Tellura.MDX");
  const std::string journal = testing::ReadOrEmpty(data_ + "imports.dat");
  // 40,000 good records, more than one block of writes, then a cell too few.
  const std::string path =
      Input("bad.tsv", Records(100, 40000) + "79100\t2024.03.10 10:00:00\tshort\n" + Records(50000, 10));
  const CliRun failed = Run({"load-tsv", path});
  EXPECT_EQ(kExitFailure, failed.code);
  EXPECT_NE(std::string::npos, failed.err.find("bad.tsv:40001: 3 cells, expected 12")) << failed.err;
  EXPECT_TRUE(table == testing::ReadOrEmpty(data_ + "Tellura.dbf"));
  EXPECT_TRUE(index == testing::ReadOrEmpty(data_ + "Tellura.MDX"));
  EXPECT_EQ(journal, testing::ReadOrEmpty(data_ + "imports.dat"));
  EXPECT_EQ(10u, LineCount(Run({"dump"}).out));
}

TEST_F(CliProcessTest, TableOnAReadOnlyFileSystemIsReadAndWritesAreRefused) {
  const SmallFileSystem fs(data_, "size=1m");
  if (!fs.mounted()) GTEST_SKIP() << "needs a file system it may mount";
  ASSERT_EQ(kExitOk, Run({"load-tsv", Input("a.tsv", Records(0, 10))}).code);
  ASSERT_EQ(0, ::mount(nullptr, data_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr));
  for (const std::vector<std::string>& read :
       {std::vector<std::string>{"dump", "--index", "DateTime"}, std::vector<std::string>{"counts", "--table"},
        std::vector<std::string>{"filter", "--calls"}}) {
    const CliRun run = Run(read);
    EXPECT_EQ(kExitOk, run.code) << read[0] << ": " << run.err;
    EXPECT_EQ("", run.err) << read[0];
  }
  EXPECT_EQ(10u, LineCount(Run({"dump"}).out));
  const CliRun write = Run({"load-tsv", Input("b.tsv", Records(100, 5))});
  EXPECT_EQ(kExitFailure, write.code);
  EXPECT_NE(std::string::npos, write.err.find("read-only")) << write.err;
}

TEST_F(CliProcessTest, RecordsStoredWithoutTheirIndexFileAreSaidAndReadersSortThem) {
  // The index file lies on a full file system (or in a folder that may not
  // be written), linked from the data directory.
  const std::string elsewhere = dir_.File("index/");
  const SmallFileSystem fs(elsewhere, "size=64k");
  if (!fs.mounted() && ::geteuid() == 0) GTEST_SKIP() << "root without mount: no way to refuse the index file";
  ASSERT_EQ(kExitOk, Run({"load-tsv", Input("a.tsv", Records(0, 10))}).code);
  std::filesystem::copy_file(data_ + "Tellura.MDX", elsewhere + "Tellura.MDX");
  std::filesystem::remove(data_ + "Tellura.MDX");
  std::filesystem::create_symlink(elsewhere + "Tellura.MDX", data_ + "Tellura.MDX");
  if (fs.mounted()) {
    std::string filler(4096, 'x');
    while (WriteFileAtomic(elsewhere + "filler" + std::to_string(filler.size()), filler).ok()) filler += filler;
  } else {
    std::filesystem::permissions(elsewhere, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  }

  const CliRun load = Run({"load-tsv", Input("b.tsv", Records(100, 2000))});
  EXPECT_EQ(kExitFailure, load.code);
  EXPECT_EQ(0u, load.err.find("zvonar-cli: 2000 records added; the index file could not be written (")) << load.err;
  EXPECT_EQ(1u, LineCount(load.err)) << load.err;
  for (const std::vector<std::string>& read :
       {std::vector<std::string>{"dump", "--index", "Owner"}, std::vector<std::string>{"counts", "--table"},
        std::vector<std::string>{"stat"}}) {
    const CliRun run = Run(read);
    EXPECT_EQ(kExitOk, run.code) << read[0] << run.err;
    EXPECT_EQ("", run.err) << read[0];
  }
  EXPECT_EQ(2010u, LineCount(Run({"dump", "--index", "DateTime"}).out));
  EXPECT_TRUE(std::filesystem::is_symlink(data_ + "Tellura.MDX"));
  std::filesystem::permissions(elsewhere, std::filesystem::perms::owner_all);
}

// Fills the file system of directory `dir` to its last block.
void FillUp(const std::string& dir) {
  std::string filler(4096, 'x');
  while (WriteFileAtomic(dir + "filler" + std::to_string(filler.size()), filler).ok()) filler += filler;
  for (int i = 0; WriteFileAtomic(dir + "small" + std::to_string(i), "x").ok(); ++i) {
  }
}

TEST_F(CliProcessTest, AWriterIsNotKeptOutByAStreamOfReaders) {
  ASSERT_EQ(kExitOk, Run({"load-tsv", Input("a.tsv", Records(0, 10))}).code);
  // Two readers taking turns so that the table is never without one, until
  // the file "stop" appears.
  Gate started;
  std::vector<pid_t> readers;
  const std::string stop = dir_.File("stop");
  for (int r = 0; r < 2; ++r)
    readers.push_back(testing::Fork([&, r]() {
      std::this_thread::sleep_for(std::chrono::milliseconds(60 * r));
      bool told = false;
      for (const auto end = Clock::now() + std::chrono::seconds(60); !FileExists(stop) && Clock::now() < end;) {
        Table table;
        std::string warning;
        if (OpenDetalTable(data_, "dbf", kDefaultDetalWidths, &table, &warning, TableAccess::Read).ok()) {
          if (!told) started.Give();
          told = true;
          std::this_thread::sleep_for(std::chrono::milliseconds(120));
        }
      }
      return 0;
    }));
  ASSERT_TRUE(started.Wait());
  ASSERT_TRUE(started.Wait());
  const CliRun load = Run({"load-tsv", Input("b.tsv", Records(100, 5))});
  testing::WriteOrDie(stop, "");
  EXPECT_EQ(kExitOk, load.code) << load.err;
  for (pid_t reader : readers) EXPECT_EQ(0, testing::WaitChild(reader));
  EXPECT_EQ(15u, LineCount(Run({"dump"}).out));
}

TEST_F(CliProcessTest, AnImportWhoseJournalEntryCannotBeWrittenAddsNothing) {
  const std::string elsewhere = dir_.File("journal/");
  const SmallFileSystem fs(elsewhere, "size=64k");
  if (!fs.mounted()) GTEST_SKIP() << "needs a file system it may mount";
  ASSERT_EQ(kExitOk, Run({"load-tsv", Input("a.tsv", Records(0, 10))}).code);
  std::filesystem::copy_file(data_ + "imports.dat", elsewhere + "imports.dat");
  std::filesystem::remove(data_ + "imports.dat");
  std::filesystem::create_symlink(elsewhere + "imports.dat", data_ + "imports.dat");
  // The hashes of a large load go to the history folder, there too.
  std::filesystem::create_directory(elsewhere + "history");
  std::filesystem::create_symlink(elsewhere + "history", data_ + "history");
  FillUp(elsewhere);
  const std::string table = testing::ReadOrEmpty(data_ + "Tellura.dbf");
  const std::string index = testing::ReadOrEmpty(data_ + "Tellura.MDX");
  const std::string journal = testing::ReadOrEmpty(data_ + "imports.dat");

  const CliRun load = Run({"load-tsv", Input("b.tsv", Records(100, 2000))});
  EXPECT_EQ(kExitFailure, load.code);
  EXPECT_EQ(0u, load.err.find("zvonar-cli: no records added; the import journal could not be written (")) << load.err;
  EXPECT_NE(std::string::npos, load.err.find("No space left on device")) << load.err;
  EXPECT_EQ(table, testing::ReadOrEmpty(data_ + "Tellura.dbf"));
  EXPECT_EQ(index, testing::ReadOrEmpty(data_ + "Tellura.MDX"));
  EXPECT_EQ(journal, testing::ReadOrEmpty(data_ + "imports.dat"));
  // The undo then takes the load before it, as the user asked.
  const CliRun undo = Run({"undo-import"});
  EXPECT_EQ(kExitOk, undo.code) << undo.err;
  EXPECT_EQ(dir_.File("a.tsv") + ": 10 records removed\n", undo.out);
}

TEST_F(CliProcessTest, AnUndoOnAFullDiskSaysWhatItDid) {
  const std::string elsewhere = dir_.File("index/");
  const SmallFileSystem fs(elsewhere, "size=64k");
  if (!fs.mounted()) GTEST_SKIP() << "needs a file system it may mount";
  ASSERT_EQ(kExitOk, Run({"load-tsv", Input("a.tsv", Records(0, 10))}).code);
  ASSERT_EQ(kExitOk, Run({"load-tsv", Input("b.tsv", Records(100, 20))}).code);
  std::filesystem::copy_file(data_ + "Tellura.MDX", elsewhere + "Tellura.MDX");
  std::filesystem::remove(data_ + "Tellura.MDX");
  std::filesystem::create_symlink(elsewhere + "Tellura.MDX", data_ + "Tellura.MDX");
  FillUp(elsewhere);

  const CliRun undo = Run({"undo-import"});
  EXPECT_EQ(kExitFailure, undo.code);
  EXPECT_EQ(0u, undo.err.find("zvonar-cli: 20 records removed; the index file could not be written (")) << undo.err;
  EXPECT_NE(std::string::npos, undo.err.find("it is sorted again at the next open")) << undo.err;
  const CliRun dump = Run({"dump", "--index", "Owner"});
  EXPECT_EQ(kExitOk, dump.code) << dump.err;
  EXPECT_EQ(10u, LineCount(dump.out));
  // The entry went with its records: the next undo takes the load before.
  const CliRun next = Run({"undo-import"});
  EXPECT_EQ(0u, next.err.find("zvonar-cli: 10 records removed; the index file could not be written (")) << next.err;
  EXPECT_EQ(0u, LineCount(Run({"dump"}).out));
}

TEST_F(CliProcessTest, ALinkToAMissingTableMakesReadersFailWritingNothing) {
  ASSERT_EQ(kExitOk, Run({"load-tsv", Input("a.tsv", Records(0, 10))}).code);
  std::filesystem::rename(data_ + "Tellura.dbf", dir_.File("moved.dbf"));
  std::filesystem::create_symlink(dir_.File("gone.dbf"), data_ + "Tellura.dbf");
  const auto snapshot = [&]() {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(data_)) {
      struct stat st {};
      ::lstat(entry.path().c_str(), &st);
      files.push_back(entry.path().filename().string() + " " + std::to_string(st.st_mtim.tv_sec) + "." +
                      std::to_string(st.st_mtim.tv_nsec) + " " +
                      (entry.is_symlink() ? "link" : testing::ReadOrEmpty(entry.path().string())));
    }
    std::sort(files.begin(), files.end());
    return files;
  };
  const std::vector<std::string> before = snapshot();
  for (const std::vector<std::string>& read :
       {std::vector<std::string>{"dump"}, std::vector<std::string>{"stat"}, std::vector<std::string>{"filter", "--calls"},
        std::vector<std::string>{"load-tsv", dir_.File("a.tsv")}}) {
    const CliRun run = Run(read);
    EXPECT_EQ(kExitFailure, run.code) << read[0];
    EXPECT_NE(std::string::npos, run.err.find("Tellura.dbf")) << read[0] << ": " << run.err;
    EXPECT_EQ(before, snapshot()) << read[0];
  }
  EXPECT_TRUE(std::filesystem::is_symlink(data_ + "Tellura.dbf"));
}

}  // namespace
}  // namespace zvonar
