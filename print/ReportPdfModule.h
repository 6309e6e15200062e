// The PDF writer of the printed report as a module that zvonar-cli loads at
// run time, only for its report command: linking Qt's GUI library into the
// program would make every other command load it at start, which costs more
// time and memory than a small command's whole work. The module and the
// program are built from the same sources by the same compiler, so the
// entry takes the report's pages as they are.
#pragma once

#include <string>
#include <vector>

#include "print/ReportLayout.h"

namespace zvonar {

// The module's file name and the name of its one entry point.
inline constexpr const char* kReportPdfModuleName = "zvonar-report-pdf.so";
inline constexpr const char* kReportPdfEntryName = "ZvonarWriteReportPdf";

// The entry: writes `pages` to the PDF file `path`, painted on Qt's offscreen
// platform. True, or false with the reason in `*error`.
using ReportPdfEntry = bool (*)(const std::vector<ReportPage>& pages, const std::string& path, std::string* error);

}  // namespace zvonar
