// The window's icon, drawn by the program itself.
#pragma once

#include <QIcon>

// A small dial with its needle, at 32 x 32 and 16 x 16 pixels, in a handful of solid colours.
QIcon WindowIcon();
