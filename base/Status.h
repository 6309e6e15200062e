// The outcome of a core operation: ok, or a kind with a message for the user.
// Core code reports bad input and I/O failures through it instead of throwing.
// Messages are UTF-8, ready for a terminal or a message box.
#pragma once

#include <string>
#include <utility>

namespace zvonar {

enum class StatusKind { Ok, InvalidInput, Io, NotFound, Corrupt, InUse, Internal };

class Status {
 public:
  Status() = default;
  static Status Ok() { return Status(); }
  static Status Error(StatusKind kind, std::string message) { return Status(kind, std::move(message)); }
  static Status Invalid(std::string message) { return Status(StatusKind::InvalidInput, std::move(message)); }
  static Status IoError(std::string message) { return Status(StatusKind::Io, std::move(message)); }

  bool ok() const { return kind_ == StatusKind::Ok; }
  StatusKind kind() const { return kind_; }
  const std::string& message() const { return message_; }

 private:
  Status(StatusKind kind, std::string message) : kind_(kind), message_(std::move(message)) {}
  StatusKind kind_ = StatusKind::Ok;
  std::string message_;
};

// errno as words, for messages that name a failed system call.
std::string ErrnoText(int err);

}  // namespace zvonar
