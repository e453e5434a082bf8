#include "platform/fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QRawFont>
#include <map>
#include <tuple>
#include <vector>

#include "platform/forms.h"

namespace platform {

namespace {

uint32_t Be32(const QByteArray& d, qsizetype at) {
  return (uint32_t(uint8_t(d[at])) << 24) | (uint32_t(uint8_t(d[at + 1])) << 16) |
         (uint32_t(uint8_t(d[at + 2])) << 8) | uint32_t(uint8_t(d[at + 3]));
}

void PutBe32(QByteArray& d, qsizetype at, uint32_t v) {
  for (int i = 0; i < 4; ++i) d[at + i] = char((v >> (24 - 8 * i)) & 0xFF);
}

}  // namespace

std::vector<QByteArray> BitmapSizeCopies(const QByteArray& font) {
  constexpr qsizetype kRecord = 48;  // one bitmapSize record of the EBLC table
  if (font.size() < 12) return {};
  const uint32_t tables = (uint32_t(uint8_t(font[4])) << 8) | uint8_t(font[5]);
  for (uint32_t i = 0; i < tables; ++i) {
    const qsizetype entry = 12 + 16 * qsizetype(i);
    if (entry + 16 > font.size()) return {};
    if (font.mid(entry, 4) != "EBLC") continue;
    const qsizetype table = Be32(font, entry + 8);
    if (table + 8 > font.size()) return {};
    const uint32_t sizes = Be32(font, table + 4);
    if (table + 8 + qsizetype(sizes) * kRecord > font.size()) return {};
    std::vector<QByteArray> copies;
    for (uint32_t n = 0; n < sizes; ++n) {
      // The record's offsets are relative to the table: only the slot and the count change.
      QByteArray copy = font;
      const qsizetype first = table + 8;
      copy.replace(first, kRecord, font.mid(first + qsizetype(n) * kRecord, kRecord));
      PutBe32(copy, table + 4, 1);
      copies.push_back(copy);
    }
    return copies;
  }
  return {};
}

void PrepareFonts() {
  static bool done = false;
  if (done) return;
  done = true;
  // Debian's Wine fonts are not on fontconfig's path.
  const QString wine = QStringLiteral("/usr/share/wine/fonts/");
  for (const char* file : {"tahoma.ttf", "tahomabd.ttf"}) {
    const QString path = wine + QLatin1String(file);
    if (QFile::exists(path)) QFontDatabase::addApplicationFont(path);
  }
  // Qt takes only the first size of a bitmap font with several: each size as a font of its own.
  QFile bitmaps(wine + QStringLiteral("ms_sans_serif.ttf"));
  if (bitmaps.open(QIODevice::ReadOnly))
    for (const QByteArray& copy : BitmapSizeCopies(bitmaps.readAll()))
      QFontDatabase::addApplicationFontFromData(copy);
}

namespace {
std::vector<std::string> Substitutes(const std::string& name) {
  // MS Sans Serif holds bitmaps of a few heights only; Tahoma is its scalable relative.
  if (name == "MS Sans Serif") return {"Tahoma", "Liberation Sans", "DejaVu Sans"};
  if (name == "Arial Narrow") return {"Liberation Sans Narrow", "Liberation Sans", "DejaVu Sans"};
  return {"Liberation Sans", "DejaVu Sans"};
}

QFont Font(const std::string& family, int pixelSize, const TFontSpec& spec) {
  QFont font(QString::fromStdString(family));
  font.setPixelSize(pixelSize);
  font.setBold(spec.bold);
  font.setStyleStrategy(QFont::NoFontMerging);
  if (spec.fullHinting) font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

// Whether `font` draws with glyphs of its own family at the height asked: the face that the
// text engine would use, not what the database says of the name.
bool DrawsAsAsked(const QFont& font, const std::string& family, int cellHeight, bool bold) {
  const QRawFont raw = QRawFont::fromFont(font);
  if (!raw.isValid() || raw.familyName().toStdString() != family) return false;
  for (char32_t c : {U'A', U'g', U'0', U'\u010D'})  // Central European letters too
    if (!raw.supportsCharacter(c)) return false;
  if (cellHeight > 0) {
    if (qRound(raw.ascent() + raw.descent()) != cellHeight) return false;
  } else if (qRound(raw.pixelSize()) != font.pixelSize()) {
    return false;
  }
  return (raw.weight() >= QFont::DemiBold) == bold;
}
}  // namespace

QFont MakeFont(const TFontSpec& spec) {
  static std::map<std::tuple<std::string, int, bool, int, bool>, QFont> made;
  const auto key =
      std::make_tuple(spec.name, spec.pixelHeight, spec.bold, spec.cellHeight, spec.fullHinting);
  if (auto it = made.find(key); it != made.end()) return it->second;

  QFont chosen = Font(spec.name, spec.pixelHeight, spec);
  const QFont named = Font(spec.name, spec.cellHeight ? spec.cellHeight : spec.pixelHeight, spec);
  if (DrawsAsAsked(named, spec.name, spec.cellHeight, spec.bold)) {
    chosen = named;
  } else {
    for (const std::string& family : Substitutes(spec.name)) {
      const QFont font = Font(family, spec.pixelHeight, spec);
      if (DrawsAsAsked(font, family, 0, spec.bold)) {
        chosen = font;
        break;
      }
    }
  }
  chosen.setStyleStrategy(QFont::PreferDefault);
  made[key] = chosen;
  return chosen;
}

std::string DrawnFamily(const TFontSpec& spec) {
  return QRawFont::fromFont(MakeFont(spec)).familyName().toStdString();
}

}  // namespace platform
