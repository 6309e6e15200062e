// The durable steps of the program's file writers (a write, a flush to the
// disk, a rename into place), told one at a time to a hook a test may set
// for the process. Tests use it to check the order of a commit and to stop
// a writer after any step. Unset, each step costs one test of a pointer.
#pragma once

#include <cstdint>
#include <string>

namespace zvonar {

enum class DiskStep { Write, Flush, Rename };

// Called after each step has been done; `offset` is where a Write began.
using DiskStepHook = void (*)(DiskStep step, const std::string& path, std::uint64_t offset);

// Sets the hook for the whole process (nullptr: none); returns the old one.
DiskStepHook SetDiskStepHook(DiskStepHook hook);

namespace detail {
extern DiskStepHook diskStepHook;
}

inline void NoteDiskStep(DiskStep step, const std::string& path, std::uint64_t offset = 0) {
  if (detail::diskStepHook != nullptr) detail::diskStepHook(step, path, offset);
}

// Flushes the open file `fd` (named `path`) to the disk: its data and what
// reading them needs when `dataOnly`, all its metadata too otherwise. 0 on
// success, else -1 with errno set, as the system call.
int FlushToDisk(int fd, const std::string& path, bool dataOnly);

// Renames `from` to `to` in one step, replacing `to`; 0 or -1 with errno.
int RenameFile(const std::string& from, const std::string& to);

}  // namespace zvonar
