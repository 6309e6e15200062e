#include "store/RewriteRedo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "base/TextFile.h"
#include "store/Bytes.h"

namespace zvonar {
namespace {

constexpr char kMagic[] = "ZVREDO1\n";
constexpr std::size_t kMagicSize = 8;
constexpr std::size_t kHeaderSize = kMagicSize + 16;

Status WriteAll(int fd, const char* data, std::size_t size, std::uint64_t offset, const std::string& path) {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Status::IoError("cannot write " + path + ": " + ErrnoText(n < 0 ? errno : EIO));
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return Status::Ok();
}

}  // namespace

std::string RedoPathFor(const std::string& tablePath) {
  return tablePath + ".redo";
}

Status WriteRedo(const std::string& tablePath, std::uint64_t offset, const char* bytes, std::size_t size) {
  const std::string path = RedoPathFor(tablePath);
  std::vector<char> file(kHeaderSize + size + kMagicSize);
  std::memcpy(file.data(), kMagic, kMagicSize);
  PutLe(offset, file.data() + kMagicSize, 8);
  PutLe(size, file.data() + kMagicSize + 8, 8);
  std::memcpy(file.data() + kHeaderSize, bytes, size);
  std::memcpy(file.data() + kHeaderSize + size, kMagic, kMagicSize);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Status::IoError("cannot write " + path + ": " + ErrnoText(errno));
  Status s = WriteAll(fd, file.data(), file.size(), 0, path);
  if (::close(fd) != 0 && s.ok()) s = Status::IoError("cannot write " + path + ": " + ErrnoText(errno));
  return s;
}

Status RemoveRedo(const std::string& tablePath) {
  const std::string path = RedoPathFor(tablePath);
  if (::unlink(path.c_str()) != 0 && errno != ENOENT)
    return Status::IoError("cannot remove " + path + ": " + ErrnoText(errno));
  return Status::Ok();
}

Status ReplayRedo(const std::string& tablePath, bool* replayed) {
  *replayed = false;
  const std::string path = RedoPathFor(tablePath);
  if (!FileExists(path)) return Status::Ok();
  std::string file;
  Status s = ReadWholeFile(path, &file);
  if (!s.ok()) return s;
  const auto u64 = [&file](std::size_t at) {
    return std::uint64_t{GetLe(&file[at], 4)} | std::uint64_t{GetLe(&file[at + 4], 4)} << 32;
  };
  const bool complete = file.size() >= kHeaderSize + kMagicSize && file.compare(0, kMagicSize, kMagic) == 0 &&
                        u64(kMagicSize + 8) == file.size() - kHeaderSize - kMagicSize &&
                        file.compare(file.size() - kMagicSize, kMagicSize, kMagic) == 0;
  if (complete) {
    const int fd = ::open(tablePath.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return Status::IoError("cannot repair " + tablePath + ": " + ErrnoText(errno));
    s = WriteAll(fd, file.data() + kHeaderSize, file.size() - kHeaderSize - kMagicSize, u64(kMagicSize), tablePath);
    if (::close(fd) != 0 && s.ok()) s = Status::IoError("cannot repair " + tablePath + ": " + ErrnoText(errno));
    if (!s.ok()) return s;
    *replayed = true;
  }
  return RemoveRedo(tablePath);
}

}  // namespace zvonar
