// The windows were laid out in pixels for an 8-point Windows font on a
// 96-DPI screen. These helpers turn such design pixels into pixels of the
// font a widget really uses, so that a larger or wider font gets room.
#pragma once

class QFont;
class QString;
class QWidget;

namespace zvonar {

// `designPixels` across, scaled by how much wider the letters of `font` are
// than the reference font's (its 52 Latin letters average 6 pixels).
int ScaleWidth(int designPixels, const QFont& font);

// `designPixels` down, scaled by how much higher a line of `font` is than a
// line of the reference font (13 pixels).
int ScaleHeight(int designPixels, const QFont& font);

// Width of a cell of the report list or grid `view` that shows `text` in
// the view's font without cutting it.
int CellWidthFor(const QWidget* view, const QString& text);

}  // namespace zvonar
