// Poll replies decoded into the window, and the polling cycle over in-memory ports.
#include <gtest/gtest.h>

#include <QEvent>
#include <QTest>

#include "form_fixture.h"
#include "protocol/tovra_konstante.h"
#include "ui/raw_view.h"

using namespace platform;

namespace {

const char* const kDeg = "\u00B0";

class DecodingTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->InitTimer->SetEnabled(false);
    Profile(20, 0);
    form->show();  // so that a repaint paints
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  void Profile(uint8_t bits, uint8_t multiturn) {
    form->resolucija_bitov = bits;
    form->Enkoder_CPR = 1 << bits;
    form->Singleturn_maska = (1u << bits) - 1;
    form->Multiturn = multiturn;
    form->AirGapK = -71.04f;
    form->AirGapN = 682.0f;
  }
  void Reply(uint8_t index, const ByteString& bytes) {
    RxBuffer() = bytes;
    form->ProcessReply(index);
  }
};

TEST_F(DecodingTest, PositionRepliesReachTheStateAndThePanels) {
  struct Row {
    const char* what;
    uint8_t multiturn, index;
    ByteString reply;
    bool error;
    int32_t st;
    int16_t mt;
    float kot;
    std::string degrees, counts, turns;
    TColor colour;
  };
  const std::string dashes = "-  -  -  -  -";
  const Row rows[] = {
      {"top of the scale", 0, 1, Bytes({0x31, 0xFF, 0xFF, 0xF2}), false, 1048575, 0, 359.99966f,
       std::string("360.00 ") + kDeg, "1048575", "0", clWhite},
      {"in error", 0, 1, Bytes({0x31, 0xFF, 0xFF, 0xF0}), true, 1048575, 0, 359.99966f, dashes,
       dashes, dashes, clLightRed},
      {"a good position again", 0, 1, Bytes({0x31, 0x40, 0x00, 0x02}), false, 262144, 0, 90.0f,
       std::string("90.00 ") + kDeg, "262144", "0", clWhite},
      {"multiturn -1", 1, 2, Bytes({0xFF, 0xFF, 0x00, 0x00, 0x02}), false, 0, -1, 0.0f,
       std::string("0.00 ") + kDeg, "0", "-1", clWhite},
      {"multiturn -32768", 1, 1, Bytes({0x31, 0x80, 0x00, 0x80, 0x00, 0x02}), false, 524288, -32768,
       180.0f, std::string("180.00 ") + kDeg, "524288", "-32768", clWhite},
  };
  PaintCounter dial(form->PaintBoxKot);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Profile(20, r.multiturn);
    form->ST_value = -1;
    form->kot = -1.0f;
    const int paints = dial.paints;
    Reply(r.index, r.reply);
    EXPECT_EQ(form->Encoder_Error, r.error);
    EXPECT_EQ(form->ST_value, r.st);
    EXPECT_EQ(form->MT_value, r.mt);
    EXPECT_FLOAT_EQ(form->kot, r.kot);
    EXPECT_EQ(form->pnlAbsPosDeg->Caption(), r.degrees);
    EXPECT_EQ(form->pnlAbsPosCnt->Caption(), r.counts);
    EXPECT_EQ(form->pnlAbsPosMT->Caption(), r.turns);
    EXPECT_EQ(form->pnlAbsPosDeg->Color(), r.colour);
    EXPECT_EQ(dial.paints - paints, r.error ? 0 : 1);  // at once, not at the next dispatch
    EXPECT_TRUE(RxBuffer().empty());
  }
  EXPECT_LT(form->MTST_value, 0);
}

TEST_F(DecodingTest, StatusWordColoursAllFourteenPanels) {
  const std::vector<TPanel*> panels = {
      form->pnlMultiturnErr,  form->pnlClipADC,         form->pnlAmplitudaHi,
      form->pnlAsicReset,     form->pnlSyncErr,         form->pnlNoOffsetTable,
      form->pnlAError,        form->pnlAWarning,        form->pnlAmplitudaWarn,
      form->pnlAmplitudaErr,  form->pnlTemperaturaAsic, form->pnlVref_out_of_range,
      form->pnlInvalidPNcode, form->pnlSkokPozicije};
  // Bits 15 to 8, 6 to 3, 1 and 0, in the panels' order above.
  const std::vector<TColor> on = {clLightRed, clRed,    clOrange, clRed,    clRed, clRed, clRed,
                                  clOrange,   clOrange, clRed,    clOrange, clRed, clRed, clRed};
  auto colours = [&] {
    std::vector<TColor> c;
    for (TPanel* p : panels) c.push_back(p->Color());
    return c;
  };
  auto status = [&](uint16_t word) { Reply(3, Bytes({'d', 0, 0, 2, word >> 8, word & 0xFF})); };

  Reply(1, Bytes({'1', 0, 0, 2}));
  EXPECT_EQ(colours(), std::vector<TColor>(14, clSilver));  // no status reply yet
  status(0xFFFF);
  EXPECT_EQ(colours(), on);
  status(0x0084);  // only the bits without a panel
  EXPECT_EQ(colours(), std::vector<TColor>(14, clGray));
  status(0xFFFF);
  status(0x0000);
  EXPECT_EQ(colours(), std::vector<TColor>(14, clGray));
  status(0x0201);
  std::vector<TColor> two(14, clGray);
  two[6] = clRed;   // "Error"
  two[13] = clRed;  // "Accelerat Err"
  EXPECT_EQ(colours(), two);
  // Shown while the position is in error as well.
  Reply(3, Bytes({'d', 0, 0, 0, 0x80, 0x00}));
  EXPECT_EQ(form->pnlMultiturnErr->Color(), clLightRed);
}

