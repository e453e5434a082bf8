#include "app/program.h"

#include <QApplication>

#include "platform/application.h"
#include "ui/main.h"

int RunProgram(int argc, char* argv[]) {
  // The layout is in fixed pixels: no scaling with the screen's resolution.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  QApplication qt(argc, argv);
  platform::Application.Initialize();
  platform::Application.SetTitle("Tovra-2 Asnychronous Serial (UART) Demo");
  TMainForm form;
  form.show();
  return platform::Application.Run();
}
