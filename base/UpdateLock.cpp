#include "base/UpdateLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace zvonar {

Status UpdateLock::Acquire(const std::string& path, std::chrono::milliseconds wait) {
  Release();
  const std::string lockPath = path + ".lock";
  const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (errno == EACCES || errno == EROFS || errno == ENOENT) return Status::Ok();
    return Status::IoError("cannot open " + lockPath + ": " + ErrnoText(errno));
  }
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
    const int err = errno;
    if (err == EINTR) continue;
    if (err != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      if (err == EWOULDBLOCK) return Status::Error(StatusKind::InUse, path + " is being changed by another program");
      return Status::IoError("cannot lock " + lockPath + ": " + ErrnoText(err));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  fd_ = fd;
  return Status::Ok();
}

void UpdateLock::Release() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

}  // namespace zvonar
