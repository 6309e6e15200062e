// flock on a directory: Linux locks any open file, directories included,
// and releases the lock when the process ends, so a killed program never
// leaves the table locked.
#include "store/TableLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace zvonar {
namespace {

constexpr std::chrono::milliseconds kPollStep{10};

Status InUse() {
  return Status::Error(StatusKind::InUse, kTableInUseText);
}

}  // namespace

bool TableLock::TryFor(int operation, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(fd_, operation | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollStep);
  }
}

Status TableLock::Acquire(const std::string& dir, LockMode mode, std::chrono::milliseconds wait) {
  Release();
  fd_ = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return Status::IoError("cannot open the directory " + dir + ": " + ErrnoText(errno));
  if (!TryFor(mode == LockMode::Exclusive ? LOCK_EX : LOCK_SH, wait)) {
    const int err = errno;
    Release();
    if (err != EWOULDBLOCK && err != EINTR) return Status::IoError("cannot lock " + dir + ": " + ErrnoText(err));
    return InUse();
  }
  mode_ = mode;
  return Status::Ok();
}

Status TableLock::Upgrade(std::chrono::milliseconds wait, bool* released) {
  *released = false;
  if (fd_ < 0) return Status::Error(StatusKind::Internal, "the table is not locked");
  if (mode_ == LockMode::Exclusive) return Status::Ok();
  if (mode_ == LockMode::Shared && ::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
    mode_ = LockMode::Exclusive;
    return Status::Ok();
  }
  // The failed change dropped the shared lock. Wait holding nothing, so two
  // writers that both read do not keep each other out.
  ::flock(fd_, LOCK_UN);
  mode_ = LockMode::None;
  *released = true;
  if (TryFor(LOCK_EX, wait)) {
    mode_ = LockMode::Exclusive;
    return Status::Ok();
  }
  if (TryFor(LOCK_SH, wait)) mode_ = LockMode::Shared;
  return InUse();
}

void TableLock::Downgrade() {
  // From exclusive to shared Linux changes the lock without a gap.
  if (mode_ == LockMode::Exclusive && ::flock(fd_, LOCK_SH) == 0) mode_ = LockMode::Shared;
}

void TableLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  mode_ = LockMode::None;
}

}  // namespace zvonar
