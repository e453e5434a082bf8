#include "ui/icon.h"

#include <QPainter>
#include <QPixmap>

#include "platform/forms.h"

namespace {
QColor Rgb(platform::TColor c) {
  return platform::ToQColor(c);
}

QPixmap Picture(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);  // no antialiasing: solid colours only
  const int m = size / 16;
  p.setPen(QPen(Rgb(platform::clBlack), std::max(1, m)));
  p.setBrush(Rgb(platform::clWhite));
  p.drawEllipse(m, m, size - 2 * m - 1, size - 2 * m - 1);
  p.setPen(QPen(Rgb(platform::clBlue), std::max(1, size / 10)));
  p.drawLine(size / 2, size / 2, size / 2 - size / 4, size / 4);
  p.setPen(Qt::NoPen);
  p.setBrush(Rgb(platform::clRed));
  p.drawRect(size / 2 - m, size / 2 - m, 2 * m + 1, 2 * m + 1);
  return pixmap;
}
}  // namespace

QIcon WindowIcon() {
  QIcon icon;
  icon.addPixmap(Picture(32));
  icon.addPixmap(Picture(16));
  return icon;
}
