// The crash test of the fills: a child process rewrites the detalization
// table over and over until it is killed at a chosen moment.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "store/DetalTable.h"

namespace zvonar::testing {

// Runs `pass` over the table of `dir` in a child, pass after pass, and kills
// the child after `delay`. True when the child died of the kill, false when
// it stopped by itself (a pass failed).
inline bool KillWhileRewriting(const std::string& dir, const std::function<Status(Table*, int pass)>& pass,
                               std::chrono::milliseconds delay) {
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    Table table;
    std::string warning;
    if (!OpenDetalTable(dir, "dbf", kDefaultDetalWidths, &table, &warning).ok()) _exit(2);
    for (int n = 0;; ++n)
      if (!pass(&table, n).ok()) _exit(3);
  }
  std::this_thread::sleep_for(delay);
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFSIGNALED(status);
}

}  // namespace zvonar::testing
