// Runs zvonar-cli command lines in the test process with string streams, or
// in a forked child for what needs another process: locks, standard input,
// a file size limit.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/TextFile.h"
#include "base/tests/TestSupport.h"
#include "cli/Cli.h"

namespace zvonar::testing {

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

inline CliRun RunArgs(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = RunCli(args, out, err);
  return {code, out.str(), err.str()};
}

// A temporary data directory whose table holds `records` (lines in the form
// load-tsv reads), and zvonar-cli run over it.
class CliTableTest : public ::testing::Test {
 protected:
  explicit CliTableTest(const char* records) : records_(records) {}
  void SetUp() override {
    WriteOrDie(dir_.File("records.tsv"), records_);
    ASSERT_EQ(0, RunArgs({"--dir", dir_.path(), "load-tsv", dir_.File("records.tsv")}).code);
  }
  CliRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", dir_.path()});
    return RunArgs(args);
  }
  TempDir dir_;

 private:
  const char* records_;
};

// Runs `body` in a forked child whose exit code is its result.
inline pid_t Fork(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) _exit(body());
  return pid;
}

// The exit code of child `pid`; -1 when it died of a signal or did not end
// within `timeout` (it is killed then).
inline int WaitChild(pid_t pid, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A command line running in a child process; its output goes to files in
// `scratch` (a directory path ending with "/") until Finish reads them.
class ChildCli {
 public:
  // `before` runs in the child first (a file size limit, another standard
  // input).
  ChildCli(const std::vector<std::string>& args, const std::string& scratch, const std::function<void()>& before = {})
      : out_(scratch + "child-out-" + std::to_string(Counter()++)), err_(out_ + ".err") {
    pid_ = Fork([&]() {
      if (before) before();
      const CliRun run = RunArgs(args);
      if (!WriteFileAtomic(out_, run.out).ok() || !WriteFileAtomic(err_, run.err).ok()) return 99;
      return run.code;
    });
  }

  CliRun Finish(std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    CliRun run{WaitChild(pid_, timeout), "", ""};
    (void)ReadWholeFile(out_, &run.out);
    (void)ReadWholeFile(err_, &run.err);
    ::unlink(out_.c_str());
    ::unlink(err_.c_str());
    return run;
  }

 private:
  static int& Counter() {
    static int counter = 0;
    return counter;
  }
  pid_t pid_;
  std::string out_;
  std::string err_;
};

// A one-way signal between processes: Wait blocks until the other side
// calls Give.
class Gate {
 public:
  Gate() {
    if (::pipe(fds_) != 0) fds_[0] = fds_[1] = -1;
  }
  ~Gate() {
    ::close(fds_[0]);
    ::close(fds_[1]);
  }
  void Give() { (void)!::write(fds_[1], "x", 1); }
  bool Wait() {
    char c = 0;
    return ::read(fds_[0], &c, 1) == 1;
  }

 private:
  int fds_[2];
};

}  // namespace zvonar::testing
