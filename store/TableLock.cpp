// flock on a directory: Linux locks any open file, directories included,
// and releases the lock when the process ends, so a killed program never
// leaves the table locked.
#include "store/TableLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace zvonar {
namespace {

constexpr std::chrono::milliseconds kPollStep{10};
constexpr char kGateName[] = ".table-gate";
constexpr char kMarkName[] = ".table-window";

std::string PathIn(const std::string& dir, const char* name) {
  return (dir.empty() ? std::string(".") : dir) + "/" + name;
}

}  // namespace

Status TableLock::Refused() const {
  // The mark is held shared while the window reads: an exclusive try that
  // fails tells so, one that succeeds is let go at once.
  const int mark = ::open(PathIn(dir_, kMarkName).c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  bool windowReads = false;
  if (mark >= 0) {
    windowReads = ::flock(mark, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(mark);
  }
  return Status::Error(StatusKind::InUse, windowReads ? kTableReadByWindowText : kTableInUseText);
}

void TableLock::TakeMark() {
  if (!marksReads_ || mode_ != LockMode::Shared) return;
  if (markFd_ < 0)
    markFd_ = ::open(PathIn(dir_, kMarkName).c_str(), O_RDONLY | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0644);
  // Without the mark (a directory that may not be written) the reads go on
  // unmarked; a writer kept out then gives the general message.
  if (markFd_ >= 0) (void)::flock(markFd_, LOCK_SH | LOCK_NB);
}

void TableLock::DropMark() {
  if (markFd_ >= 0) (void)::flock(markFd_, LOCK_UN);
}

bool TableLock::TryFor(int fd, int operation, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    if (::flock(fd, operation | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollStep);
  }
}

bool TableLock::TryFor(int operation, std::chrono::milliseconds wait) {
  return TryFor(fd_, operation, std::chrono::steady_clock::now() + wait);
}

bool TableLock::ThroughGate(int operation, std::chrono::steady_clock::time_point deadline) {
  const std::string gatePath = PathIn(dir_, kGateName);
  const bool writer = operation == LOCK_EX;
  int gate = ::open(gatePath.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | (writer ? O_CREAT : 0), 0644);
  if (gate < 0 && writer) gate = ::open(gatePath.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  struct stat st {};
  if (gate >= 0 && (::fstat(gate, &st) != 0 || !S_ISREG(st.st_mode))) {
    ::close(gate);
    gate = -1;
  }
  if (gate >= 0 && !TryFor(gate, writer ? LOCK_EX : LOCK_SH, deadline)) {
    const int err = errno;
    ::close(gate);
    errno = err;
    return false;
  }
  const bool locked = TryFor(fd_, operation, deadline);
  const int err = errno;
  if (gate >= 0) ::close(gate);  // lets the gate go
  errno = err;
  return locked;
}

Status TableLock::Acquire(const std::string& dir, LockMode mode, std::chrono::milliseconds wait) {
  Release();
  dir_ = dir;
  fd_ = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return Status::IoError("cannot open the directory " + dir + ": " + ErrnoText(errno));
  const int operation = mode == LockMode::Exclusive ? LOCK_EX : LOCK_SH;
  // A writer finding the directory free takes it at once; a reader passes
  // the gate, since readers in the directory do not show a waiting writer.
  const bool at = operation == LOCK_EX && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
  if (!at && !ThroughGate(operation, std::chrono::steady_clock::now() + wait)) {
    const int err = errno;
    Release();
    if (err != EWOULDBLOCK && err != EINTR) return Status::IoError("cannot lock " + dir + ": " + ErrnoText(err));
    return Refused();
  }
  mode_ = mode;
  TakeMark();
  return Status::Ok();
}

Status TableLock::Upgrade(std::chrono::milliseconds wait, bool* released) {
  *released = false;
  if (fd_ < 0) return Status::Error(StatusKind::Internal, "the table is not locked");
  if (mode_ == LockMode::Exclusive) return Status::Ok();
  DropMark();
  if (mode_ == LockMode::Shared && ::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
    mode_ = LockMode::Exclusive;
    return Status::Ok();
  }
  // The failed change dropped the shared lock. Wait holding nothing, so two
  // writers that both read do not keep each other out.
  ::flock(fd_, LOCK_UN);
  mode_ = LockMode::None;
  *released = true;
  if (ThroughGate(LOCK_EX, std::chrono::steady_clock::now() + wait)) {
    mode_ = LockMode::Exclusive;
    return Status::Ok();
  }
  const Status refused = Refused();
  if (TryFor(LOCK_SH, wait)) mode_ = LockMode::Shared;
  TakeMark();
  return refused;
}

void TableLock::Downgrade() {
  // From exclusive to shared Linux changes the lock without a gap.
  if (mode_ == LockMode::Exclusive && ::flock(fd_, LOCK_SH) == 0) mode_ = LockMode::Shared;
  TakeMark();
}

void TableLock::Release() {
  if (markFd_ >= 0) ::close(markFd_);
  markFd_ = -1;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  mode_ = LockMode::None;
}

}  // namespace zvonar
