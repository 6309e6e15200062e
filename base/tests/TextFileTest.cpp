#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "base/DiskSteps.h"
#include "base/TextFile.h"
#include "base/tests/TestSupport.h"

namespace zvonar {
namespace {

using testing::ReadOrEmpty;
using testing::TempDir;

int FilesIn(const std::string& dir) {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

TEST(SplitLines, AcceptsCrLfLfAndLoneCr) {
  using V = std::vector<std::string>;
  EXPECT_EQ((V{"a", "b"}), SplitLines("a\r\nb\r\n"));
  EXPECT_EQ((V{"a", "b"}), SplitLines("a\nb"));
  EXPECT_EQ((V{"a", "", "b"}), SplitLines("a\r\n\r\nb\r"));
  EXPECT_EQ((V{"  x  "}), SplitLines("  x  \r\n"));
  EXPECT_EQ(V{}, SplitLines(""));
  EXPECT_EQ((V{""}), SplitLines("\r\n"));
}

TEST(TextLines, WriteUsesCrLfAndReadsBack) {
  TempDir dir;
  const std::string path = dir.File("fields.dat");
  const std::vector<std::string> lines = {"\xD0\xF3\xE1", "", "  spaced  "};
  ASSERT_TRUE(WriteTextLines(path, lines).ok());
  EXPECT_EQ("\xD0\xF3\xE1\r\n\r\n  spaced  \r\n", ReadOrEmpty(path));
  std::vector<std::string> back;
  ASSERT_TRUE(ReadTextLines(path, &back).ok());
  EXPECT_EQ(lines, back);
  EXPECT_EQ(1, FilesIn(dir.path()));
}

TEST(TextLines, MissingFileIsNotFound) {
  TempDir dir;
  std::vector<std::string> lines;
  Status s = ReadTextLines(dir.File("absent.dat"), &lines);
  EXPECT_EQ(StatusKind::NotFound, s.kind());
}

TEST(WriteFileAtomic, KeepsPermissionsOfTheOldFile) {
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  testing::WriteOrDie(path, "old");
  ASSERT_EQ(0, ::chmod(path.c_str(), 0640));
  ASSERT_TRUE(WriteFileAtomic(path, "new").ok());
  struct stat st {};
  ASSERT_EQ(0, ::stat(path.c_str(), &st));
  EXPECT_EQ(0640u, st.st_mode & 0777);
}

TEST(WriteFileAtomic, FailureReportsAndLeavesNothingBehind) {
  TempDir dir;
  EXPECT_FALSE(WriteFileAtomic(dir.File("no-such-dir/file.dat"), "x").ok());
  // A directory in the way of the rename.
  std::filesystem::create_directory(dir.File("taken"));
  testing::WriteOrDie(dir.File("taken/inside"), "x");
  Status s = WriteFileAtomic(dir.File("taken"), "x");
  EXPECT_FALSE(s.ok());
  EXPECT_NE(std::string::npos, s.message().find("taken")) << s.message();
  EXPECT_EQ(1, FilesIn(dir.path()));
}

// A full disk, played by a file-size limit in a child process: the write
// fails, the old file keeps its content and no temporary file is left.
TEST(WriteFileAtomic, FullDiskLeavesTheOldFileIntact) {
  TempDir dir;
  const std::string path = dir.File("abonents.dat");
  testing::WriteOrDie(path, "old content\r\n");
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const Status s = WriteFileAtomic(path, std::string(100000, 'x'));
    ::_exit(s.ok() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(pid, ::waitpid(pid, &status, 0));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status)) << "the write did not report the failure";
  EXPECT_EQ("old content\r\n", ReadOrEmpty(path));
  EXPECT_EQ(1, FilesIn(dir.path()));
}

// A writer killed at any moment leaves the old or the new file, never a mix.
TEST(WriteFileAtomic, KilledWriterLeavesOldOrNewFile) {
  TempDir dir;
  const std::string path = dir.File("Tellura.dat");
  const std::string oldContent(1000, 'o');
  const std::string newContent(20'000'000, 'n');
  for (int round = 0; round < 5; ++round) {
    testing::WriteOrDie(path, oldContent);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      (void)WriteFileAtomic(path, newContent);
      ::_exit(0);
    }
    ::usleep(static_cast<useconds_t>(round * 3000));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    const std::string now = ReadOrEmpty(path);
    EXPECT_TRUE(now == oldContent || now == newContent) << "round " << round << ": " << now.size() << " bytes";
  }
}

}  // namespace
}  // namespace zvonar

