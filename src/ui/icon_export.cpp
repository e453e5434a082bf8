// Writes the program's icon for installing: PNG at 16, 32 and 48 pixels, and SVG.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "ui/icon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tovra2-icons FOLDER\n");
    return 2;
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  const std::string folder = argv[1];
  for (int size : {16, 32, 48})
    if (!IconPicture(size).save(
            QString::fromStdString(folder + "/tovra2-" + std::to_string(size) + ".png")))
      return 1;
  std::ofstream svg(folder + "/tovra2.svg");
  svg << IconSvg();
  return svg ? 0 : 1;
}
