// Rendering of report pages. Each text object is one line in its box: its
// baseline centred in the box's height, left-aligned, or spread over the
// box's width when justified. A text wider than its box is narrowed to fit
// rather than cut, so every character of a long name or number is printed.
#include "print/ReportPainter.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <cstdio>
#include <map>

#include "base/Cp1251.h"

namespace zvonar {
namespace {

constexpr double kLayoutWidth = 960.0;
constexpr double kUnitsPerPoint = 96.0 / 72.0;  // page units are pixels at 96 to the inch

QString FromCp1251(const std::string& bytes) {
  // Digits, dots and Latin letters, the bulk of a report, need no table.
  bool ascii = true;
  for (const char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return QString::fromStdString(Cp1251ToUtf8(bytes));
}

// The fonts of one sheet: by bold and size, each with its metrics.
class Fonts {
 public:
  Fonts(double scale, QPaintDevice* device) : scale_(scale), device_(device) {}
  const std::pair<QFont, QFontMetricsF>& Get(bool bold, int points) {
    const int key = points * 2 + (bold ? 1 : 0);
    auto it = fonts_.find(key);
    if (it == fonts_.end()) {
      QFont font;
      // Arial's widths fit the columns; DejaVu's condensed face comes close.
      font.setFamilies({"Liberation Sans", "Arial", "DejaVu Sans Condensed", "DejaVu Sans"});
      font.setBold(bold);
      // Points of the layout are page units; the device counts its own dots.
      font.setPointSizeF(points * kUnitsPerPoint * scale_ * 72.0 / device_->logicalDpiY());
      it = fonts_.emplace(key, std::make_pair(font, QFontMetricsF(font, device_))).first;
    }
    return it->second;
  }

 private:
  double scale_;
  QPaintDevice* device_;
  std::map<int, std::pair<QFont, QFontMetricsF>> fonts_;
};

void PaintText(QPainter* painter, const ReportText& t, double scale, Fonts* fonts) {
  if (t.text.empty()) return;
  const auto& [font, metrics] = fonts->Get(t.bold, t.fontSize > 0 ? t.fontSize : kReportFontSize);
  painter->setFont(font);
  const QString text = FromCp1251(t.text);
  const double left = t.x * scale;
  const double width = t.width * scale;
  const double baseline = t.y * scale + (t.height * scale - metrics.height()) / 2 + metrics.ascent();
  const double advance = metrics.horizontalAdvance(text);
  if (advance > width) {
    painter->save();
    painter->translate(left, baseline);
    painter->scale(width / advance, 1.0);
    painter->drawText(QPointF(0, 0), text);
    painter->restore();
    return;
  }
  const QStringList words = text.split(' ', Qt::SkipEmptyParts);
  if (!t.justified || words.size() < 2) {
    painter->drawText(QPointF(left, baseline), text);
    return;
  }
  double wordsWidth = 0;
  for (const QString& w : words) wordsWidth += metrics.horizontalAdvance(w);
  const double space = (width - wordsWidth) / static_cast<double>(words.size() - 1);
  double x = left;
  for (const QString& w : words) {
    painter->drawText(QPointF(x, baseline), w);
    x += metrics.horizontalAdvance(w) + space;
  }
}

}  // namespace

bool PaintReport(QPagedPaintDevice* device, const std::vector<ReportPage>& pages) {
  QPainter painter;
  if (!painter.begin(device)) return false;
  const QRectF sheet = device->pageLayout().fullRectPixels(device->logicalDpiX());
  const double scale = sheet.width() / kLayoutWidth;
  Fonts fonts(scale, device);
  painter.setPen(Qt::black);
  for (std::size_t p = 0; p < pages.size(); ++p) {
    if (p > 0 && !device->newPage()) return false;
    for (const ReportText& t : pages[p].texts) PaintText(&painter, t, scale, &fonts);
  }
  return painter.end();
}

Status WriteReportPdf(const std::vector<ReportPage>& pages, const std::string& path) {
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly))
    return Status::Error(StatusKind::Io, path + ": " + file.errorString().toStdString());
  {
    QPdfWriter writer(&file);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    writer.setResolution(600);
    writer.setCreator("Zvonar");
    if (!PaintReport(&writer, pages)) {
      file.cancelWriting();
      return Status::Error(StatusKind::Io, path + ": the PDF could not be written");
    }
  }
  if (!file.commit()) return Status::Error(StatusKind::Io, path + ": " + file.errorString().toStdString());
  return Status::Ok();
}

Status WithGuiApplication(const std::function<Status()>& work) {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) return work();
  if (QCoreApplication::instance() != nullptr)
    return Status::Error(StatusKind::Internal, "painting needs a GUI application");
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static char name[] = "zvonar-cli";
  static char* argv[] = {name, nullptr};
  int argc = 1;
  // Qt's notes about the missing session (no runtime directory, no screen)
  // mean nothing to a command that only writes a file.
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
      });
  Status s;
  {
    QGuiApplication app(argc, argv);
    s = work();
  }
  qInstallMessageHandler(previous);
  return s;
}

}  // namespace zvonar