namespace zvonar {
namespace {

TEST(WriteFileAtomic, ReplacesTheTargetOfALinkAndKeepsTheLink) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir.File("real"));
  testing::WriteOrDie(dir.File("real/settings.ini"), "old");
  std::filesystem::create_symlink("real/settings.ini", dir.File("settings.ini"));  // relative, as users make them
  ASSERT_TRUE(WriteFileAtomic(dir.File("settings.ini"), "new").ok());
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("settings.ini")));
  EXPECT_EQ("new", testing::ReadOrEmpty(dir.File("real/settings.ini")));
  EXPECT_EQ(ResolveLinks(dir.File("settings.ini")), dir.path() + "real/settings.ini");
}

TEST(WriteFileAtomic, RefusesWhatIsNotARegularFileAndLeavesIt) {
  testing::TempDir dir;
  ASSERT_EQ(0, ::mkfifo(dir.File("pipe").c_str(), 0600));
  const Status s = WriteFileAtomic(dir.File("pipe"), "text");
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(dir.File("pipe") + " is a FIFO, not a regular file", s.message());
  EXPECT_TRUE(std::filesystem::is_fifo(dir.File("pipe")));
  std::filesystem::create_directory(dir.File("folder"));
  EXPECT_NE(std::string::npos, WriteFileAtomic(dir.File("folder"), "text").message().find("is a directory"));
}

TEST(ReadWholeFile, RefusesAFifoAtOnceInsteadOfWaitingForAWriter) {
  testing::TempDir dir;
  ASSERT_EQ(0, ::mkfifo(dir.File("settings.ini").c_str(), 0600));
  std::vector<std::string> lines;
  const Status s = ReadTextLinesIfExists(dir.File("settings.ini"), &lines, kSettingsFileLimit);
  EXPECT_EQ(dir.File("settings.ini") + " is a FIFO, not a regular file", s.message());
  EXPECT_FALSE(ReadWholeFile("/dev/zero", &lines.emplace_back()).ok());  // a device: never read to the end
}

TEST(ReadWholeFile, RefusesAFileLargerThanItsKindUnread) {
  testing::TempDir dir;
  {
    // A sparse gigabyte: refused by its size, not by reading it.
    const int fd = ::open(dir.File("abonents.dat").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, ::ftruncate(fd, off_t{1} << 30));
    ::close(fd);
  }
  std::string content;
  Status s = ReadWholeFile(dir.File("abonents.dat"), &content, kBookFileLimit);
  EXPECT_EQ(dir.File("abonents.dat") + " is larger than 64 MB, more than any real file of its kind", s.message());
  EXPECT_TRUE(content.empty());

  // The limit itself is allowed; one byte more is not.
  testing::WriteOrDie(dir.File("small"), "12345");
  EXPECT_TRUE(ReadWholeFile(dir.File("small"), &content, 5).ok());
  EXPECT_EQ("12345", content);
  EXPECT_EQ(dir.File("small") + " is larger than 4 bytes, more than any real file of its kind",
            ReadWholeFile(dir.File("small"), &content, 4).message());
}

TEST(ReadWholeFile, ReadsALargeFileOnHugePagesAsIntoAString) {
  testing::TempDir dir;
  // Over two huge pages, not a multiple of a page, with every byte value.
  std::string bytes((5u << 20) + 12345, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 4096);
  testing::WriteOrDie(dir.File("bill.txt"), bytes);
  LargeString large;
  ASSERT_TRUE(ReadWholeFile(dir.File("bill.txt"), &large, bytes.size()).ok());
  EXPECT_TRUE(std::string_view(large) == bytes);
  EXPECT_EQ(dir.File("bill.txt") + " is larger than 5 MB, more than any real file of its kind",
            ReadWholeFile(dir.File("bill.txt"), &large, 5u << 20).message());
  testing::WriteOrDie(dir.File("empty"), "");
  ASSERT_TRUE(ReadWholeFile(dir.File("empty"), &large).ok());
  EXPECT_TRUE(large.empty());
}

