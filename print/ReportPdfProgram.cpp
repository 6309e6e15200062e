// zvonar-report-pdf PDF: the PDF writer of zvonar-cli's report, a program of
// its own so that zvonar-cli links no Qt and its other commands start
// without it. Reads the pages, as EncodeReportPages writes them, from
// standard input and paints them into PDF on Qt's offscreen platform,
// through the same painter as the window's preview. Exits 0 when the file
// is written; else 1, with the reason as one line on standard output.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "print/ReportPageStream.h"
#include "print/ReportPainter.h"

namespace {

zvonar::Status ReadAll(int fd, std::string* out) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return zvonar::Status::Ok();
    if (n < 0) {
      if (errno == EINTR) continue;
      return zvonar::Status::IoError(std::string("cannot read the report's pages: ") + std::strerror(errno));
    }
    out->append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zvonar-report-pdf PDF < PAGES\n");
    return 2;
  }
  std::string bytes;
  std::vector<zvonar::ReportPage> pages;
  zvonar::Status s = ReadAll(STDIN_FILENO, &bytes);
  if (s.ok()) s = zvonar::DecodeReportPages(bytes, &pages);
  const std::string path = argv[1];
  if (s.ok()) s = zvonar::WithGuiApplication([&] { return zvonar::WriteReportPdf(pages, path); });
  if (s.ok()) return 0;
  std::printf("%s\n", s.message().c_str());
  return 1;
}
