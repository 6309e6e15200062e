// The entry point of the PDF writer module (see ReportPdfModule.h): the
// report's pages through the same painter as the window's preview, inside a
// GUI application made for the call.
#include "print/ReportPdfModule.h"

#include "print/ReportPainter.h"

extern "C" __attribute__((visibility("default"))) bool ZvonarWriteReportPdf(
    const std::vector<zvonar::ReportPage>& pages, const std::string& path, std::string* error) {
  const zvonar::Status s = zvonar::WithGuiApplication([&] { return zvonar::WriteReportPdf(pages, path); });
  if (!s.ok()) *error = s.message();
  return s.ok();
}

namespace {
// The entry has the type the loader expects.
[[maybe_unused]] constexpr zvonar::ReportPdfEntry kEntryType = &ZvonarWriteReportPdf;
}  // namespace
