// Whole-file I/O with POSIX calls, so that every failure (open, short write,
// flush, rename) is seen and reported. The temporary file of an atomic write
// is NAME.tmp-XXXXXX beside the file; it takes the old file's permissions,
// or 0666 less the umask for a new file, and is locked (flock) while it is
// written, so that a leftover of a killed write can be told from the file
// another program is writing at this moment.
#include "base/TextFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/DiskSteps.h"

namespace zvonar {
namespace {

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

constexpr char kTempInfix[] = ".tmp-";
constexpr std::size_t kTempSuffix = 6;  // the XXXXXX of mkostemp

bool IsTempNameOf(const std::string& name, const std::string& base) {
  if (name.size() != base.size() + std::strlen(kTempInfix) + kTempSuffix) return false;
  if (name.compare(0, base.size(), base) != 0 || name.compare(base.size(), std::strlen(kTempInfix), kTempInfix) != 0)
    return false;
  for (std::size_t i = name.size() - kTempSuffix; i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

// Removes NAME.tmp-XXXXXX files beside `path` that no writer holds locked.
void RemoveStaleTemps(const std::string& path) {
  const std::string dir = DirectoryOf(path);
  const std::string base = BaseName(path);
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return;
  while (const dirent* entry = ::readdir(d)) {
    const std::string name = entry->d_name;
    if (!IsTempNameOf(name, base)) continue;
    const std::string temp = dir + "/" + name;
    const int fd = ::open(temp.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(temp.c_str());
    ::close(fd);
  }
  ::closedir(d);
}

Status WriteAll(int fd, std::string_view content, const std::string& path) {
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Status::IoError("cannot write " + path + ": " + ErrnoText(errno));
    }
    done += static_cast<std::size_t>(n);
  }
  return Status::Ok();
}

// "PATH is larger than 4 MB, more than any real file of its kind".
Status TooLarge(const std::string& path, std::size_t maxBytes) {
  const std::string size =
      maxBytes >= (std::size_t{1} << 20) ? std::to_string(maxBytes >> 20) + " MB" : std::to_string(maxBytes) + " bytes";
  return Status::Invalid(path + " is larger than " + size + ", more than any real file of its kind");
}

}  // namespace

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

Status RequireRegularFile(const std::string& path, unsigned mode) {
  const char* what = nullptr;
  switch (mode & S_IFMT) {
    case S_IFREG:
      return Status::Ok();
    case S_IFIFO:
      what = "a FIFO";
      break;
    case S_IFDIR:
      what = "a directory";
      break;
    case S_IFCHR:
    case S_IFBLK:
      what = "a device";
      break;
    case S_IFSOCK:
      what = "a socket";
      break;
    case S_IFLNK:
      what = "a symbolic link";
      break;
    default:
      what = "something other";
  }
  return Status::Invalid(path + " is " + what + ", not a regular file");
}

std::string ResolveLinks(const std::string& path) {
  std::string at = path;
  for (int hops = 0; hops < 40; ++hops) {
    char target[PATH_MAX];
    const ssize_t n = ::readlink(at.c_str(), target, sizeof target - 1);
    if (n <= 0) return at;
    std::string next(target, static_cast<std::size_t>(n));
    if (next[0] != '/' && at.find('/') != std::string::npos) next = DirectoryOf(at) + "/" + next;
    at = std::move(next);
  }
  return at;
}

namespace {

template <class Text>
Status ReadWholeFdInto(int fd, const std::string& name, Text* content, std::size_t maxBytes) {
  // A regular file is read straight into a string of its size; a pipe, or a
  // file that grows meanwhile, goes on in steps that double the room.
  Text result;
  struct stat st {};
  std::size_t room = 65536;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) room = static_cast<std::size_t>(st.st_size) + 1;
  // One byte past the limit is room enough to tell a file that exceeds it.
  const std::size_t cap = maxBytes == SIZE_MAX ? maxBytes : maxBytes + 1;
  std::size_t used = 0;
  result.resize(std::min(room, cap));
  for (;;) {
    if (used == result.size()) {
      if (used == cap) break;
      result.resize(std::min(result.size() * 2, cap));
    }
    const ssize_t n = ::read(fd, result.data() + used, result.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Status::IoError("cannot read " + name + ": " + ErrnoText(errno));
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  if (used > maxBytes) return TooLarge(name, maxBytes);
  result.resize(used);
  *content = std::move(result);
  return Status::Ok();
}

template <class Text>
Status ReadWholeFileInto(const std::string& path, Text* content, std::size_t maxBytes) {
  // Opened without blocking, so that a FIFO in the file's place is refused
  // at once instead of waiting for a writer that never comes.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return Status::Error(errno == ENOENT ? StatusKind::NotFound : StatusKind::Io,
                         "cannot open " + path + ": " + ErrnoText(errno));
  struct stat st {};
  Status s = ::fstat(fd, &st) == 0 ? RequireRegularFile(path, st.st_mode)
                                   : Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
  if (s.ok() && static_cast<std::uintmax_t>(st.st_size) > maxBytes) s = TooLarge(path, maxBytes);
  // A regular file is read with ordinary, waiting reads, on any file system.
  if (s.ok() && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
    s = Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
  if (s.ok()) s = ReadWholeFdInto(fd, path, content, maxBytes);
  ::close(fd);
  return s;
}

}  // namespace

Status ReadWholeFd(int fd, const std::string& name, std::string* content, std::size_t maxBytes) {
  return ReadWholeFdInto(fd, name, content, maxBytes);
}

Status ReadWholeFd(int fd, const std::string& name, LargeString* content, std::size_t maxBytes) {
  return ReadWholeFdInto(fd, name, content, maxBytes);
}

Status ReadWholeFile(const std::string& path, std::string* content, std::size_t maxBytes) {
  return ReadWholeFileInto(path, content, maxBytes);
}

Status ReadWholeFile(const std::string& path, LargeString* content, std::size_t maxBytes) {
  return ReadWholeFileInto(path, content, maxBytes);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

Status ReadTextLines(const std::string& path, std::vector<std::string>* lines, std::size_t maxBytes) {
  std::string content;
  Status s = ReadWholeFile(path, &content, maxBytes);
  if (!s.ok()) return s;
  *lines = SplitLines(content);
  return Status::Ok();
}

Status ReadTextLinesIfExists(const std::string& path, std::vector<std::string>* lines, std::size_t maxBytes) {
  Status s = ReadTextLines(path, lines, maxBytes);
  if (s.kind() != StatusKind::NotFound) return s;
  lines->clear();
  return Status::Ok();
}

Status WriteFileAtomic(const std::string& linkPath, std::string_view content, LinkRule links) {
  const std::string path = links == LinkRule::Follow ? ResolveLinks(linkPath) : linkPath;
  struct stat old {};
  const bool exists = (links == LinkRule::Follow ? ::stat(path.c_str(), &old) : ::lstat(path.c_str(), &old)) == 0;
  if (exists) {
    Status s = RequireRegularFile(path, old.st_mode);
    if (!s.ok()) return s;
  }
  RemoveStaleTemps(path);
  std::string temp = path + kTempInfix + "XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return Status::IoError("cannot create a temporary file beside " + path + ": " + ErrnoText(errno));
  ::flock(fd, LOCK_EX | LOCK_NB);  // marks the file as being written (see RemoveStaleTemps)

  auto fail = [&](Status s) {
    ::close(fd);
    ::unlink(temp.c_str());
    return s;
  };
  const mode_t mode = exists ? (old.st_mode & 07777) : NewFileMode();
  if (::fchmod(fd, mode) != 0)
    return fail(Status::IoError("cannot set permissions of " + temp + ": " + ErrnoText(errno)));
  Status s = WriteAll(fd, content, path);
  if (!s.ok()) return fail(s);
  NoteDiskStep(DiskStep::Write, temp);
  if (FlushToDisk(fd, temp, false) != 0) return fail(Status::IoError("cannot flush " + path + ": " + ErrnoText(errno)));
  // Renamed while still open and locked, so no cleaner takes it for stale.
  if (RenameFile(temp, path) != 0) return fail(Status::IoError("cannot replace " + path + ": " + ErrnoText(errno)));
  ::close(fd);
  // The rename itself reaches the disk with the directory.
  const int dirFd = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return Status::Ok();
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

Status WriteTextLines(const std::string& path, const std::vector<std::string>& lines, LinkRule links) {
  return WriteFileAtomic(path, JoinLinesCrLf(lines), links);
}

}  // namespace zvonar
