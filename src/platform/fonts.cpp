#include "platform/fonts.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <map>
#include <tuple>
#include <vector>

#include "platform/forms.h"

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
}

namespace {
std::vector<std::string> Substitutes(const std::string& name) {
  // MS Sans Serif holds bitmaps of a few heights only; Tahoma is its scalable relative.
  if (name == "MS Sans Serif") return {"Tahoma", "Liberation Sans", "DejaVu Sans"};
  if (name == "Arial Narrow") return {"Liberation Sans Narrow", "Liberation Sans", "DejaVu Sans"};
  return {"Liberation Sans", "DejaVu Sans"};
}

QFont Font(const std::string& family, const TFontSpec& spec) {
  QFont font(QString::fromStdString(family));
  font.setPixelSize(spec.pixelHeight);
  font.setBold(spec.bold);
  return font;
}
}  // namespace

QFont MakeFont(const TFontSpec& spec) {
  static std::map<std::tuple<std::string, int, bool>, QFont> made;
  const auto key = std::make_tuple(spec.name, spec.pixelHeight, spec.bold);
  if (auto it = made.find(key); it != made.end()) return it->second;

  std::vector<std::string> candidates{spec.name};
  for (const std::string& twin : Substitutes(spec.name)) candidates.push_back(twin);
  QFont chosen = Font(spec.name, spec);
  for (const std::string& family : candidates) {
    const QFont font = Font(family, spec);
    const QFontInfo drawn(font);
    if (drawn.family().toStdString() == family && drawn.pixelSize() == spec.pixelHeight &&
        drawn.bold() == spec.bold) {
      chosen = font;
      break;
    }
  }
  made[key] = chosen;
  return chosen;
}

std::string DrawnFamily(const TFontSpec& spec) {
  return QFontInfo(MakeFont(spec)).family().toStdString();
}

}  // namespace platform
