#include "ui/Logo.h"

#include <QPainter>
#include <QPainterPath>

namespace zvonar {

QPixmap ZvonarLogo(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 100.0, size / 100.0);

  p.setPen(QPen(QColor(0x2E, 0x7D, 0x32), 3));
  p.setBrush(QColor(0xA5, 0xD6, 0xA7));
  p.drawEllipse(QRectF(4, 4, 92, 92));

  // The handset: two ear pieces joined by a bent grip.
  QPainterPath handset;
  handset.moveTo(24, 38);
  handset.cubicTo(22, 60, 40, 78, 62, 76);
  handset.lineTo(66, 66);
  handset.lineTo(56, 60);
  handset.lineTo(50, 66);
  handset.cubicTo(42, 62, 38, 58, 34, 50);
  handset.lineTo(40, 44);
  handset.lineTo(34, 34);
  handset.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x6A, 0x1B, 0x9A));
  p.drawPath(handset);

  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x6A, 0x1B, 0x9A), 4, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 3; ++i) {
    const qreal r = 10 + i * 8;
    p.drawArc(QRectF(56 - r, 44 - r, 2 * r, 2 * r), 0 * 16, 90 * 16);
  }
  return pixmap;
}

}  // namespace zvonar
