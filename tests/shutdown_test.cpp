// Ending the program at awkward moments: a terminate signal during a search, the window closed
// during an operation's pause or while one of its message boxes is up. Each ends promptly, and
// the port is closed with the window.
#include <gtest/gtest.h>

#include <csignal>

#include "form_fixture.h"
#include "protocol/tovra_konstante.h"

using namespace platform;

namespace {

class ShutdownTest : public FormTest {};

TEST_F(ShutdownTest, ATerminateSignalStopsASearchAfterItsCurrentExchange) {
  Application.Initialize();
  sim::EncoderConfig silent;
  silent.silent = true;
  sim::LinkOptions link;
  link.writeFails = [](uint8_t, uint64_t index) {
    if (index == 0) std::raise(SIGTERM);  // while the first request goes out
    return false;
  };
  sim::MemoryDevice& first = comm.AddDevice("/dev/ttyS0", silent, link);
  sim::MemoryDevice& second = comm.AddDevice("/dev/ttyUSB0");
  form->InitTimer->SetEnabled(false);
  const uint32_t t0 = clock.Now();
  form->InitTimerTimer(form->InitTimer);
  EXPECT_TRUE(Application.Terminated());
  EXPECT_EQ(form->rgBaudrate->ItemIndex(), 0);  // one rate, its exchange run out
  EXPECT_LE(clock.Now() - t0, 210u);
  EXPECT_EQ(second.activity().opens, 0);
  EXPECT_FALSE(form->InitTimer->Enabled());
  EXPECT_EQ(Application.Run(), 0);  // the event loop does not start
  form.reset();
  EXPECT_FALSE(first.IsOpen());
  EXPECT_TRUE(messages.empty());
}

// The window is closed `closeAfterMs` after the click (0: from the first message box).
struct Moment {
  const char* what;
  TButton* TMainForm::*button;
  uint32_t closeAfterMs;
  bool writesFail;
  size_t boxes;           // message boxes shown in all
  uint32_t endsWithinMs;  // after the close: the rest of the run, without its pauses
};

TEST_F(ShutdownTest, ClosingTheWindowDuringAnOperationEndsItAndClosesThePort) {
  const Moment moments[] = {
      {"set zero, in a pause", &TMainForm::btnSTzero, 50, false, 0, 150},
      {"factory reset, in its pause", &TMainForm::btnResetFactory, 100, false, 0, 5},
      {"self-calibration, in a pause", &TMainForm::btnStartSelfCal, 1200, false, 0, 250},
      {"multiturn reset, its box up", &TMainForm::btnMTzero, 0, true, 2, 5},
      {"factory reset, its box up", &TMainForm::btnResetFactory, 0, true, 2, 5},
      {"set zero, its box up", &TMainForm::btnSTzero, 0, true, 2, 5},
      {"self-calibration, its box up", &TMainForm::btnStartSelfCal, 0, true, 2, 250},
  };
  for (const Moment& m : moments) {
    SCOPED_TRACE(m.what);
    Application.Reset();
    sim::MemoryBackend ports;
    sim::EncoderConfig config;
    config.calibrationMs = 100000;
    sim::LinkOptions link;
    bool failing = false;
    link.writeFails = [&](uint8_t, uint64_t) { return failing; };
    sim::MemoryDevice& device = ports.AddDevice("/dev/ttyUSB0", config, link);
    form = std::make_unique<TMainForm>();
    form->InitTimer->SetEnabled(false);
    form->InitTimerTimer(form->InitTimer);
    ASSERT_TRUE(form->cbBeriEnkoder->Checked());
    failing = m.writesFail;

    messages.clear();
    uint32_t closedAt = 0;
    SetMessageDlgHandler([&](const std::string& text, TMsgDlgType type) {
      messages.push_back({text, type});
      if (!Application.Terminated()) {
        closedAt = clock.Now();
        form->close();
      }
      return mrOk;
    });
    {
      TTimer closer(form.get());
      closer.SetInterval(m.closeAfterMs ? m.closeAfterMs : 100000);
      closer.SetOnTimer([&](TObject*) {
        closedAt = clock.Now();
        form->close();
      });
      (form.get()->*m.button)->Click();
    }

    EXPECT_TRUE(Application.Terminated());
    EXPECT_LE(clock.Now() - closedAt, m.endsWithinMs);
    EXPECT_EQ(messages.size(), m.boxes);
    form.reset();
    EXPECT_FALSE(device.IsOpen());
  }
}

}  // namespace
