#include "platform/fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QRawFont>
#include <map>
#include <tuple>
#include <vector>

#include "platform/forms.h"
#include "protocol/bytes.h"

namespace platform {

std::vector<QByteArray> BitmapSizeCopies(const QByteArray& font) {
  constexpr size_t kRecord = 48;  // one bitmapSize record of the EBLC table
  const ByteString bytes = font.toStdString();
  if (bytes.size() < 12) return {};
  // A big-endian number at a 0-based offset.
  const auto at = [&](size_t offset, size_t count) {
    return protocol::ReadUnsigned(bytes, offset + 1, count);
  };
  const uint64_t tables = at(4, 2);
  for (uint64_t i = 0; i < tables; ++i) {
    const size_t entry = 12 + 16 * i;
    if (entry + 16 > bytes.size()) return {};
    if (bytes.compare(entry, 4, "EBLC") != 0) continue;
    const size_t table = at(entry + 8, 4);
    if (table + 8 > bytes.size()) return {};
    const uint64_t sizes = at(table + 4, 4);
    if (table + 8 + sizes * kRecord > bytes.size()) return {};
    std::vector<QByteArray> copies;
    for (uint64_t n = 0; n < sizes; ++n) {
      // The record's offsets are relative to the table: only the slot and the count change.
      ByteString copy = bytes;
      copy.replace(table + 8, kRecord, bytes, table + 8 + n * kRecord, kRecord);
      copy.replace(table + 4, 4, ByteString("\0\0\0\1", 4));
      copies.push_back(QByteArray::fromStdString(copy));
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
  // Latin text only: the shaping step costs layout time and changes nothing here.
  chosen.setStyleStrategy(QFont::PreferNoShaping);
  made[key] = chosen;
  return chosen;
}

std::string DrawnFamily(const TFontSpec& spec) {
  return QRawFont::fromFont(MakeFont(spec)).familyName().toStdString();
}

}  // namespace platform
