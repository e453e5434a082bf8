#include "ui/icon.h"

#include <QPainter>
#include <QPixmap>
#include <cstdio>

#include "platform/forms.h"

namespace {
QColor Rgb(platform::TColor c) {
  return platform::ToQColor(c);
}

}  // namespace

QPixmap IconPicture(int size) {
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

std::string IconSvg() {
  auto hex = [](platform::TColor c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(c & 0xFFFFFF));
    return std::string(text);
  };
  // The 32-pixel picture's shapes, scalable.
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
         "viewBox=\"0 0 32 32\">\n"
         "<circle cx=\"15.5\" cy=\"15.5\" r=\"14\" fill=\"" +
         hex(platform::clWhite) + "\" stroke=\"" + hex(platform::clBlack) +
         "\" stroke-width=\"2\"/>\n"
         "<line x1=\"16\" y1=\"16\" x2=\"8\" y2=\"8\" stroke=\"" +
         hex(platform::clBlue) +
         "\" stroke-width=\"3\"/>\n"
         "<rect x=\"14\" y=\"14\" width=\"5\" height=\"5\" fill=\"" +
         hex(platform::clRed) + "\"/>\n</svg>\n";
}

QIcon WindowIcon() {
  QIcon icon;
  icon.addPixmap(IconPicture(32));
  icon.addPixmap(IconPicture(16));
  return icon;
}
