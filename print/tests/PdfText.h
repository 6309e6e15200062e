// The text of a PDF file as Debian's pdftotext (poppler-utils) reads it,
// for tests that check what a report prints.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace zvonar::testing {

inline bool HavePdfToText() {
  return std::system("pdftotext -v >/dev/null 2>&1") == 0;
}

// The text of `path` with its layout kept, a form feed after every page.
inline std::string PdfText(const std::string& path) {
  const std::string command = "pdftotext -layout '" + path + "' -";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {};
  std::string text;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  ::pclose(pipe);
  return text;
}

}  // namespace zvonar::testing
