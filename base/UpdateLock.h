// A change of a small file that reads it, changes it and writes it back
// whole (the abonents book) must not interleave with the same change made
// by another program, or one of them is lost. The change holds an exclusive
// flock on a lock file beside the file ("abonents.dat.lock") for its time.
// The file itself cannot carry the lock: it is replaced by a rename on
// every write, and a lock on the old file would guard nothing.
#pragma once

#include <chrono>
#include <string>

#include "base/Status.h"

namespace zvonar {

class UpdateLock {
 public:
  UpdateLock() = default;
  ~UpdateLock() { Release(); }
  UpdateLock(const UpdateLock&) = delete;
  UpdateLock& operator=(const UpdateLock&) = delete;

  // Locks the change of the file at `path`, trying for `wait` while another
  // program holds it (InUse after that). Where the lock file cannot be made
  // (a directory the user may not write), nothing is held and the result is
  // ok: the write that follows fails there anyway, with its own reason.
  Status Acquire(const std::string& path, std::chrono::milliseconds wait = std::chrono::seconds(3));
  void Release();

 private:
  int fd_ = -1;
};

}  // namespace zvonar