TEST_F(DecodingTest, MeasurementsReachTheirLabels) {
  struct Row {
    uint8_t index;
    ByteString reply;
    TLabel* TMainForm::*label;
    std::string text;
  };
  const std::string gap = " (\u00B120) \u00B5m";
  const Row rows[] = {
      {4, Bytes({'s', 0, 0, 2, 0xFF, 0xFF, 0xFF}), &TMainForm::lblSpeed, "Speed: -1"},
      {4, Bytes({'s', 0, 0, 2, 0x01, 0xE2, 0x40}), &TMainForm::lblSpeed, "Speed: 123,456"},
      {4, Bytes({'s', 0, 0, 0, 0x01, 0xE2, 0x40}), &TMainForm::lblSpeed, "Speed: - - - - -"},
      {5, Bytes({'t', 0, 0, 2, 0xE7}), &TMainForm::lblTempAsic_C,
       std::string("Temp: -25 ") + kDeg + "C"},
      {5, Bytes({'t', 0, 0, 0, 0x1F}), &TMainForm::lblTempAsic_C,
       std::string("Temp: 31 ") + kDeg + "C"},
      {6, Bytes({'a', 0, 0, 2, 0x00, 0x00}), &TMainForm::lblSignalLevel, "Signal level: 0"},
      {6, Bytes({'a', 0, 0, 2, 0x00, 0x00}), &TMainForm::lblTovraairGap, "Air gap: 682" + gap},
      {6, Bytes({'a', 0, 0, 2, 0x03, 0xE8}), &TMainForm::lblSignalLevel, "Signal level: 1000"},
      {6, Bytes({'a', 0, 0, 2, 0x03, 0xE8}), &TMainForm::lblTovraairGap, "Air gap: 191" + gap},
      {6, Bytes({'a', 0, 0, 0, 0xFF, 0xFF}), &TMainForm::lblSignalLevel, "Signal level: 65535"},
      {6, Bytes({'a', 0, 0, 0, 0xFF, 0xFF}), &TMainForm::lblTovraairGap, "Air gap: -106" + gap},
  };
  for (const Row& r : rows) {
    Reply(r.index, r.reply);
    EXPECT_EQ((form.get()->*r.label)->Caption(), r.text) << r.text;
  }
  // Each label keeps its text through the replies to the other requests.
  Reply(1, Bytes({'1', 0, 0, 2}));
  Reply(4, Bytes({'s', 0, 0, 2, 0, 0, 7}));
  EXPECT_EQ(form->lblTovraairGap->Caption(), "Air gap: -106" + gap);
  EXPECT_EQ(form->lblSpeed->Caption(), "Speed: 7");

  // A profile without air-gap data.
  form->AirGapK = form->AirGapN = 0.0f;
  Reply(6, Bytes({'a', 0, 0, 2, 0x03, 0xE8}));
  EXPECT_EQ(form->lblTovraairGap->Caption(), "Air gap: 0" + gap);
}

TEST_F(DecodingTest, BlinkerTogglesAndEveryReplyIsARawLine) {
  EXPECT_EQ(form->pnlComm->Color(), clBtnFace);
  const ByteString longer = Bytes({0x31, 0x80, 0x00, 0x02, 0xEE, 0xEE});
  Reply(1, longer);
  EXPECT_EQ(form->pnlComm->Color(), clYellow);
  EXPECT_EQ(form->pnlAbsPosCnt->Caption(), "524288");  // the bytes beyond are ignored
  Reply(2, Bytes({0x00, 0x00, 0x02}));
  EXPECT_EQ(form->pnlComm->Color(), clBlue);
  Reply(3, Bytes({'d', 0, 0, 0, 0, 0}));  // in error: still a processed reply
  EXPECT_EQ(form->pnlComm->Color(), clYellow);
  EXPECT_EQ(form->lblRxBuffer2->Caption(), RawReplyLine('1', longer) +
                                               RawReplyLine('3', Bytes({0, 0, 2})) +
                                               RawReplyLine('d', Bytes({'d', 0, 0, 0, 0, 0})));
}

