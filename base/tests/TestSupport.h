// Helpers shared by the test programs: a temporary directory removed at the
// end of a test, and small file helpers.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/TextFile.h"

namespace zvonar::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zvonar-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern + "/";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory, ending with "/".
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

inline std::string ReadOrEmpty(const std::string& path) {
  std::string content;
  if (!ReadWholeFile(path, &content).ok()) return {};
  return content;
}

inline void WriteOrDie(const std::string& path, const std::string& content) {
  if (!WriteFileAtomic(path, content).ok()) std::abort();
}

}  // namespace zvonar::testing
