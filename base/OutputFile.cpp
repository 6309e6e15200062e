// Output checks with stat: a file is one of the program's own when it is
// the same file (device and inode) as one of them, or when the name a
// write would land on, links followed, is an own name in the data
// directory (the same directory by device and inode).
#include "base/OutputFile.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "base/TextFile.h"

namespace zvonar {
namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lowered(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = Lower(c);
  return lower;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string WithSlash(const std::string& dir) {
  if (dir.empty()) return "./";
  return dir.back() == '/' ? dir : dir + "/";
}

Status OwnFileRefusal(const std::string& path, const std::string& ownName) {
  return Status::Invalid("cannot write to " + path + ": it is the program's own file " + ownName);
}

}  // namespace

bool IsOwnDataFileName(std::string_view name) {
  static constexpr std::array<std::string_view, 9> kNames = {
      "settings.ini", "fields.dat",       "abonents.dat", "codetype.dat",  "opercode.dat",
      "imports.dat",  "detalization.dat", ".table-gate",  ".table-window"};
  // The table of any file type, its index and owners list, and whatever
  // files the table keeps beside it under its own name (redo, set aside).
  static constexpr std::array<std::string_view, 3> kStarts = {"tellura.db", "tellura.mdx", "tellura.dat"};
  static constexpr std::array<std::string_view, 3> kEndings = {".lng", ".lock", ".redo"};
  const std::string lower = Lowered(name);
  for (std::string_view own : kNames)
    if (lower == own) return true;
  for (std::string_view start : kStarts)
    if (lower.starts_with(start)) return true;
  for (std::string_view ending : kEndings)
    if (lower.ends_with(ending)) return true;
  return lower.find(".tmp-") != std::string::npos;
}

Status CheckOutputPath(const std::string& path, const std::string& dataDir) {
  struct stat target {};
  const bool exists = ::stat(path.c_str(), &target) == 0;
  if (exists) {
    Status s = RequireRegularFile(path, target.st_mode);
    if (!s.ok()) return s;
  }
  const std::string dir = WithSlash(dataDir);
  // The name the write lands on, in a folder that is the data directory.
  const std::string landing = ResolveLinks(path);
  struct stat folder {
  }, data{};
  if (IsOwnDataFileName(BaseName(landing)) && ::stat(DirectoryOf(landing).c_str(), &folder) == 0 &&
      ::stat(dir.c_str(), &data) == 0 && SameFile(folder, data))
    return OwnFileRefusal(path, BaseName(landing));
  // The before-images of the history of changes, in their own folder.
  struct stat history {};
  if (Lowered(BaseName(landing)).ends_with(".bef") && ::stat(DirectoryOf(landing).c_str(), &folder) == 0 &&
      ::stat((dir + "history").c_str(), &history) == 0 && SameFile(folder, history))
    return OwnFileRefusal(path, "history/" + BaseName(landing));
  if (!exists) return Status::Ok();
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return Status::Ok();
  Status s;
  while (const dirent* entry = ::readdir(d)) {
    const std::string name = entry->d_name;
    struct stat own {};
    if (IsOwnDataFileName(name) && ::stat((dir + name).c_str(), &own) == 0 && SameFile(own, target)) {
      s = OwnFileRefusal(path, name);
      break;
    }
  }
  ::closedir(d);
  return s;
}

Status CheckOutputPath(const std::string& named, const std::string& written, const std::string& dataDir) {
  Status s = CheckOutputPath(named, dataDir);
  if (s.ok() && written != named) s = CheckOutputPath(written, dataDir);
  return s;
}

Status CheckReplaceable(const std::string& path) {
  const std::string landing = ResolveLinks(path);
  struct stat st {};
  if (::stat(landing.c_str(), &st) == 0) {
    Status s = RequireRegularFile(path, st.st_mode);
    if (!s.ok()) return s;
  }
  const std::string folder = DirectoryOf(landing);
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    const std::string why = errno == EROFS ? "is on a read-only file system" : "cannot be written: " + ErrnoText(errno);
    return Status::IoError("cannot write " + path + ": its folder " + folder + " " + why);
  }
  return Status::Ok();
}

}  // namespace zvonar
