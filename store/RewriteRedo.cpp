#include "store/RewriteRedo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include "base/DiskSteps.h"
#include "store/Bytes.h"

namespace zvonar {
namespace {

constexpr char kMagic[] = "ZVREDO2\n";
constexpr std::size_t kMagicSize = 8;
constexpr std::size_t kHeaderSize = kMagicSize + 32;
constexpr std::size_t kTableHeadSize = 32;  // dBase: fixed part of the header

std::uint64_t GetU64(const char* p) {
  return std::uint64_t{GetLe(p, 4)} | std::uint64_t{GetLe(p + 4, 4)} << 32;
}

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

bool ReadAll(int fd, char* out, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const ssize_t n = ::pread(fd, out, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

// The shape of a table file as its header gives it.
struct TableShape {
  std::uint64_t size = 0;
  std::uint64_t headerLength = 0;
  std::uint64_t recordLength = 0;
  std::uint64_t dataEnd = 0;  // past the last committed record
  std::vector<char> header;
};

Status ReadShape(int fd, const std::string& path, TableShape* shape) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
  shape->size = static_cast<std::uint64_t>(st.st_size);
  char head[kTableHeadSize];
  if (!ReadAll(fd, head, sizeof head, 0)) return Status::IoError("cannot read the header of " + path);
  shape->headerLength = GetLe(&head[8], 2);
  shape->recordLength = GetLe(&head[10], 2);
  shape->dataEnd = shape->headerLength + std::uint64_t{GetLe(&head[4], 4)} * shape->recordLength;
  if (shape->headerLength < kTableHeadSize || shape->recordLength == 0 || shape->dataEnd > shape->size)
    return Status::Error(StatusKind::Corrupt, path + " has a damaged header");
  shape->header.resize(shape->headerLength);
  if (!ReadAll(fd, shape->header.data(), shape->header.size(), 0))
    return Status::IoError("cannot read the header of " + path);
  return Status::Ok();
}

// The identity of the table for a run at `offset` of `length` bytes.
std::uint64_t Identity(int fd, const TableShape& shape, std::uint64_t offset, std::uint64_t length) {
  XXH3_state_t* state = XXH3_createState();
  XXH3_64bits_reset(state);
  // The date of change (bytes 1 to 3) may differ, and so may the bytes
  // dBase leaves for multi-user use (16 to 19), which other programs write.
  XXH3_64bits_update(state, shape.header.data(), 1);
  XXH3_64bits_update(state, shape.header.data() + 4, 12);
  XXH3_64bits_update(state, shape.header.data() + 20, shape.header.size() - 20);
  char size[8];
  PutLe(shape.size, size, 8);
  XXH3_64bits_update(state, size, sizeof size);
  std::vector<char> record(shape.recordLength);
  if (offset >= shape.headerLength + shape.recordLength &&
      ReadAll(fd, record.data(), record.size(), offset - shape.recordLength))
    XXH3_64bits_update(state, record.data(), record.size());
  if (offset + length + shape.recordLength <= shape.dataEnd &&
      ReadAll(fd, record.data(), record.size(), offset + length))
    XXH3_64bits_update(state, record.data(), record.size());
  const std::uint64_t hash = XXH3_64bits_digest(state);
  XXH3_freeState(state);
  return hash;
}

std::string FileName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Renames the redo file aside; `why` tells what is wrong with it.
Status SetAside(const std::string& path, const std::string& why, std::string* setAside) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string aside = path + ".rejected-" + stamp;
  for (int n = 2; ::access(aside.c_str(), F_OK) == 0; ++n)
    aside = path + ".rejected-" + stamp + "-" + std::to_string(n);
  if (RenameFile(path, aside) != 0) return Status::IoError("cannot rename " + path + ": " + ErrnoText(errno));
  *setAside = FileName(path) + " " + why + "; it was not replayed and was set aside as " + FileName(aside);
  return Status::Ok();
}

}  // namespace

std::string RedoPathFor(const std::string& tablePath) {
  return tablePath + ".redo";
}

Status WriteRedo(const std::string& tablePath, std::uint64_t offset, const char* bytes, std::size_t size) {
  const int table = ::open(tablePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (table < 0) return Status::IoError("cannot read " + tablePath + ": " + ErrnoText(errno));
  TableShape shape;
  Status s = ReadShape(table, tablePath, &shape);
  const std::uint64_t identity = s.ok() ? Identity(table, shape, offset, size) : 0;
  ::close(table);
  if (!s.ok()) return s;

  const std::string path = RedoPathFor(tablePath);
  std::vector<char> file(kHeaderSize + size + kMagicSize);
  std::memcpy(file.data(), kMagic, kMagicSize);
  PutLe(offset, file.data() + kMagicSize, 8);
  PutLe(size, file.data() + kMagicSize + 8, 8);
  PutLe(identity, file.data() + kMagicSize + 16, 8);
  PutLe(XXH3_64bits(bytes, size), file.data() + kMagicSize + 24, 8);
  std::memcpy(file.data() + kHeaderSize, bytes, size);
  std::memcpy(file.data() + kHeaderSize + size, kMagic, kMagicSize);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return Status::IoError("cannot write " + path + ": " + ErrnoText(errno));
  s = WriteAll(fd, file.data(), file.size(), 0, path);
  if (::close(fd) != 0 && s.ok()) s = Status::IoError("cannot write " + path + ": " + ErrnoText(errno));
  return s;
}

Status RemoveRedo(const std::string& tablePath) {
  const std::string path = RedoPathFor(tablePath);
  if (::unlink(path.c_str()) != 0 && errno != ENOENT)
    return Status::IoError("cannot remove " + path + ": " + ErrnoText(errno));
  return Status::Ok();
}

Status ReplayRedo(const std::string& tablePath, bool* replayed, std::string* setAside) {
  *replayed = false;
  setAside->clear();
  const std::string path = RedoPathFor(tablePath);
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0)
    return errno == ENOENT ? Status::Ok() : Status::IoError("cannot read " + path + ": " + ErrnoText(errno));
  if (!S_ISREG(st.st_mode)) return SetAside(path, "is not a regular file", setAside);

  const int table = ::open(tablePath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (table < 0) return Status::IoError("cannot repair " + tablePath + ": " + ErrnoText(errno));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closeTable{table};
  TableShape shape;
  Status s = ReadShape(table, tablePath, &shape);
  if (!s.ok()) return s;
  // No run is longer than the records, so a larger file is no redo file of
  // this table and is not read.
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if (size < kHeaderSize + kMagicSize) return SetAside(path, "is incomplete", setAside);
  if (size > kHeaderSize + kMagicSize + shape.dataEnd)
    return SetAside(path, "is larger than the table's records", setAside);
  std::string file(size, '\0');
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  const bool read = fd >= 0 && ReadAll(fd, file.data(), file.size(), 0);
  const int err = errno;
  if (fd >= 0) ::close(fd);
  if (!read) return Status::IoError("cannot read " + path + ": " + ErrnoText(fd >= 0 ? EIO : err));
  const std::uint64_t offset = GetU64(&file[kMagicSize]);
  const std::uint64_t length = GetU64(&file[kMagicSize + 8]);
  if (file.compare(0, kMagicSize, kMagic) != 0) return SetAside(path, "is not a redo file of this program", setAside);
  if (length != file.size() - kHeaderSize - kMagicSize ||
      file.compare(file.size() - kMagicSize, kMagicSize, kMagic) != 0)
    return SetAside(path, "is incomplete", setAside);
  const char* run = file.data() + kHeaderSize;
  if (XXH3_64bits(run, length) != GetU64(&file[kMagicSize + 24])) return SetAside(path, "fails its checksum", setAside);
  if (offset < shape.headerLength || offset + length > shape.dataEnd || length % shape.recordLength != 0 ||
      (offset - shape.headerLength) % shape.recordLength != 0)
    return SetAside(path, "names bytes outside the table's records", setAside);
  if (Identity(table, shape, offset, length) != GetU64(&file[kMagicSize + 16]))
    return SetAside(path, "belongs to another table", setAside);
  s = WriteAll(table, run, length, offset, tablePath);
  if (!s.ok()) return Status::IoError("cannot repair " + tablePath + ": " + s.message());
  *replayed = true;
  return RemoveRedo(tablePath);
}

}  // namespace zvonar