// The number of bytes on the last line of a raw reply label.
size_t LastLineBytes(const std::string& caption) {
  const size_t end = caption.size() - 2;  // CR LF
  const size_t begin = caption.rfind("\r\n", end - 1);
  const size_t line = begin == std::string::npos ? 0 : begin + 2;
  return (end - line - 2) / 3;  // the request and a blank, then three characters a byte
}

// An encoder on the first port, found by the search that creation schedules.
class PollingTest : public FormTest {
 protected:
  sim::MemoryDevice& Encoder(sim::EncoderConfig config = {}) {
    return comm.AddDevice("/dev/ttyUSB0", std::move(config));
  }
  // Runs until the search has found the encoder; returns when it did.
  uint32_t Found() {
    Application.DispatchFor(200);
    EXPECT_TRUE(form->cbBeriEnkoder->Checked());
    return clock.Now();
  }
  // The requests the encoder received after identification, and when.
  std::string Polls(sim::MemoryDevice& d, std::vector<uint32_t>* at = nullptr) {
    std::string requests;
    for (const sim::ReceivedFrame& f : d.engine().Frames()) {
      if (f.bytes == "v") continue;
      requests += f.bytes;
      if (at) at->push_back(f.at);
    }
    return requests;
  }
};

TEST_F(PollingTest, CycleRunsFromDetectionOnwardsAndWraps) {
  sim::EncoderConfig config;
  config.status = 0x0100;
  config.temperature = -5;
  config.signalLevel = 1000;
  sim::MemoryDevice& device = Encoder(config);
  const uint32_t found = Found();
  Application.DispatchFor(13 * 50);
  std::vector<uint32_t> at;
  EXPECT_EQ(Polls(device, &at), "13dsta13dsta1");
  for (size_t i = 0; i < at.size(); ++i) EXPECT_EQ(at[i] - found, 50 * (i + 1)) << i;
  EXPECT_EQ(TrenutniUkazIdx(), 2);

  // What the simulator sent is on the screen.
  EXPECT_EQ(form->pnlAWarning->Color(), clOrange);
  EXPECT_EQ(form->pnlAError->Color(), clGray);
  EXPECT_EQ(form->lblTempAsic_C->Caption(), std::string("Temp: -5 ") + kDeg + "C");
  EXPECT_EQ(form->lblSignalLevel->Caption(), "Signal level: 1000");
  // The simulator's part number has code length 7: -83.62 and 846.1.
  EXPECT_EQ(form->lblTovraairGap->Caption(), "Air gap: 268 (\u00B120) \u00B5m");
  EXPECT_EQ(form->pnlAbsPosDeg->Color(), clWhite);
  EXPECT_NE(form->lblRxBuffer1->Caption(), "lblRxBuffer1");
  EXPECT_EQ(form->lblRxBuffer2->Caption().substr(0, 4), "1 31");
  EXPECT_TRUE(messages.empty());
}

TEST_F(PollingTest, EveryReplyIsAwaitedAtItsFullLength) {
  struct Device {
    const char* partNumber;
    std::vector<size_t> lengths;
  };
  for (const Device& d : {Device{"QRA03-1B20S-CC14", {4, 3, 6, 7, 5, 6}},
                          Device{"QRA03-1B20M-CC14", {6, 5, 8, 9, 7, 8}}}) {
    SCOPED_TRACE(d.partNumber);
    sim::MemoryBackend ports;
    sim::EncoderConfig config;
    config.partNumber = d.partNumber;
    sim::MemoryDevice& device = ports.AddDevice("/dev/ttyUSB0", config);
    form->InitTimer->SetEnabled(false);
    form->InitTimerTimer(form->InitTimer);
    ASSERT_TRUE(form->cbBeriEnkoder->Checked());
    form->cbBeriEnkoder->SetChecked(false);  // the steps are run by hand
    for (uint8_t index = 1; index <= 6; ++index) {
      SCOPED_TRACE(int(index));
      // One byte short: the step waits for it, in vain.
      device.engine().Config().shortBy = 1;
      TrenutniUkazIdx() = index;
      form->BeriPozicijo();
      EXPECT_EQ(form->ComID, INVALID_HANDLE_VALUE);
      // In full: decoded, the whole reply on a raw line.
      device.engine().Config().shortBy = 0;
      form->InitTimerTimer(form->InitTimer);
      form->cbBeriEnkoder->SetChecked(false);
      TLabel* raw = TMainFormAccess::BufDisp(*form) == 1 ? form->lblRxBuffer1 : form->lblRxBuffer2;
      TrenutniUkazIdx() = index;
      form->BeriPozicijo();
      ASSERT_NE(form->ComID, INVALID_HANDLE_VALUE);
      EXPECT_EQ(LastLineBytes(raw->Caption()), d.lengths[index - 1]);
    }
  }
}

