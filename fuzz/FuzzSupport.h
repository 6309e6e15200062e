// What the file-reading fuzz targets share: a scratch directory for the
// files an input becomes, and writing them.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/TextFile.h"

namespace zvonar::fuzz {

// A scratch directory on a memory file system when there is one, so the
// flushes of atomic writes and commit points cost little; removed at exit.
inline const std::string& ScratchDir() {
  // Never destroyed, so the exit handler can still read it.
  static const std::string* const dir = [] {
    std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    pattern += "/zvonar-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    std::atexit([] { std::filesystem::remove_all(ScratchDir()); });
    return new std::string(pattern);
  }();
  return *dir;
}

// `name` in the scratch directory.
inline std::string ScratchFile(std::string_view name) {
  return ScratchDir() + "/" + std::string(name);
}

// Replaces the file at `path` with `bytes`.
inline void PutFile(const std::string& path, std::string_view bytes) {
  if (!WriteFileAtomic(path, bytes).ok()) std::abort();
}

}  // namespace zvonar::fuzz
