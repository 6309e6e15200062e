// zvonar-cli report: the printed report of a filter run written as a PDF
// file, the pages laid out and painted by the same code as the window's
// preview. Painting runs on Qt's offscreen platform, so no screen is needed,
// in the program zvonar-report-pdf, run for this command only.
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "analysis/FilterEngine.h"
#include "analysis/FilterStatistic.h"
#include "base/OutputFile.h"
#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "config/MainSettings.h"
#include "config/ShippedFiles.h"
#include "print/ReportLayout.h"
#include "print/ReportPageStream.h"

extern char** environ;

namespace zvonar {
namespace {

constexpr const char* kReportPdfProgram = "zvonar-report-pdf";

std::string DateText(const CalendarDate& d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d.%02d.%02d", d.year, d.month, d.day);
  return text;
}

// Closes the descriptors it holds when it goes.
struct Descriptors {
  int fd[4] = {-1, -1, -1, -1};
  ~Descriptors() {
    for (const int f : fd)
      if (f >= 0) ::close(f);
  }
  void Close(int i) {
    if (fd[i] >= 0) ::close(fd[i]);
    fd[i] = -1;
  }
};

// Runs the writer `program` on `pages` (as EncodeReportPages wrote them)
// for the PDF file `pdf`. Its answer comes back on a pipe; the pages go in
// on a socket, so that a writer that ends early makes the send fail
// instead of raising SIGPIPE in this process.
Status RunReportPdfWriter(const std::string& program, const std::string& pages, const std::string& pdf) {
  Descriptors d;  // 0, 1: the socket pair (ours, its input); 2, 3: the pipe (its output, ours)
  int pipeFds[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, d.fd) != 0 || ::pipe2(pipeFds, O_CLOEXEC) != 0)
    return Status::IoError(std::string("cannot start the PDF writer: ") + std::strerror(errno));
  d.fd[3] = pipeFds[0];
  d.fd[2] = pipeFds[1];
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, d.fd[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, d.fd[2], STDOUT_FILENO);
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(pdf.c_str()), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return Status::IoError("cannot start the PDF writer " + program + ": " + std::strerror(spawned));
  d.Close(1);
  d.Close(2);
  for (std::size_t sent = 0; sent < pages.size();) {
    const ssize_t n = ::send(d.fd[0], pages.data() + sent, pages.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the writer ended; its answer says why
    sent += static_cast<std::size_t>(n);
  }
  d.Close(0);
  std::string answer;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(d.fd[3], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return Status::Ok();
  while (!answer.empty() && answer.back() == '\n') answer.pop_back();
  if (answer.empty())
    answer = WIFSIGNALED(status) ? "the PDF writer was killed by signal " + std::to_string(WTERMSIG(status))
                                 : "the PDF writer failed with exit code " + std::to_string(WEXITSTATUS(status));
  return Status::IoError(answer);
}

}  // namespace

int RunReport(CliContext& c) {
  std::string pdf;
  bool statOnly = false;
  std::string language;
  std::vector<std::string> criteriaArgs;
  for (std::size_t i = 0; i < c.args.size(); ++i) {
    if (c.args[i] == "--pdf") {
      if (i + 1 >= c.args.size() || c.args[i + 1].empty()) return kExitUsage;
      pdf = c.args[++i];
    } else if (c.args[i] == "--lang") {
      if (i + 1 >= c.args.size() || (c.args[i + 1] != "english" && c.args[i + 1] != "russian"))
        return Fail(c, "--lang takes english or russian");
      language = c.args[++i];
    } else if (c.args[i] == "--stat-only") {
      statOnly = true;
    } else {
      criteriaArgs.push_back(c.args[i]);
    }
  }
  if (pdf.empty()) return kExitUsage;
  // Refused before the filter runs, so a wrong name costs no time.
  Status s = CheckOutputPath(pdf, c.dataDir);
  if (!s.ok()) return Fail(c, s.message());
  MainSettings settings;
  FilterCriteria criteria;
  ResultRows rows;
  std::vector<StatRow> stat;
  bool stopped = false;
  const int code = FilterAndStatistic(c, criteriaArgs, &settings, &criteria, &rows, &stat, &stopped, language);
  if (code != kExitOk || stopped) return code;
  if (rows.Empty()) return Fail(c, "the filter found no records; no report written");
  // The header names the owner and dates that filtered the records, as the
  // window's ticked boxes do, else what the records hold.
  const std::string period =
      criteria.date ? DateText(criteria.dateBegin) + " - " + DateText(criteria.dateEnd) : ReportPeriodOf(rows);
  const std::string owner = criteria.owner ? criteria.ownerText : ReportOwnersOf(rows);
  // The report's words and the statistic's captions come from the same
  // language file, the one in settings.ini unless --lang names another.
  const ReportWords words = ReportWordsOf(LanguageFileOf(c.dataDir, settings.language));
  const bool withStatistic = settings.addFilterStatisticOnPrint && settings.countFilterStatistic;
  const std::vector<ReportPage> pages =
      statOnly ? StatisticReportPages(stat, owner, period, words)
               : FilterReportPages(rows, withStatistic ? &stat : nullptr, owner, period, words);
  std::string writer;
  s = FindCompanionProgram(kReportPdfProgram, &writer);
  if (s.ok()) s = RunReportPdfWriter(writer, EncodeReportPages(pages), pdf);
  if (!s.ok()) return Fail(c, s.message());
  c.out << pages.size() << (pages.size() == 1 ? " page" : " pages") << " written to " << pdf << '\n';
  return kExitOk;
}

}  // namespace zvonar
