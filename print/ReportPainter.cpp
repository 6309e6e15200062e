// Rendering of report pages. Each text object is one line in its box: its
// baseline centred in the box's height, left-aligned, or spread over the
// box's width when justified. A text wider than its box is narrowed to fit,
// so every character of a long name or number is printed, down to four
// fifths of its width; a text longer than that is cut with "…" where it
// still reads.
#include "print/ReportPainter.h"

#include <QFont>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

#include "base/Cp1251.h"

namespace zvonar {
namespace {

constexpr double kLayoutWidth = 960.0;
constexpr double kLayoutHeight = kLayoutWidth * 297.0 / 210.0;  // an A4 sheet's proportions
constexpr double kUnitsPerPoint = 96.0 / 72.0;                  // page units are pixels at 96 to the inch

// One face at one size, with the glyph and advance of each of the 256
// bytes of code page 1251 looked up once: a report draws hundreds of
// thousands of short texts, and placing glyphs by the table spares Qt's
// text shaping for each of them. Single-line texts of plain letters and
// digits need no more than that.
class ByteFont {
 public:
  ByteFont(bool bold, double pixelSize) {
    QFont font;
    // Arial's widths fit the columns; DejaVu's condensed face comes close.
    font.setFamilies({"Liberation Sans", "Arial", "DejaVu Sans Condensed", "DejaVu Sans"});
    font.setBold(bold);
    font.setPixelSize(std::max(1, static_cast<int>(pixelSize)));
    raw_ = QRawFont::fromFont(font);
    raw_.setPixelSize(pixelSize);
    for (int b = 0; b < 256; ++b) {
      const std::string utf8 = Cp1251ToUtf8(std::string(1, static_cast<char>(b)));
      const QString text = QString::fromStdString(utf8);
      const QList<quint32> glyphs = text.size() == 1 ? raw_.glyphIndexesForString(text) : QList<quint32>();
      glyphs_[static_cast<std::size_t>(b)] = glyphs.isEmpty() ? 0 : glyphs.front();
      const QList<QPointF> advances =
          raw_.advancesForGlyphIndexes(QList<quint32>{glyphs_[static_cast<std::size_t>(b)]});
      advances_[static_cast<std::size_t>(b)] = b >= 32 && !advances.isEmpty() ? advances.front().x() : 0;
    }
  }
  const QRawFont& Raw() const { return raw_; }
  // Glyphs to draw at the end of the page, all in one run: a page in one
  // run per face makes a PDF file far smaller and quicker to write than
  // one run per text.
  void Queue(quint32 glyph, QPointF at) {
    pendingGlyphs_.push_back(glyph);
    pendingPositions_.push_back(at);
  }
  void Flush(QPainter* painter) {
    if (pendingGlyphs_.isEmpty()) return;
    QGlyphRun run;
    run.setRawFont(raw_);
    run.setGlyphIndexes(pendingGlyphs_);
    run.setPositions(pendingPositions_);
    painter->drawGlyphRun(QPointF(0, 0), run);
    pendingGlyphs_.clear();
    pendingPositions_.clear();
  }
  quint32 Glyph(char c) const { return glyphs_[static_cast<unsigned char>(c)]; }
  double Advance(char c) const { return advances_[static_cast<unsigned char>(c)]; }
  double Width(const std::string& text) const {
    double w = 0;
    for (const char c : text) w += Advance(c);
    return w;
  }

 private:
  QRawFont raw_;
  std::array<quint32, 256> glyphs_{};
  std::array<double, 256> advances_{};
  QList<quint32> pendingGlyphs_;
  QList<QPointF> pendingPositions_;
};

// The faces of one sheet, by bold and size in points.
class Fonts {
 public:
  explicit Fonts(double scale) : scale_(scale) {}
  ByteFont& Get(bool bold, int points) {
    const int key = points * 2 + (bold ? 1 : 0);
    auto it = fonts_.find(key);
    if (it == fonts_.end()) it = fonts_.try_emplace(key, bold, points * kUnitsPerPoint * scale_).first;
    return it->second;
  }
  void Flush(QPainter* painter) {
    for (auto& [key, font] : fonts_) font.Flush(painter);
  }

