// The real window on an X display (Xvfb), saved as a PNG and checked at known pixels.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "platform/application.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "platform/qt_comm.h"
#include "sim/memory_port.h"
#include "sim/pty_host.h"
#include "sim/registration.h"
#include "ui/main.h"
#include "ui/window_fonts.h"

using namespace platform;

namespace {

QRgb Rgb(TColor c) {
  return qRgb((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

QRgb At(const QImage& shot, int x, int y) {
  return shot.pixel(x, y) & 0xFFFFFF;
}

struct Spot {
  const char* what;
  int x, y;
  TColor colour;
};

void ExpectSpots(const QImage& shot, std::initializer_list<Spot> spots) {
  for (const Spot& spot : spots)
    EXPECT_EQ(At(shot, spot.x, spot.y), Rgb(spot.colour) & 0xFFFFFF)
        << spot.what << " at " << spot.x << "," << spot.y;
}

// The window's pixels as the screen shows them, saved under `name`.
QImage Shot(TMainForm& form, const char* name) {
  const QPoint origin = form.mapToGlobal(QPoint(0, 0));
  const QImage shot =
      form.screen()->grabWindow(0, origin.x(), origin.y(), form.width(), form.height()).toImage();
  QDir().mkpath(QStringLiteral(TOVRA2_SCREENSHOT_DIR));
  const QString file = QStringLiteral(TOVRA2_SCREENSHOT_DIR "/") + QString::fromLatin1(name);
  EXPECT_TRUE(shot.save(file));
  std::printf("screenshot: %s\n", qPrintable(file));
  return shot;
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

  const QImage shot = Shot(form, "main_window.png");
  for (const TFontSpec* font : {&kWindowFont, &kIdentityFont, &kSwitchFont, &kPositionFont,
                                &kMeasurementFont, &kIndicatorFont, &kIndicatorBoldFont})
    std::printf("font \"%s\" %d px%s: drawn with \"%s\"\n", font->name.c_str(), font->pixelHeight,
                font->bold ? " bold" : "", DrawnFamily(*font).c_str());

  ASSERT_EQ(shot.size(), QSize(719, 429));
  auto at = [&](int x, int y) { return At(shot, x, y); };
  ExpectSpots(shot, {
                        {"window background", 700, 5, clBtnFace},
                        {"status panel Error", 293, 144, clSilver},
                        {"status panel Multiturn Err", 373, 252, clSilver},
                        {"self-calibration panel Procedure finished", 494, 183, clSilver},
                        {"self-calibration panel Calibration successfull", 494, 297, clSilver},
                        {"counts panel", 185, 51, clWhite},
                        {"degrees panel", 185, 88, clWhite},
                        {"header label", form.lblHeader->x(), form.lblHeader->y(), clWhite},
                        {"header label, far end", form.lblHeader->geometry().right(),
                         form.lblHeader->y(), clWhite},
                        {"dial circle, bottom", 232, 232, clBlack},
                        {"dial centre, needle", 232, 175, clBlue},
                    });

  // The header label's white rectangle is 46 x 16 at (7, 174), its text in MS Sans Serif 10 pt.
  ExpectSpots(shot, {{"header label, top left", 7, 174, clWhite},
                     {"header label, bottom right", 52, 189, clWhite},
                     {"right of the header label", 53, 180, clBtnFace},
                     {"below the header label", 7, 190, clBtnFace}});

  // The needle points straight up: blue near (232, 133), 2 pixels wide.
  int blue = 0;
  for (int x = 230; x <= 234; ++x) blue += at(x, 136) == (Rgb(clBlue) & 0xFFFFFF);
  EXPECT_EQ(blue, 2);
  // The multiturn panel is hidden: the window's face shows where it would be.
  EXPECT_EQ(at(185, 14), Rgb(clBtnFace) & 0xFFFFFF);
  SetMessageDlgHandler(nullptr);
}

TEST(ScreenshotTest, PollingTheSimulatedEncoder) {
  if (QGuiApplication::platformName() != QLatin1String("xcb"))
    GTEST_SKIP() << "needs an X display: run under xvfb-run";
  // The simulator on a pseudo-terminal, registered as the only port, in real time.
  char folder[] = "/tmp/tovra2-shot-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  ::setenv("XDG_RUNTIME_DIR", folder, 1);
  SystemComm().SetListSystemPorts(false);
  sim::EncoderConfig config;  // a multiturn device
  config.startDegrees = 90.0;
  config.degreesPerSecond = 0.0;
  config.startTurns = 7;
  config.status = 0x8300;  // "Multiturn Err", "Error", "Warning"
  sim::PtyHost host(config, 115200);
  ASSERT_TRUE(host.Start());
  ASSERT_FALSE(sim::RegisterVirtualPort("sim0", host.SlavePath()).empty());

  Application.Reset();
  SetMessageDlgHandler([](const std::string&, TMsgDlgType) { return mrOk; });
  {
    TMainForm form;
    form.move(0, 0);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // Found, then a whole cycle: every display has had its reply.
    for (int i = 0; i < 300 && form.lblTovraairGap->Caption().rfind("Air gap", 0) != 0; ++i)
      Application.DispatchFor(10);
    ASSERT_TRUE(form.cbBeriEnkoder->Checked());
    ASSERT_EQ(form.pnlAbsPosDeg->Caption(), "90.00 \u00B0");
    Application.DispatchFor(100);

    const QImage shot = Shot(form, "main_window_polling.png");
    ASSERT_EQ(shot.size(), QSize(719, 429));
    auto at = [&](int x, int y) { return At(shot, x, y); };
    ExpectSpots(shot, {
                          {"status panel Error", 293, 144, clRed},
                          {"status panel Warning", 373, 144, clOrange},
                          {"status panel Multiturn Err", 373, 252, clLightRed},
                          {"status panel Sensor Init", 293, 162, clGray},
                          {"status panel Accelerat Err", 373, 198, clGray},
                          {"degrees panel", 185, 88, clWhite},
                          {"counts panel", 185, 51, clWhite},
                          {"multiturn panel, shown", 185, 14, clWhite},
                          {"dial centre, needle", 232, 183, clBlue},
                      });
    // The selected port's row is 13 pixels high.
    const QRgb row = at(60, 21);
    EXPECT_NE(row, Rgb(clWhite) & 0xFFFFFF);
    int rowHeight = 0;
    for (int y = 10; y <= 40; ++y) rowHeight += at(60, y) == row;
    EXPECT_EQ(rowHeight, 13);

    // The needle points left, at 90 degrees: 2 pixels thick half-way along, none upwards.
    int blue = 0;
    for (int y = 178; y <= 188; ++y) blue += at(207, y) == (Rgb(clBlue) & 0xFFFFFF);
    EXPECT_EQ(blue, 2);
    for (int y = 136; y <= 170; ++y) EXPECT_NE(at(232, y), Rgb(clBlue) & 0xFFFFFF) << y;
  }
  SetMessageDlgHandler(nullptr);
  SystemComm().SetListSystemPorts(true);
  ::unsetenv("XDG_RUNTIME_DIR");
  std::system((std::string("rm -rf '") + folder + "'").c_str());
}

}  // namespace
