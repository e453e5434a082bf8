// The command buttons over in-memory ports on the virtual clock: frames, pauses, polling paused
// and restored, failures, nesting.
#include <gtest/gtest.h>

#include "form_fixture.h"
#include "protocol/tovra_konstante.h"

using namespace platform;

namespace {

// A name for each request or frame the encoder received.
std::string Name(const ByteString& frame) {
  if (frame.size() == 1) return frame;
  if (frame == FrameMultiturnReset) return "M";
  if (frame == FrameFactoryReset) return "r";
  if (frame == FrameSave) return "c";
  if (frame == FrameSelfCalStart) return "A";
  if (frame.size() == 9 && frame[4] == 'Z')
    return "Z" + std::to_string(protocol::ReadUnsigned(frame, 6, 4));
  return "?";
}

class OperationsTest : public FormTest {
 protected:
  explicit OperationsTest(uint32_t clockStart = 100000) : FormTest(clockStart) {}
  // An encoder at rest at `counts` of its 2^18 (multiturn, 40 s self-calibration limit).
  sim::MemoryDevice& Encoder(double counts = 1000.5, sim::LinkOptions link = {}) {
    sim::EncoderConfig config;
    config.startDegrees = counts * 360.0 / 262144.0;
    config.degreesPerSecond = 0.0;
    return comm.AddDevice("/dev/ttyUSB0", config, link);
  }
  // Runs the search that creation scheduled; polling is on afterwards.
  void Found() {
    Application.DispatchFor(200);
    ASSERT_TRUE(form->cbBeriEnkoder->Checked());
  }
  // What the encoder received from `from` on (identification left out), with its times.
  std::vector<std::string> Received(sim::MemoryDevice& d, size_t from = 0,
                                    std::vector<sim::ReceivedFrame>* frames = nullptr) {
    std::vector<std::string> names;
    const auto& all = d.engine().Frames();
    for (size_t i = from; i < all.size(); ++i) {
      if (all[i].bytes == "v") continue;
      names.push_back(Name(all[i].bytes));
      if (frames) frames->push_back(all[i]);
    }
    return names;
  }
  using Names = std::vector<std::string>;
};

TEST_F(OperationsTest, SetZeroSendsItsSequenceWithPausesOf100Ms) {
  sim::MemoryDevice& device = Encoder(238068.5);  // reads 238066 once "Z" with 2 has shifted it
  Found();
  const size_t before = device.engine().Frames().size();
  form->btnSTzero->Click();

  std::vector<sim::ReceivedFrame> frames;
  EXPECT_EQ(Received(device, before, &frames), (Names{"Z2", "M", "1", "Z238066", "3", "M", "c"}));
  EXPECT_EQ(frames[3].bytes, UnlockPrefix + "Z" + Bytes({0x00, 0x03, 0xA1, 0xF2}));
  // From the end of one exchange (its last byte, then 1 ms) to the first byte of the next.
  for (size_t i = 1; i < frames.size(); ++i) {
    const uint32_t start = frames[i].at - 2 * static_cast<uint32_t>(frames[i].bytes.size() - 1);
    EXPECT_EQ(start - (frames[i - 1].at + 1), 100u) << i;
  }
  EXPECT_TRUE(form->cbBeriEnkoder->Checked());
  EXPECT_TRUE(messages.empty());

  // Polling goes on from the first request, and the encoder now reads zero.
  Application.DispatchFor(50);
  EXPECT_EQ(Received(device, before).back(), "1");
  EXPECT_EQ(form->ST_value, 0);
  EXPECT_EQ(form->pnlAbsPosCnt->Caption(), "0");
}

TEST_F(OperationsTest, SetZeroIsRefusedWhileThePositionIsInError) {
  sim::MemoryDevice& device = Encoder();
  Found();
  form->Encoder_Error = true;
  const size_t before = device.engine().Frames().size();
  form->btnSTzero->Click();
  EXPECT_TRUE(Received(device, before).empty());
  EXPECT_TRUE(form->cbBeriEnkoder->Checked());
  EXPECT_TRUE(form->TimerBeriEnkoder->Enabled());
  EXPECT_TRUE(messages.empty());
}

TEST_F(OperationsTest, SetZeroWithPollingOffPollsAtTheIndexItFinds) {
  struct Case {
    uint8_t index;
    std::string first, second;
  };
  for (const Case& c : {Case{4, "s", "t"}, Case{0, "1", "3"}, Case{6, "a", "1"}}) {
    SCOPED_TRACE(int(c.index));
    sim::MemoryBackend ports;
    sim::MemoryDevice& device = ports.AddDevice("/dev/ttyUSB0");
    form->InitTimer->SetEnabled(false);
    form->InitTimerTimer(form->InitTimer);  // identified: the profile fits the device
    form->cbBeriEnkoder->SetChecked(false);
    TrenutniUkazIdx() = c.index;
    form->btnSTzero->Click();
    const Names names = Received(device);
    ASSERT_EQ(names.size(), 7u);
    EXPECT_EQ(names[2], c.first);
    EXPECT_EQ(names[4], c.second);
    EXPECT_FALSE(form->cbBeriEnkoder->Checked());
    EXPECT_FALSE(form->TimerBeriEnkoder->Enabled());
    form->CloseComPort();
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(OperationsTest, MultiturnResetResumesPollingAtOnceFactoryResetAfter500Ms) {
  struct Case {
    TButton* TMainForm::*button;
    std::string frame;
    uint32_t firstPollAfterFrame;  // the frame's exchange (1 ms), the pause, one interval
  };
  for (const Case& c : {Case{&TMainForm::btnMTzero, "M", 1 + 50},
                        Case{&TMainForm::btnResetFactory, "r", 1 + 500 + 50}}) {
    SCOPED_TRACE(c.frame);
    sim::MemoryBackend ports;
    sim::MemoryDevice& device = ports.AddDevice("/dev/ttyUSB0");
    form->InitTimer->SetEnabled(false);
    form->InitTimerTimer(form->InitTimer);
    Application.DispatchFor(2 * 50);  // "1", "3"
    (form.get()->*c.button)->Click();
    Application.DispatchFor(600);
    std::vector<sim::ReceivedFrame> frames;
    const Names names = Received(device, 0, &frames);
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ((Names{names[0], names[1], names[2], names[3]}), (Names{"1", "3", c.frame, "1"}));
    EXPECT_EQ(frames[3].at - frames[2].at, c.firstPollAfterFrame);
    EXPECT_TRUE(form->cbBeriEnkoder->Checked());
    form->CloseComPort();
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(OperationsTest, AFrameThatDoesNotGoOutIsReported) {
  struct Case {
    const char* what;
    TButton* TMainForm::*button;
    bool port;  // a port is open
    std::function<bool(uint8_t, uint64_t)> writeFails;
    std::vector<ShownMessage> shown;
    Names sent;
    bool pollingAfter;
  };
  const ShownMessage cable{"Cable disconnected!", mtWarning};
  // Bytes written after identification ("v"): set zero's Z 9, M 9, poll 1, Z 9, poll 1, M 9.
  auto failsFrom = [](uint64_t first) {
    return [first](uint8_t, uint64_t index) { return index >= 1 + first; };
  };
  const Case cases[] = {
      {"multiturn reset, no port",
       &TMainForm::btnMTzero,
       false,
       nullptr,
       {{"Set multitirn failed!", mtError}},
       {},
       true},
      {"factory reset, no port",
       &TMainForm::btnResetFactory,
       false,
       nullptr,
       {{"Command failed!", mtError}},
       {},
       true},
      {"set zero, no port: stops at once",
       &TMainForm::btnSTzero,
       false,
       nullptr,
       {{"Set zero offset failed!", mtError}},
       {},
       false},
      {"multiturn reset, write fails",
       &TMainForm::btnMTzero,
       true,
       failsFrom(0),
       {cable, {"Set multitirn failed!", mtError}},
       {},
       true},
      {"set zero, the save frame fails",
       &TMainForm::btnSTzero,
       true,
       failsFrom(9 + 9 + 1 + 9 + 1 + 9),
       {cable, {"Value Save failed!", mtError}},
       {"Z2", "M", "1", "Z0", "3", "M"},
       false},
      {"set zero, the second multiturn reset fails",
       &TMainForm::btnSTzero,
       true,
       failsFrom(9 + 9 + 1 + 9 + 1),
       {cable, {"Set multitirn failed!", mtError}, {"Value Save failed!", mtError}},
       {"Z2", "M", "1", "Z0", "3"},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim::MemoryBackend ports;
    sim::LinkOptions link;
    link.writeFails = c.writeFails;
    sim::EncoderConfig config;
    config.startDegrees = 2.0 * 360.0 / 262144.0 + 1e-9;  // reads 0 once shifted by 2
    config.degreesPerSecond = 0.0;
    sim::MemoryDevice& device = ports.AddDevice("/dev/ttyUSB0", config, link);
    form->InitTimer->SetEnabled(false);
    form->InitTimerTimer(form->InitTimer);  // identified, polling on
    if (!c.port) form->CloseComPort();
    form->cbBeriEnkoder->SetChecked(true);
    messages.clear();
    (form.get()->*c.button)->Click();
    EXPECT_EQ(messages, c.shown);
    EXPECT_EQ(Received(device), c.sent);
    EXPECT_EQ(form->cbBeriEnkoder->Checked(), c.pollingAfter);
    form->cbBeriEnkoder->SetChecked(false);
    form->CloseComPort();
  }
}

TEST_F(OperationsTest, SetZeroStopsWhenItsPositionComesBackInError) {
  sim::MemoryDevice& device = Encoder();
  Found();
  device.engine().Config().positionError = true;
  const size_t before = device.engine().Frames().size();
  form->btnSTzero->Click();
  EXPECT_EQ(Received(device, before), (Names{"Z2", "M", "1"}));  // no zero at a bad position
  EXPECT_EQ(messages, (std::vector<ShownMessage>{{"Set zero offset failed!", mtError}}));
  EXPECT_FALSE(form->cbBeriEnkoder->Checked());
}

TEST_F(OperationsTest, AClickDuringAPauseRunsANestedOperation) {
  sim::MemoryDevice& device = Encoder();
  Found();
  const size_t before = device.engine().Frames().size();
  // Once, 50 ms into the first pause of set zero, the user clicks it again; then factory reset.
  int clicks = 0;
  TTimer user(form.get());
  user.SetInterval(50);
  user.SetOnTimer([&](TObject*) {
    if (++clicks == 1) form->btnSTzero->Click();
    if (clicks == 2) form->btnResetFactory->Click();
    if (clicks >= 2) user.SetEnabled(false);
  });
  form->btnSTzero->Click();
  const Names names = Received(device, before);
  EXPECT_EQ(std::count(names.begin(), names.end(), "c"), 2);
  EXPECT_EQ(std::count(names.begin(), names.end(), "r"), 1);
  EXPECT_EQ(names.front(), "Z2");
  EXPECT_TRUE(form->cbBeriEnkoder->Checked());  // the outer run puts back what it found
  EXPECT_TRUE(messages.empty());
  Application.DispatchFor(100);
  EXPECT_TRUE(device.IsOpen());
}

class SelfCalTest : public OperationsTest {
 protected:
  explicit SelfCalTest(uint32_t clockStart = 100000) : OperationsTest(clockStart) {}
  // An encoder whose calibration takes `ms` and ends with `status`; found and polled.
  sim::MemoryDevice& Calibrating(uint32_t ms, uint8_t status = 0x01,
                                 const char* partNumber = "QRA03-1B18M-CC14") {
    sim::EncoderConfig config;
    config.partNumber = partNumber;
    config.calibrationMs = ms;
    config.calibrationStatus = status;
    sim::MemoryDevice& device = comm.AddDevice("/dev/ttyUSB0", config);
    Found();
    return device;
  }
  std::vector<TColor> Panels() {
    std::vector<TColor> c;
    for (TPanel* p :
         {form->pnlAselfCalFinished, form->pnlAselfCalTimeout, form->pnlAselfCalOutOfRange,
          form->pnlAselfCalParamOutOfRange, form->pnlAselfCalNoCorrection,
          form->pnlASelfCalUserErrMap, form->pnlAselfCalSucessfull})
      c.push_back(p->Color());
    return c;
  }
  // Times of the status requests.
  std::vector<uint32_t> StatusRequests(sim::MemoryDevice& d) {
    std::vector<uint32_t> at;
    for (const sim::ReceivedFrame& f : d.engine().Frames())
      if (f.bytes == "i") at.push_back(f.at);
    return at;
  }
};

TEST_F(SelfCalTest, ASuccessfulRunReportsAndFillsTheBar) {
  sim::MemoryDevice& device = Calibrating(3000);
  EXPECT_EQ(Panels(), std::vector<TColor>(7, clSilver));
  const size_t before = device.engine().Frames().size();
  const uint32_t click = clock.Now();
  form->btnStartSelfCal->Click();

  std::vector<sim::ReceivedFrame> frames;
  const Names names = Received(device, before, &frames);
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ((Names{names[0], names[1], names[2]}), (Names{"A", "i", "i"}));
  EXPECT_EQ(frames[0].at - click, 100u + 8);         // the pause, then five bytes 2 ms apart
  EXPECT_EQ(frames[1].at - frames[0].at, 1u + 100);  // the frame's exchange, the pause
  EXPECT_EQ(frames[2].at - frames[1].at, 1u + 500);
  EXPECT_EQ(std::count(names.begin(), names.end(), "i"), 1 + 6);  // finished after 3 s

  EXPECT_EQ(form->lblAselfCalResult->Caption(), kSelfCalReport);
  EXPECT_EQ(Panels(),
            (std::vector<TColor>{clGreen, clGray, clGray, clGray, clGray, clGray, clLime}));
  EXPECT_EQ(form->progBarCal->Max(), 400);
  EXPECT_EQ(form->progBarCal->Position(), 400);  // a success is a full bar
  EXPECT_TRUE(form->cbBeriEnkoder->Checked());
  EXPECT_TRUE(messages.empty());
  Application.DispatchFor(50);
  EXPECT_EQ(Received(device, before).back(), "1");  // polling from the first request
}

TEST_F(SelfCalTest, OutcomesLightTheirPanels) {
  struct Case {
    uint8_t status;
    std::vector<TColor> panels;
    bool success;
  };
  const TColor g = clGray;
  const Case cases[] = {
      {0x05, {clGreen, clRed, g, g, g, g, g}, false},
      {0x09, {clGreen, g, clRed, g, g, g, g}, false},
      {0x11, {clGreen, g, g, clRed, g, g, g}, false},
      {0x21, {clGreen, g, g, g, clOrange, g, g}, false},
      {0x41, {clGreen, g, g, g, g, clLime, clLime}, true},
  };
  sim::MemoryDevice& device = Calibrating(1000);
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.status));
    device.engine().Config().calibrationStatus = c.status;
    form->btnStartSelfCal->Click();
    EXPECT_EQ(Panels(), c.panels);
    EXPECT_EQ(form->progBarCal->Position(), c.success ? 400 : 0);
    EXPECT_TRUE(form->cbBeriEnkoder->Checked());
  }
  // No correction necessary: after equals before.
  device.engine().Config().calibrationStatus = 0x21;
  form->btnStartSelfCal->Click();
  EXPECT_NE(form->lblAselfCalResult->Caption().find("after calib.: \u00B10.187"),
            std::string::npos);
  EXPECT_TRUE(messages.empty());
}

TEST_F(SelfCalTest, AnUnchangedStatusEndsOnTheTimeLimit) {
  struct Case {
    const char* partNumber;
    uint32_t limitMs;
  };
  for (const Case& c : {Case{"QRA05xxx16Mxxx41", 10000}, Case{"QRA03-1B18M-CC14", 40000}}) {
    SCOPED_TRACE(c.partNumber);
    sim::MemoryBackend ports;
    sim::EncoderConfig config;
    config.partNumber = c.partNumber;
    config.calibrationMs = 100000;
    sim::MemoryDevice& device = ports.AddDevice("/dev/ttyUSB0", config);
    form->InitTimer->SetEnabled(false);
    form->InitTimerTimer(form->InitTimer);
    form->btnStartSelfCal->Click();
    const std::vector<uint32_t> at = StatusRequests(device);
    // The first pass past the limit by more than half a tenth is the last.
    const uint32_t span = at.back() - at.front();
    EXPECT_GT(span, c.limitMs + 50);
    EXPECT_LE(span, c.limitMs + 50 + 502);
    EXPECT_EQ(Panels()[0], clGray);
    EXPECT_EQ(Panels()[6], clGray);
    EXPECT_EQ(form->progBarCal->Position(), 0);
    EXPECT_TRUE(form->cbBeriEnkoder->Checked());
    form->CloseComPort();
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(SelfCalTest, AStatusRequestWithoutAReplyStopsTheRun) {
  struct Case {
    const char* what;
    uint32_t silentAfterMs;  // from the click; 0: no port at all
  };
  for (const Case& c :
       {Case{"first status request", 150}, Case{"in the loop", 1500}, Case{"no port", 0}}) {
    SCOPED_TRACE(c.what);
    sim::MemoryBackend ports;
    sim::EncoderConfig config;
    config.calibrationMs = 100000;
    sim::MemoryDevice& device = ports.AddDevice("/dev/ttyUSB0", config);
    form->InitTimer->SetEnabled(false);
    form->InitTimerTimer(form->InitTimer);
    if (c.silentAfterMs == 0) form->CloseComPort();
    form->cbBeriEnkoder->SetChecked(true);
    TTimer silence(form.get());
    silence.SetInterval(c.silentAfterMs ? c.silentAfterMs : 100000);
    silence.SetOnTimer([&](TObject*) { device.engine().Config().silent = true; });
    messages.clear();
    const uint32_t click = clock.Now();
    form->btnStartSelfCal->Click();
    EXPECT_EQ(messages, (std::vector<ShownMessage>{{"Command failed!", mtError}}));
    EXPECT_FALSE(form->cbBeriEnkoder->Checked());  // left off
    EXPECT_LT(clock.Now() - click, c.silentAfterMs + 1000);
    EXPECT_EQ(device.IsOpen(), c.silentAfterMs != 0);
    silence.SetEnabled(false);
    form->CloseComPort();
  }
}

TEST_F(SelfCalTest, ClosingTheWindowDuringAPauseEndsTheRunAndClosesThePort) {
  sim::MemoryDevice& device = Calibrating(100000);
  const uint32_t click = clock.Now();
  {
    TTimer closer(form.get());
    closer.SetInterval(1000);
    closer.SetOnTimer([&](TObject*) { form->close(); });
    form->btnStartSelfCal->Click();
  }
  EXPECT_TRUE(Application.Terminated());
  EXPECT_LT(clock.Now() - click, 1000u + 300);  // one more pass, without its pause
  EXPECT_TRUE(form->cbBeriEnkoder->Checked());  // put back as it was
  form.reset();
  EXPECT_FALSE(device.IsOpen());
}

class WrappingSelfCalTest : public SelfCalTest {
 protected:
  WrappingSelfCalTest() : SelfCalTest(0xFFFFFFFFu - 5000) {}
};

TEST_F(WrappingSelfCalTest, TheTimeLimitHoldsAcrossTheTickCounterWrap) {
  sim::MemoryDevice& device = Calibrating(100000, 0x01, "QRA05xxx16Mxxx41");
  form->btnStartSelfCal->Click();
  const std::vector<uint32_t> at = StatusRequests(device);
  EXPECT_LT(at.back(), at.front());  // it did wrap
  EXPECT_GT(at.back() - at.front(), 10050u);
  EXPECT_LE(at.back() - at.front(), 10050u + 502);
}

}  // namespace
