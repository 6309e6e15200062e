// The pages of a report as one byte string, for the PDF writer program,
// which runs as a process of its own so that zvonar-cli links no Qt.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "print/ReportLayout.h"

namespace zvonar {

// `pages` in the form DecodeReportPages reads.
std::string EncodeReportPages(const std::vector<ReportPage>& pages);

// The pages of `bytes` into `*pages`; an error, and no pages, when the bytes
// are cut short or are not such a string.
Status DecodeReportPages(std::string_view bytes, std::vector<ReportPage>* pages);

}  // namespace zvonar
