// Whole-file I/O with POSIX calls, so that every failure (open, short write,
// flush, rename) is seen and reported. The temporary file of an atomic write
// takes the old file's permissions, or 0666 less the umask for a new file.
#include "base/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace zvonar {
namespace {

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
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

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

Status ReadWholeFile(const std::string& path, std::string* content) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Status::Error(errno == ENOENT ? StatusKind::NotFound : StatusKind::Io,
                                   "cannot open " + path + ": " + ErrnoText(errno));
  std::string result;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      return Status::IoError("cannot read " + path + ": " + ErrnoText(err));
    }
    if (n == 0) break;
    result.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  *content = std::move(result);
  return Status::Ok();
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

Status ReadTextLines(const std::string& path, std::vector<std::string>* lines) {
  std::string content;
  Status s = ReadWholeFile(path, &content);
  if (!s.ok()) return s;
  *lines = SplitLines(content);
  return Status::Ok();
}

Status ReadTextLinesIfExists(const std::string& path, std::vector<std::string>* lines) {
  Status s = ReadTextLines(path, lines);
  if (s.kind() != StatusKind::NotFound) return s;
  lines->clear();
  return Status::Ok();
}

Status WriteFileAtomic(const std::string& path, std::string_view content) {
  std::string temp = path + ".tmp-XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return Status::IoError("cannot create a temporary file beside " + path + ": " + ErrnoText(errno));

  auto fail = [&](Status s) {
    ::close(fd);
    ::unlink(temp.c_str());
    return s;
  };
  struct stat old {};
  const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
  if (::fchmod(fd, mode) != 0) return fail(Status::IoError("cannot set permissions of " + temp + ": " + ErrnoText(errno)));
  Status s = WriteAll(fd, content, path);
  if (!s.ok()) return fail(s);
  if (::fsync(fd) != 0) return fail(Status::IoError("cannot flush " + path + ": " + ErrnoText(errno)));
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    return Status::IoError("cannot close " + path + ": " + ErrnoText(err));
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    return Status::IoError("cannot replace " + path + ": " + ErrnoText(err));
  }
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

Status WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
  return WriteFileAtomic(path, JoinLinesCrLf(lines));
}

}  // namespace zvonar
