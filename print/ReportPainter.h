// Paints report pages with QPainter onto a printer or a PDF file. The page
// units of the layout are mapped onto an A4 sheet: the layout's 960 units
// of width (its 900-unit lines and a 30-unit margin each side) span the
// paper's width, and heights follow at the same scale; on other paper the
// layout is scaled to fit the sheet whole.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/Status.h"
#include "print/ReportLayout.h"

class QPagedPaintDevice;

namespace zvonar {

// Paints `pages` on `device`, one sheet each, the sheet's corner at the
// device's origin (a printer in full-page mode, or a PDF writer without
// margins). False when the device cannot be painted on.
bool PaintReport(QPagedPaintDevice* device, const std::vector<ReportPage>& pages);

// Writes `pages` to the PDF file `path` (through a temporary file, so that
// a failed write leaves an older file as it was). Needs a GUI application
// object; WithGuiApplication makes one where there is none.
Status WriteReportPdf(const std::vector<ReportPage>& pages, const std::string& path);

// Runs `work` with a QGuiApplication: the running one, or one made for the
// call on the offscreen platform (for programs without a window).
Status WithGuiApplication(const std::function<Status()>& work);

}  // namespace zvonar
