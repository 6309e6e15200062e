#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "base/InstanceLock.h"
#include "base/tests/TestSupport.h"

namespace zvonar {
namespace {

using testing::TempDir;

TEST(InstanceLock, OneHolderPerDirectoryUntilReleased) {
  TempDir dir, other;
  testing::WriteOrDie(dir.File(kInstanceLockFile), "left by an earlier run");
  InstanceLock first, second, elsewhere;
  ASSERT_TRUE(first.Acquire(dir.path()).ok());
  EXPECT_TRUE(first.Held());

  const Status refused = second.Acquire(dir.path());
  EXPECT_EQ(StatusKind::InUse, refused.kind()) << refused.message();
  EXPECT_FALSE(second.Held());
  EXPECT_TRUE(elsewhere.Acquire(other.path()).ok());  // another directory is free

  first.Release();
  EXPECT_FALSE(first.Held());
  EXPECT_TRUE(second.Acquire(dir.path()).ok());
  // The lock file is only a handle: its content stays as it was.
  EXPECT_EQ("left by an earlier run", testing::ReadOrEmpty(dir.File(kInstanceLockFile)));
}

TEST(InstanceLock, ALockDiesWithItsProcess) {
  TempDir dir;
  int ready[2];
  ASSERT_EQ(0, ::pipe(ready));
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The holder takes the lock, says so and waits to be killed: it never
    // releases the lock itself, as a crashed window would not.
    InstanceLock held;
    const char ok = held.Acquire(dir.path()).ok() ? 1 : 0;
    (void)!::write(ready[1], &ok, 1);
    for (;;) ::pause();
  }
  char ok = 0;
  ASSERT_EQ(1, ::read(ready[0], &ok, 1));
  ASSERT_EQ(1, ok);
  InstanceLock lock;
  EXPECT_EQ(StatusKind::InUse, lock.Acquire(dir.path()).kind());

  ::kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(child, ::waitpid(child, &status, 0));
  EXPECT_TRUE(lock.Acquire(dir.path()).ok());
  ::close(ready[0]);
  ::close(ready[1]);
}

TEST(InstanceLock, AMissingDirectoryIsAnError) {
  TempDir dir;
  InstanceLock lock;
  const Status s = lock.Acquire(dir.File("missing/"));
  EXPECT_EQ(StatusKind::Io, s.kind());
  EXPECT_NE(std::string::npos, s.message().find("missing/zvonar.lock")) << s.message();
  EXPECT_FALSE(lock.Held());
}

}  // namespace
}  // namespace zvonar