 private:
  double scale_;
  std::map<int, ByteFont> fonts_;
};

// How far a text may be narrowed to fit its box before it is cut: below
// that its letters would no longer read.
constexpr double kNarrowestScale = 0.8;
constexpr char kEllipsis = '\x85';  // "…" in code page 1251

void PaintText(QPainter* painter, const ReportText& box, double scale, Fonts* fonts) {
  if (box.text.empty()) return;
  ByteFont& font = fonts->Get(box.bold, box.fontSize > 0 ? box.fontSize : kReportFontSize);
  const QRawFont& raw = font.Raw();
  const double left = box.x * scale;
  const double width = box.width * scale;
  const double baseline = box.y * scale + (box.height * scale - (raw.ascent() + raw.descent())) / 2 + raw.ascent();
  // A text that would have to be narrowed further is cut, with "…", to what
  // fits at the narrowest.
  ReportText t = box;
  if (font.Width(t.text) * kNarrowestScale > width) {
    const double room = width / kNarrowestScale - font.Advance(kEllipsis);
    double used = 0;
    std::size_t keep = 0;
    while (keep < t.text.size() && used + font.Advance(t.text[keep]) <= room) used += font.Advance(t.text[keep++]);
    t.text.resize(keep);
    t.text += kEllipsis;
  }
  const double advance = font.Width(t.text);
  // Justified: the room left over goes into the blanks between words.
  const std::size_t first = t.text.find_first_not_of(' ');
  const std::size_t last = t.text.find_last_not_of(' ');
  if (first == std::string::npos) return;
  const auto gapEnds = [&](std::size_t i) { return i > first && i < last && t.text[i] == ' ' && t.text[i + 1] != ' '; };
  double extra = 0;
  if (t.justified && advance < width) {
    std::size_t gaps = 0;
    for (std::size_t i = first; i < last; ++i) gaps += gapEnds(i);
    if (gaps > 0) extra = (width - advance) / static_cast<double>(gaps);
  }
  const bool narrowed = advance > width;
  QList<quint32> glyphs;
  QList<QPointF> positions;
  double x = 0;
  for (std::size_t i = 0; i < t.text.size(); ++i) {
    const char c = t.text[i];
    if (c != ' ' && narrowed) {
      glyphs.push_back(font.Glyph(c));
      positions.push_back(QPointF(x, 0));
    } else if (c != ' ') {
      font.Queue(font.Glyph(c), QPointF(left + x, baseline));
    } else if (gapEnds(i)) {
      x += extra;
    }
    x += font.Advance(c);
  }
  if (!narrowed) return;
  // Narrowed to its box.
  QGlyphRun run;
  run.setRawFont(raw);
  run.setGlyphIndexes(glyphs);
  run.setPositions(positions);
  painter->save();
  painter->translate(left, baseline);
  painter->scale(width / advance, 1.0);
  painter->drawGlyphRun(QPointF(0, 0), run);
  painter->restore();
}

}  // namespace

bool PaintReport(QPagedPaintDevice* device, const std::vector<ReportPage>& pages) {
  QPainter painter;
  if (!painter.begin(device)) return false;
  const QRectF sheet = device->pageLayout().fullRectPixels(device->logicalDpiX());
  // A sheet of another size or turned sideways still holds the whole layout.
  const double scale = std::min(sheet.width() / kLayoutWidth, sheet.height() / kLayoutHeight);
  Fonts fonts(scale);
  painter.setPen(Qt::black);
  for (std::size_t p = 0; p < pages.size(); ++p) {
    if (p > 0 && !device->newPage()) return false;
    for (const ReportText& t : pages[p].texts) PaintText(&painter, t, scale, &fonts);
    fonts.Flush(&painter);
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
