// The lock that guards the table files of one directory. It is a flock on
// the directory itself, so it exists before the table does (the creator
// holds it) and needs no file of its own. Readers hold it shared; a writer
// holds it exclusively only while it writes. Nobody blocks: a lock taken by
// another program is tried again for a few seconds, then reported.
//
// So that a stream of readers does not keep a writer out, a second lock,
// on the file ".table-gate" in the directory, orders them: a program about
// to take the directory lock passes the gate shared, and a writer holds the
// gate exclusively while it waits for the directory, so readers that ask
// after it wait behind it. Nobody waits for the gate while holding the
// directory lock, so the two cannot deadlock. A reader goes on without the
// gate when it is missing (only writers create it), and everybody does
// when the directory may not be written.
//
// The window holds the lock only while it reads, and marks those holds with
// a shared flock on the file ".table-window" in the directory: a writer kept
// out past its wait looks at that file to tell the user that it is the
// window reading, which ends in a moment, and not a program that stays.
#pragma once

#include <chrono>
#include <string>

#include "base/Status.h"

namespace zvonar {

inline constexpr char kTableInUseText[] = "The table is in use by another program.";
inline constexpr char kTableReadByWindowText[] = "The table is being read by the Zvonar window; try again in a moment.";
// How long a command tries for a lock another program holds.
inline constexpr std::chrono::milliseconds kTableLockWait{3000};

enum class LockMode { None, Shared, Exclusive };

class TableLock {
 public:
  TableLock() = default;
  ~TableLock() { Release(); }
  TableLock(const TableLock&) = delete;
  TableLock& operator=(const TableLock&) = delete;

  // Locks the directory `dir` in `mode` (Shared or Exclusive), trying for
  // `wait`. InUse with kTableInUseText when another program keeps it,
  // kTableReadByWindowText when that is the window reading.
  Status Acquire(const std::string& dir, LockMode mode, std::chrono::milliseconds wait = kTableLockWait);
  // Turns a held shared lock into an exclusive one, trying for `wait`. The
  // change cannot be made in one step while another program reads: then
  // the lock is let go and `*released` set, since another writer may have
  // changed the table in between. On InUse the lock is shared again when
  // it could be had back, else not held at all (see mode()).
  Status Upgrade(std::chrono::milliseconds wait, bool* released);
  // Back to shared after a write; other readers may come in.
  void Downgrade();
  void Release();
  LockMode mode() const { return mode_; }
  // Marks from now on every shared hold as the window's reading (see above).
  void MarkReads() { marksReads_ = true; }

 private:
  bool TryFor(int operation, std::chrono::milliseconds wait);
  bool TryFor(int fd, int operation, std::chrono::steady_clock::time_point deadline);
  // Takes the directory lock by `operation` until `deadline`, passing the
  // gate first (exclusively for LOCK_EX); false with errno set on failure.
  bool ThroughGate(int operation, std::chrono::steady_clock::time_point deadline);

  Status Refused() const;
  void TakeMark();
  void DropMark();

  std::string dir_;
  int fd_ = -1;
  bool marksReads_ = false;
  int markFd_ = -1;
  LockMode mode_ = LockMode::None;
};

}  // namespace zvonar
