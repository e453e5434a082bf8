// The window's icon, drawn by the program itself.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <string>

// A small dial with its needle, at 32 x 32 and 16 x 16 pixels, in a handful of solid colours.
QIcon WindowIcon();

// The same picture at `size` pixels (needs the toolkit's application object).
QPixmap IconPicture(int size);

// The same picture as SVG, for a scalable icon.
std::string IconSvg();
