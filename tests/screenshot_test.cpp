// The real window on an X display (Xvfb), saved as a PNG and checked at known pixels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <cstdio>

#include "platform/application.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "sim/memory_port.h"
#include "ui/main.h"
#include "ui/window_fonts.h"

using namespace platform;

namespace {

QRgb Rgb(TColor c) {
  return qRgb((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

TEST(ScreenshotTest, MainWindowAtKnownPixels) {
  if (QGuiApplication::platformName() != QLatin1String("xcb"))
    GTEST_SKIP() << "needs an X display: run under xvfb-run";
  // No ports and a clock that stands still: the window as it opens, before any search.
  Application.Reset();
  VirtualClock clock;
  sim::MemoryBackend comm;
  SetMessageDlgHandler([](const std::string&, TMsgDlgType) { return mrOk; });
  TMainForm form;
  form.move(0, 0);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  QTest::qWait(300);

  const QPoint origin = form.mapToGlobal(QPoint(0, 0));
  const QImage shot =
      form.screen()->grabWindow(0, origin.x(), origin.y(), form.width(), form.height()).toImage();
  QDir().mkpath(QStringLiteral(TOVRA2_SCREENSHOT_DIR));
  const QString file = QStringLiteral(TOVRA2_SCREENSHOT_DIR "/main_window.png");
  ASSERT_TRUE(shot.save(file));
  std::printf("screenshot: %s\n", qPrintable(file));
  for (const TFontSpec* font : {&kWindowFont, &kIdentityFont, &kSwitchFont, &kPositionFont,
                                &kMeasurementFont, &kIndicatorFont, &kIndicatorBoldFont})
    std::printf("font \"%s\" %d px%s: drawn with \"%s\"\n", font->name.c_str(), font->pixelHeight,
                font->bold ? " bold" : "", DrawnFamily(*font).c_str());

  ASSERT_EQ(shot.size(), QSize(719, 429));
  auto at = [&](int x, int y) { return shot.pixel(x, y) & 0xFFFFFF; };
  struct Spot {
    const char* what;
    int x, y;
    TColor colour;
  };
  const Spot spots[] = {
      {"window background", 700, 5, clBtnFace},
      {"status panel Error", 293, 144, clSilver},
      {"status panel Multiturn Err", 373, 252, clSilver},
      {"self-calibration panel Procedure finished", 494, 183, clSilver},
      {"self-calibration panel Calibration successfull", 494, 297, clSilver},
      {"counts panel", 185, 51, clWhite},
      {"degrees panel", 185, 88, clWhite},
      {"header label", form.lblHeader->x(), form.lblHeader->y(), clWhite},
      {"header label, far end", form.lblHeader->geometry().right(), form.lblHeader->y(), clWhite},
      {"dial circle, bottom", 232, 232, clBlack},
      {"dial centre, needle", 232, 175, clBlue},
  };
  for (const Spot& spot : spots)
    EXPECT_EQ(at(spot.x, spot.y), Rgb(spot.colour) & 0xFFFFFF)
        << spot.what << " at " << spot.x << "," << spot.y;

  // The needle points straight up: blue near (232, 133), 2 pixels wide.
  int blue = 0;
  for (int x = 230; x <= 234; ++x) blue += at(x, 136) == (Rgb(clBlue) & 0xFFFFFF);
  EXPECT_EQ(blue, 2);
  // The multiturn panel is hidden: the window's face shows where it would be.
  EXPECT_EQ(at(185, 14), Rgb(clBtnFace) & 0xFFFFFF);
  SetMessageDlgHandler(nullptr);
}

}  // namespace
