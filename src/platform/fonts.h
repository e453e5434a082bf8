// The fonts the window names, where this system has them under other names or files.
#pragma once

#include <QByteArray>
#include <QFont>
#include <string>
#include <vector>

namespace platform {

struct TFontSpec;

// Copies of an sfnt font with bitmaps of several sizes, each listing only one of them in its
// EBLC table (in the table's order); none for a font without one.
std::vector<QByteArray> BitmapSizeCopies(const QByteArray& font);

// Loads Wine's Tahoma and MS Sans Serif where installed. Safe to call more than once.
void PrepareFonts();

// The named font where it can be drawn at the given pixel height and weight; otherwise the
// first substitute that can (Tahoma for MS Sans Serif, the Liberation metric twins for Arial
// and Arial Narrow, then a plain sans-serif face).
QFont MakeFont(const TFontSpec& spec);

// The family drawn for `spec`.
std::string DrawnFamily(const TFontSpec& spec);

}  // namespace platform
