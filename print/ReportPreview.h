// The preview of a printed report: Qt's print preview over the report's
// pages, from which the user prints, with an "Export PDF..." button that
// writes the same pages to a PDF file.
#pragma once

#include <QString>
#include <vector>

#include "print/ReportLayout.h"

class QWidget;

namespace zvonar {

class Prompts;

// Shows the preview of `pages` modally over `parent`. The export button is
// captioned `exportCaption`; the file is chosen through `prompts`, starting
// in `startDir`. The data directory `dataDir`'s own files and anything but
// a regular file or a new name are refused (see CheckOutputPath); a refusal
// or a failed write is reported there.
void ShowReportPreview(QWidget* parent, const std::vector<ReportPage>& pages, Prompts* prompts,
                       const QString& exportCaption, const QString& dataDir, const QString& startDir);

}  // namespace zvonar
