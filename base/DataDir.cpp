// The data directory is resolved once at start by both programs.
#include "base/DataDir.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/TextFile.h"

namespace zvonar {
namespace {

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir.push_back('/');
  return dir;
}

}  // namespace

std::string ExecutableDir() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return WithSlash(std::filesystem::current_path(ec).string());
  return WithSlash(exe.parent_path().string());
}

Status MakeDirectories(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return Status::IoError("cannot create directory " + dir + ": " + ec.message());
  if (!std::filesystem::is_directory(dir, ec)) return Status::IoError(dir + " is not a directory");
  return Status::Ok();
}

Status ResolveDataDir(const std::string& exeDir, const char* xdgDataHome, const char* home, std::string* dir) {
  std::string result;
  if (!exeDir.empty() && FileExists(WithSlash(exeDir) + "settings.ini")) {
    result = WithSlash(exeDir);
  } else if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
    result = WithSlash(xdgDataHome) + "zvonar/";
  } else if (home != nullptr && home[0] != '\0') {
    result = WithSlash(home) + ".local/share/zvonar/";
  } else {
    return Status::Error(StatusKind::NotFound, "neither XDG_DATA_HOME nor HOME names a data directory");
  }
  Status s = MakeDirectories(result);
  if (!s.ok()) return s;
  *dir = std::move(result);
  return Status::Ok();
}

Status FindDataDir(std::string* dir) {
  return ResolveDataDir(ExecutableDir(), std::getenv("XDG_DATA_HOME"), std::getenv("HOME"), dir);
}

}  // namespace zvonar
