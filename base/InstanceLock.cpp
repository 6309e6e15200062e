// flock locks belong to the open file description, so two opens of the same
// file conflict even inside one process, and closing the descriptor (or the
// process ending) gives the lock back.
#include "base/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace zvonar {

InstanceLock::~InstanceLock() {
  Release();
}

Status InstanceLock::Acquire(const std::string& dir) {
  Release();
  const std::string path = dir + kInstanceLockFile;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  // A lock works on a file opened for reading too: a lock file that exists
  // in a directory the user may not write still guards it.
  if (fd < 0 && (errno == EACCES || errno == EROFS)) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Status::IoError("cannot open " + path + ": " + ErrnoText(errno));
  int rc = 0;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) return Status::Error(StatusKind::InUse, path + " is locked by another window");
    return Status::IoError("cannot lock " + path + ": " + ErrnoText(err));
  }
  fd_ = fd;
  return Status::Ok();
}

void InstanceLock::Release() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

}  // namespace zvonar
