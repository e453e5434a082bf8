#include "platform/fonts.h"

#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

namespace platform {

void PrepareFonts() {
  static bool done = false;
  if (done) return;
  done = true;
  // Debian's Wine fonts are not on fontconfig's path.
  const QString wine = QStringLiteral("/usr/share/wine/fonts/");
  for (const char* file : {"tahoma.ttf", "tahomabd.ttf", "ms_sans_serif.ttf"}) {
    const QString path = wine + QLatin1String(file);
    if (QFileInfo::exists(path)) QFontDatabase::addApplicationFont(path);
  }
  const QStringList families = QFontDatabase::families();
  auto substitute = [&](const char* name, QStringList twins) {
    if (families.contains(QLatin1String(name))) return;
    twins << QStringLiteral("Liberation Sans") << QStringLiteral("DejaVu Sans");
    QFont::insertSubstitutions(QLatin1String(name), twins);
  };
  substitute("Arial", {});
  substitute("Arial Narrow", {QStringLiteral("Liberation Sans Narrow")});
  substitute("Tahoma", {});
  substitute("MS Sans Serif", {});
}

std::string DrawnFamily(const std::string& name, int pixelHeight, bool bold) {
  QFont font(QString::fromStdString(name));
  font.setPixelSize(pixelHeight);
  font.setBold(bold);
  return QFontInfo(font).family().toStdString();
}

}  // namespace platform