TEST(ReadWholeFd, StopsAPipeAtItsLimit) {
  int fds[2];
  ASSERT_EQ(0, ::pipe(fds));
  ASSERT_EQ(10, ::write(fds[1], "0123456789", 10));
  ::close(fds[1]);
  std::string content;
  EXPECT_EQ("stdin is larger than 8 bytes, more than any real file of its kind",
            ReadWholeFd(fds[0], "stdin", &content, 8).message());
  ::close(fds[0]);
}

TEST(WriteFileAtomic, RefusesALinkWhenToldToAndLeavesItsTarget) {
  testing::TempDir dir;
  testing::WriteOrDie(dir.File("victim"), "keep");
  std::filesystem::create_symlink(dir.File("victim"), dir.File("a.sum"));
  const Status s = WriteTextLines(dir.File("a.sum"), {"summary"}, LinkRule::Refuse);
  EXPECT_EQ(dir.File("a.sum") + " is a symbolic link, not a regular file", s.message());
  EXPECT_EQ("keep", testing::ReadOrEmpty(dir.File("victim")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("a.sum")));
  // A regular file of the name is replaced as ever.
  std::filesystem::remove(dir.File("a.sum"));
  testing::WriteOrDie(dir.File("a.sum"), "old");
  ASSERT_TRUE(WriteTextLines(dir.File("a.sum"), {"new"}, LinkRule::Refuse).ok());
  EXPECT_EQ("new\r\n", testing::ReadOrEmpty(dir.File("a.sum")));
}

TEST(WriteFileAtomic, RemovesStaleTemporaryFilesButNotOneBeingWritten) {
  testing::TempDir dir;
  testing::WriteOrDie(dir.File("Tellura.dat.tmp-a1B2c3"), "left by a killed write");
  testing::WriteOrDie(dir.File("Tellura.dat.tmp-busy12"), "being written");
  testing::WriteOrDie(dir.File("Tellura.dat.tmp-notours"), "another name");
  testing::WriteOrDie(dir.File("other.dat.tmp-a1B2c3"), "beside another file");
  const int busy = ::open(dir.File("Tellura.dat.tmp-busy12").c_str(), O_RDONLY);
  ASSERT_EQ(0, ::flock(busy, LOCK_EX));
  ASSERT_TRUE(WriteFileAtomic(dir.File("Tellura.dat"), "owners").ok());
  ::close(busy);
  EXPECT_FALSE(std::filesystem::exists(dir.File("Tellura.dat.tmp-a1B2c3")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("Tellura.dat.tmp-busy12")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("Tellura.dat.tmp-notours")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("other.dat.tmp-a1B2c3")));
}

}  // namespace
}  // namespace zvonar

namespace zvonar {
namespace {

std::vector<std::pair<DiskStep, std::string>> atomicSteps;

TEST(WriteFileAtomic, FlushesTheTemporaryFileBeforeRenamingIt) {
  zvonar::testing::TempDir dir;
  const std::string path = dir.File("a.ini");
  zvonar::testing::WriteOrDie(path, "old");
  atomicSteps.clear();
  const DiskStepHook old =
      SetDiskStepHook([](DiskStep step, const std::string& p, std::uint64_t) { atomicSteps.emplace_back(step, p); });
  const Status s = WriteFileAtomic(path, "new");
  SetDiskStepHook(old);
  ASSERT_TRUE(s.ok()) << s.message();
  ASSERT_EQ(3u, atomicSteps.size());
  EXPECT_EQ(DiskStep::Write, atomicSteps[0].first);
  EXPECT_EQ(DiskStep::Flush, atomicSteps[1].first);
  EXPECT_EQ(DiskStep::Rename, atomicSteps[2].first);
  EXPECT_NE(path, atomicSteps[0].second) << "written under another name";
  EXPECT_EQ(atomicSteps[0].second, atomicSteps[1].second) << "the written file is the one flushed";
  EXPECT_EQ(path, atomicSteps[2].second);
  EXPECT_EQ(dir.path(), atomicSteps[0].second.substr(0, dir.path().size())) << "in the same folder";
}

}  // namespace
}  // namespace zvonar
