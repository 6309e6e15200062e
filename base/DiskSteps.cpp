// The process-wide hook of the file writers' steps.
#include "base/DiskSteps.h"

#include <unistd.h>

#include <cstdio>

namespace zvonar {

namespace detail {
DiskStepHook diskStepHook = nullptr;
}

DiskStepHook SetDiskStepHook(DiskStepHook hook) {
  const DiskStepHook old = detail::diskStepHook;
  detail::diskStepHook = hook;
  return old;
}

int FlushToDisk(int fd, const std::string& path, bool dataOnly) {
  const int done = dataOnly ? ::fdatasync(fd) : ::fsync(fd);
  if (done == 0) NoteDiskStep(DiskStep::Flush, path);
  return done;
}

int RenameFile(const std::string& from, const std::string& to) {
  const int done = std::rename(from.c_str(), to.c_str());
  if (done == 0) NoteDiskStep(DiskStep::Rename, to);
  return done;
}

}  // namespace zvonar
