// The report preview: the printer is set to A4 in full-page mode so that the
// pages are painted the same way on paper, on screen and into a PDF file.
#include "print/ReportPreview.h"

#include <QAction>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

#include "base/OutputFile.h"
#include "print/ReportPainter.h"
#include "ui/Prompts.h"

namespace zvonar {

void ShowReportPreview(QWidget* parent, const std::vector<ReportPage>& pages, Prompts* prompts,
                       const QString& exportCaption, const QString& dataDir, const QString& startDir) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
  printer.setFullPage(true);
  QPrintPreviewDialog dialog(&printer, parent);
  dialog.setObjectName("ReportPreview");
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [&pages](QPrinter* target) { PaintReport(target, pages); });
  auto* exportPdf = new QAction(exportCaption, &dialog);
  exportPdf->setObjectName("actExportPdf");
  if (auto* toolBar = dialog.findChild<QToolBar*>()) {
    toolBar->addSeparator();
    toolBar->addAction(exportPdf);
  } else {
    dialog.addAction(exportPdf);
  }
  QObject::connect(exportPdf, &QAction::triggered, &dialog, [&pages, prompts, dataDir, startDir] {
    QString filter = "PDF (*.pdf)";
    const QString chosen = prompts->ChooseSaveFile(filter, startDir, &filter);
    if (chosen.isEmpty()) return;
    const QString path = chosen.endsWith(".pdf", Qt::CaseInsensitive) ? chosen : chosen + ".pdf";
    Status s = CheckOutputPath(chosen.toStdString(), path.toStdString(), dataDir.toStdString());
    if (s.ok()) s = WriteReportPdf(pages, path.toStdString());
    if (!s.ok()) prompts->ShowError(QString::fromStdString(s.message()));
  });
  dialog.exec();
}

}  // namespace zvonar