TEST_F(PollingTest, UncheckingAndCheckingAgainRestartsAtTheFirstRequest) {
  sim::MemoryDevice& device = Encoder();
  Found();
  Application.DispatchFor(3 * 50);
  form->cbBeriEnkoder->SetChecked(false);
  Application.DispatchFor(500);
  form->cbBeriEnkoder->SetChecked(true);
  Application.DispatchFor(2 * 50);
  EXPECT_EQ(Polls(device), "13d13");
}

TEST_F(PollingTest, AnUnansweredRequestHandsBackToDetection) {
  sim::MemoryDevice& device = Encoder();
  Found();
  Application.DispatchFor(2 * 50);
  const std::string raw = form->lblRxBuffer2->Caption();
  device.engine().Config().silent = true;
  Application.DispatchFor(50);  // "d" goes unanswered

  EXPECT_EQ(Polls(device), "13d");
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(form->ComID, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(form->cbBeriEnkoder->Checked());
  EXPECT_FALSE(form->TimerBeriEnkoder->Enabled());
  EXPECT_TRUE(form->InitTimer->Enabled());
  EXPECT_EQ(TrenutniUkazIdx(), 2);
  EXPECT_EQ(form->pnlAbsPosDeg->Caption(), "not connected");
  EXPECT_EQ(form->lblSpeed->Caption(), "- - - - -");
  EXPECT_EQ(form->lblRxBuffer2->Caption(), raw);  // no line for the failed exchange
  EXPECT_TRUE(messages.empty());

  // The next search, 800 ms on, finds the encoder again and polling starts at "1".
  device.engine().Config().silent = false;
  Application.DispatchFor(800);
  EXPECT_TRUE(form->cbBeriEnkoder->Checked());
  EXPECT_EQ(device.activity().opens, 2);
  Application.DispatchFor(50);
  EXPECT_EQ(Polls(device), "13d1");
}

TEST_F(PollingTest, ReadEncoderCheckedWithoutAPortLeadsBackToDetection) {
  form->InitTimer->SetEnabled(false);
  form->cbBeriEnkoder->SetChecked(true);
  Application.DispatchFor(49);
  EXPECT_FALSE(form->InitTimer->Enabled());
  Application.DispatchFor(1);
  EXPECT_TRUE(form->InitTimer->Enabled());
  EXPECT_FALSE(form->cbBeriEnkoder->Checked());
  EXPECT_EQ(form->pnlAbsPosDeg->Caption(), "not connected");
  EXPECT_EQ(TrenutniUkazIdx(), 2);
  EXPECT_TRUE(messages.empty());
}

TEST_F(PollingTest, AFailedWriteWarnsOnceAndHandsBackToDetection) {
  sim::LinkOptions link;
  link.writeFails = [](uint8_t, uint64_t index) { return index == 3; };  // "v", "1", "3", "d"
  sim::MemoryDevice& device = comm.AddDevice("/dev/ttyUSB0", {}, link);
  Found();
  Application.DispatchFor(3 * 50);
  EXPECT_EQ(messages, (std::vector<ShownMessage>{{"Cable disconnected!", mtWarning}}));
  EXPECT_FALSE(device.IsOpen());
  EXPECT_FALSE(form->cbBeriEnkoder->Checked());
  EXPECT_TRUE(form->InitTimer->Enabled());
  EXPECT_EQ(form->pnlAbsPosDeg->Caption(), "not connected");
}

TEST_F(PollingTest, AStepBeforePollingWasEverOnSendsTheFirstRequest) {
  sim::MemoryDevice& device = Encoder();
  form->InitTimer->SetEnabled(false);
  OpenPort("/dev/ttyUSB0");
  ASSERT_EQ(TrenutniUkazIdx(), 0);
  form->BeriPozicijo();
  EXPECT_EQ(Polls(device), "1");
  EXPECT_EQ(TrenutniUkazIdx(), 2);
  TrenutniUkazIdx() = 200;
  form->BeriPozicijo();
  EXPECT_EQ(Polls(device), "11");
}

}  // namespace
