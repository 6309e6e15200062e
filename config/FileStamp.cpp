// Stamping of reference files.
#include "config/FileStamp.h"

#include <charconv>
#include <ctime>

#include "base/TextFile.h"

namespace zvonar {

double DayCountNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  // Days from 1899-12-30 to 1970-01-01 are 25569; the local calendar date
  // is counted from the civil day number so that time zones do not shift it.
  const int y = local.tm_year + 1900 - (local.tm_mon < 2 ? 1 : 0);
  const int m = local.tm_mon + 1;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + local.tm_mday - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long daysSince1970 = static_cast<long>(era) * 146097 + doe - 719468;
  const double fraction = (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
  return static_cast<double>(daysSince1970 + 25569) + fraction;
}

std::string FileStampLine(std::string_view title, std::string_view comment, double dayCount) {
  // to_chars ignores the process locale, so the separator is always ".".
  char number[64];
  const auto result = std::to_chars(number, number + sizeof number, dayCount, std::chars_format::general, 15);
  return std::string(title) + ", " + std::string(comment) + " (" + std::string(number, result.ptr) + ")";
}

void StampLines(std::vector<std::string>* lines, const std::string& stamp) {
  if (!lines->empty() && lines->front().find(";Vextrano") != std::string::npos) lines->front() = stamp;
}

bool WriteFileStamp(const std::string& path, std::string_view title, std::string_view comment) {
  const std::string stamp = FileStampLine(title, comment, DayCountNow());
  std::vector<std::string> lines;
  const Status read = ReadTextLines(path, &lines);
  if (read.kind() == StatusKind::NotFound) return WriteTextLines(path, {stamp}).ok();
  if (!read.ok()) return false;
  StampLines(&lines, stamp);
  return WriteTextLines(path, lines).ok();
}

}  // namespace zvonar
