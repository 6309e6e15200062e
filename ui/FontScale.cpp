// The reference font is the one the window layouts were measured in: 8
// points at 96 DPI, lines 13 pixels high, and 6 pixels for the average of
// the 52 Latin letters (how Windows measures a dialog font's width).
#include "ui/FontScale.h"

#include <QFontMetricsF>
#include <QStyle>
#include <QWidget>
#include <cmath>

namespace zvonar {
namespace {

constexpr double kReferenceLetterWidth = 6.0;
constexpr double kReferenceLineHeight = 13.0;

int Scaled(int designPixels, double scale) {
  return static_cast<int>(std::lround(designPixels * scale));
}

}  // namespace

int ScaleWidth(int designPixels, const QFont& font) {
  static const QString kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  const double average = QFontMetricsF(font).horizontalAdvance(kLetters) / static_cast<double>(kLetters.size());
  return Scaled(designPixels, average / kReferenceLetterWidth);
}

int ScaleHeight(int designPixels, const QFont& font) {
  return Scaled(designPixels, QFontMetricsF(font).height() / kReferenceLineHeight);
}

int CellWidthFor(const QWidget* view, const QString& text) {
  // An item view leaves a focus-frame margin and one pixel on each side of
  // its text; the grid lines take one more, and a little room keeps the
  // last character clear of the line.
  const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
  return view->fontMetrics().horizontalAdvance(text) + 2 * margin + 4;
}

}  // namespace zvonar
