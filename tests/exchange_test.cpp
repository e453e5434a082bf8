// The request/reply exchange and closing the port, on the virtual clock.
#include "serial/exchange.h"

#include <functional>
#include <optional>

#include "form_fixture.h"
#include "protocol/tovra_konstante.h"
#include "ui/texts.h"

using namespace platform;

namespace {

const char* kPort = "/dev/ttySIM0";

struct ExchangeCase {
  const char* name;
  uint32_t clockStart;
  std::function<void(sim::EncoderConfig&, sim::LinkOptions&)> setup;
  bool open;
  ByteString request;
  int32_t expected;
  int result;
  std::optional<size_t> replySize;  // nothing: the reply must be untouched
  uint32_t minMs, maxMs;            // time the call takes
  bool portStaysOpen;
};

void PrintTo(const ExchangeCase& c, std::ostream* os) {
  *os << c.name;
}

const ByteString kKept = "kept";

// Reply to "v" from the default engine.
ByteString Identification() {
  sim::Engine engine;
  ByteString reply;
  reply = engine.Receive('v', 0);
  return reply;
}

std::vector<ExchangeCase> Cases() {
  auto none = [](sim::EncoderConfig&, sim::LinkOptions&) {};
  return {
      {"NoPort", 100000, none, false, "v", 42, kNoPort, std::nullopt, 0, 0, false},
      {"EmptyRequest", 100000, none, true, "", 42, kNoPort, std::nullopt, 0, 0, true},
      {"ExtraBytesAreKept", 100000,
       [](sim::EncoderConfig& c, sim::LinkOptions&) { c.extraBytes = 3; }, true, "v", 42,
       kReplyComplete, 45, 1, 1, true},
      {"PiecesAppendedInOrder", 100000,
       [](sim::EncoderConfig&, sim::LinkOptions& l) {
         l.pieces = 3;
         l.pieceGapMs = 60;
       },
       true, "v", 42, kReplyComplete, 42, 121, 123, true},
      {"NothingArrives", 100000, [](sim::EncoderConfig& c, sim::LinkOptions&) { c.silent = true; },
       true, "v", 42, kReplyMissing, 0, 202, 203, true},
      {"ThreeOfFive", 100000, [](sim::EncoderConfig& c, sim::LinkOptions&) { c.shortBy = 2; }, true,
       "3", 5, kReplyMissing, 3, 202, 203, true},
      {"NoReplyExpected", 100000, [](sim::EncoderConfig& c, sim::LinkOptions&) { c.silent = true; },
       true, FrameSave, 0, kReplyComplete, 0, 9, 9, true},
      {"LastWriteFails", 100000,
       [](sim::EncoderConfig&, sim::LinkOptions& l) {
         l.writeFails = [](uint8_t, uint64_t index) { return index == 4; };
       },
       true, FrameSave, 0, kNoPort, std::nullopt, 8, 8, false},
      {"EarlierWriteFails", 100000,
       [](sim::EncoderConfig&, sim::LinkOptions& l) {
         l.writeFails = [](uint8_t, uint64_t index) { return index == 1; };
       },
       true, FrameSave + "v", 42, kReplyComplete, 42, 11, 12, true},
      {"TickCounterWrapsWhileNothingArrives", 0xFFFFFFFFu - 50,
       [](sim::EncoderConfig& c, sim::LinkOptions&) { c.silent = true; }, true, "v", 42,
       kReplyMissing, 0, 202, 203, true},
      {"TickCounterWrapsWhileReplyArrives", 0xFFFFFFFFu - 50,
       [](sim::EncoderConfig&, sim::LinkOptions& l) {
         l.pieces = 2;
         l.pieceGapMs = 100;
       },
       true, "v", 42, kReplyComplete, 42, 101, 101, true},
  };
}

class ExchangeTest : public FormTest, public ::testing::WithParamInterface<ExchangeCase> {
 protected:
  ExchangeTest() : FormTest(GetParam().clockStart) {}
};

TEST_P(ExchangeTest, ResultReplyAndTiming) {
  const ExchangeCase& c = GetParam();
  sim::EncoderConfig config;
  sim::LinkOptions link;
  c.setup(config, link);
  sim::MemoryDevice& device = comm.AddDevice(kPort, config, link);
  if (c.open) OpenPort(kPort);
  form->cbBeriEnkoder->SetChecked(true);
  const auto before = device.activity();

  ByteString reply = kKept;
  const uint32_t start = clock.Now();
  const int result = SendCommand(form->ComID, c.request, c.expected, reply);
  const uint32_t took = clock.Now() - start;

  EXPECT_EQ(result, c.result);
  if (c.replySize) {
    EXPECT_EQ(reply.size(), *c.replySize);
  } else {
    EXPECT_EQ(reply, kKept);
  }
  EXPECT_GE(took, c.minMs);
  EXPECT_LE(took, c.maxMs);
  EXPECT_EQ(form->ComID != INVALID_HANDLE_VALUE, c.portStaysOpen);

  const auto& after = device.activity();
  if (!c.open || c.request.empty()) {
    // Nothing purged, written or read; nothing shown.
    EXPECT_EQ(after.purgesRx, before.purgesRx);
    EXPECT_EQ(after.purgesTx, before.purgesTx);
    EXPECT_EQ(after.writes, before.writes);
    EXPECT_TRUE(messages.empty());
  } else {
    EXPECT_EQ(after.purgesTx, before.purgesTx + 1);
    EXPECT_EQ(after.purgesRx, before.purgesRx + 1);
    // Every byte is written, whatever an earlier write returned.
    EXPECT_EQ(after.writes, before.writes + c.request.size());
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ExchangeTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

class ExchangeDetailTest : public FormTest {};

TEST_F(ExchangeDetailTest, PiecesAreAppendedInOrderOfArrival) {
  sim::LinkOptions link;
  link.pieces = 4;
  link.pieceGapMs = 30;
  comm.AddDevice(kPort, {}, link);
  OpenPort(kPort);
  ByteString reply;
  ASSERT_EQ(SendCommand(form->ComID, "v", 42, reply), kReplyComplete);
  EXPECT_EQ(reply, Identification());
}

TEST_F(ExchangeDetailTest, RequestBytesGoOutTwoMillisecondsApart) {
  sim::MemoryDevice& device = comm.AddDevice(kPort);
  OpenPort(kPort);
  const uint32_t start = clock.Now();
  ByteString reply;
  ASSERT_EQ(SendCommand(form->ComID, protocol::WithValue(FrameZeroOffset, 70000), 0, reply),
            kReplyComplete);
  ASSERT_EQ(device.engine().Frames().size(), 1u);
  // Nine bytes: the last one 8 × 2 ms after the first.
  EXPECT_EQ(device.engine().Frames()[0].at - start, 16u);
  EXPECT_EQ(device.activity().written, protocol::WithValue(FrameZeroOffset, 70000));
}

TEST_F(ExchangeDetailTest, FailedLastWriteClosesThePortBeforeWarning) {
  sim::LinkOptions link;
  link.writeFails = [](uint8_t, uint64_t) { return true; };
  sim::MemoryDevice& device = comm.AddDevice(kPort, {}, link);
  OpenPort(kPort);
  form->cbBeriEnkoder->SetChecked(true);
  form->pnlAbsPosDeg->SetCaption("12.00 °");

  // What the window shows while the box is up.
  std::string shownWhileBoxUp;
  bool pollingWhileBoxUp = true;
  platform::SetMessageDlgHandler([&](const std::string& text, TMsgDlgType type) {
    messages.push_back({text, type});
    shownWhileBoxUp = form->pnlAbsPosDeg->Caption();
    pollingWhileBoxUp = form->TimerBeriEnkoder->Enabled();
    return mrOk;
  });

  ByteString reply = kKept;
  EXPECT_EQ(SendCommand(form->ComID, "1", 4, reply), kNoPort);
  EXPECT_EQ(reply, kKept);
  EXPECT_EQ(messages, (std::vector<ShownMessage>{{"Cable disconnected!", mtWarning}}));
  EXPECT_EQ(shownWhileBoxUp, kNotConnectedText);
  EXPECT_FALSE(pollingWhileBoxUp);
  EXPECT_FALSE(form->cbBeriEnkoder->Checked());
  EXPECT_EQ(form->ComID, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(device.IsOpen());
}

TEST_F(ExchangeDetailTest, AnUnpluggedPortFailsTheWrite) {
  sim::MemoryDevice& device = comm.AddDevice(kPort);
  OpenPort(kPort);
  device.Unplug();
  ByteString reply;
  EXPECT_EQ(SendCommand(form->ComID, "1", 4, reply), kNoPort);
  EXPECT_EQ(form->ComID, INVALID_HANDLE_VALUE);
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(ExchangeDetailTest, BytesLeftOverFromAnEarlierExchangeAreDiscarded) {
  sim::EncoderConfig config;
  config.extraBytes = 5;
  comm.AddDevice(kPort, config);
  OpenPort(kPort);
  ByteString reply;
  // Nothing is awaited: the answer to "v" is still arriving when the exchange returns.
  ASSERT_EQ(SendCommand(form->ComID, "v", 0, reply), kReplyComplete);
  clock.Advance(50);
  ASSERT_EQ(SendCommand(form->ComID, "1", 6, reply), kReplyComplete);
  EXPECT_EQ(reply[0], '1');
  EXPECT_EQ(reply.size(), 6u + 5u);
}

// --- CloseComPort

class CloseComPortTest : public FormTest {};

TEST_F(CloseComPortTest, ResetsTheConnectionDisplaysAndClosesThePort) {
  sim::MemoryDevice& device = comm.AddDevice(kPort);
  OpenPort(kPort);
  form->cbBeriEnkoder->SetChecked(true);
  form->lblHeader->SetColor(clLime);
  form->pnlAError->SetColor(clRed);
  form->pnlAbsPosDeg->SetColor(clLightRed);
  form->pnlAbsPosMT->SetVisible(true);
  form->pnlAbsPosMT->SetCaption("-3");
  form->lblAselfCalResult->SetCaption("Counter: 1");
  RxBuffer() = "left";

  form->CloseComPort();

  EXPECT_FALSE(form->cbBeriEnkoder->Checked());
  EXPECT_FALSE(form->TimerBeriEnkoder->Enabled());
  EXPECT_EQ(TrenutniUkazIdx(), 1);
  EXPECT_EQ(form->ComID, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(device.activity().closes, 1);
  EXPECT_TRUE(form->rgBaudrate->Enabled());

  for (auto* label :
       {form->lblSpeed, form->lblSignalLevel, form->lblTovraairGap, form->lblTempAsic_C})
    EXPECT_EQ(label->Caption(), "- - - - -");
  EXPECT_EQ(form->pnlAbsPosDeg->Caption(), "not connected");
  EXPECT_EQ(form->pnlAbsPosCnt->Caption(), "- - - - -");
  EXPECT_EQ(form->lblHeader->Caption(), "Header: ");
  EXPECT_EQ(form->lblHeader->Color(), clBtnFace);
  EXPECT_EQ(form->lblSerijska_prebrana->Caption(), "Serial number: ");
  EXPECT_EQ(form->lblIdent_prebran->Caption(), "Part number: ");
  EXPECT_EQ(form->lblFW_verzija->Caption(), "Firmware ver.: ");
  EXPECT_EQ(form->lblResolucija->Caption(), "Resolution: ");
  EXPECT_EQ(form->lblAselfCalResult->Caption(), "...");

  // Left as they were.
  EXPECT_EQ(RxBuffer(), "left");
  EXPECT_EQ(form->pnlAError->Color(), clRed);
  EXPECT_EQ(form->pnlAbsPosDeg->Color(), clLightRed);
  EXPECT_TRUE(form->pnlAbsPosMT->Visible());
  EXPECT_EQ(form->pnlAbsPosMT->Caption(), "-3");
  EXPECT_EQ(form->rgBaudrate->ItemIndex(), 0);
}

TEST_F(CloseComPortTest, WithoutAPortOrPollingClosesNothingAndRunsNoHandler) {
  sim::MemoryDevice& device = comm.AddDevice(kPort);
  TrenutniUkazIdx() = 4;
  form->CloseComPort();
  EXPECT_EQ(TrenutniUkazIdx(), 4);  // the click handler did not run
  EXPECT_EQ(form->ComID, INVALID_HANDLE_VALUE);
  EXPECT_EQ(device.activity().closes, 0);
  EXPECT_EQ(form->pnlAbsPosDeg->Caption(), "not connected");
  EXPECT_TRUE(form->rgBaudrate->Enabled());
}

}  // namespace
