// One window per data directory: the window holds an exclusive lock on the
// file zvonar.lock in its data directory for its whole life. The system
// releases the lock with the process, so a window that crashed or was
// killed never blocks the next start; the file itself stays and means
// nothing without the lock.
#pragma once

#include <string>

#include "base/Status.h"

namespace zvonar {

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock of the data directory `dir` (ending with "/"), creating
  // the lock file when missing and leaving its content alone. InUse when
  // another holder has it; an error when the file cannot be opened. Taking
  // a lock releases the one held before.
  Status Acquire(const std::string& dir);

  bool Held() const { return fd_ >= 0; }

  // Gives the lock back; nothing happens when none is held.
  void Release();

 private:
  int fd_ = -1;
};

// The name of the lock file inside a data directory.
inline constexpr char kInstanceLockFile[] = "zvonar.lock";

}  // namespace zvonar
