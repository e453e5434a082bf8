// Qt Serial Port on a pseudo-terminal, the simulated encoder on the far side, in real time.
#include <gtest/gtest.h>

#include <memory>

#include "platform/application.h"
#include "platform/comm.h"
#include "platform/dialogs.h"
#include "serial/exchange.h"
#include "sim/pty_host.h"
#include "ui/main.h"

using namespace platform;

namespace {

// Opens `path` at `baud`, 8N1.
THandle OpenAt(const std::string& path, uint32_t baud) {
  const THandle h = CreateFileW(path);
  if (h == INVALID_HANDLE_VALUE) return h;
  DCB dcb;
  GetCommState(h, dcb);
  dcb.BaudRate = baud;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  SetCommState(h, dcb);
  return h;
}

class PtyTest : public ::testing::TestWithParam<uint32_t> {
 protected:
  void SetUp() override {
    Application.Reset();
    SetMessageDlgHandler([this](const std::string& text, TMsgDlgType) {
      messages.push_back(text);
      return mrOk;
    });
    form = std::make_unique<TMainForm>();
  }
  void TearDown() override {
    form.reset();
    SetMessageDlgHandler(nullptr);
  }

  std::unique_ptr<TMainForm> form;
  std::vector<std::string> messages;
};

TEST_P(PtyTest, IdentificationAtTheEncodersRateOnly) {
  const uint32_t rate = GetParam();
  sim::PtyHost host({}, rate);
  std::string error;
  ASSERT_TRUE(host.Start(&error)) << error;

  form->ComID = OpenAt(host.SlavePath(), 115200);
  ASSERT_NE(form->ComID, INVALID_HANDLE_VALUE);
  ByteString reply;
  EXPECT_EQ(SendCommand(form->ComID, "v", 42, reply), kReplyMissing);
  EXPECT_TRUE(reply.empty());

  DCB dcb;
  GetCommState(form->ComID, dcb);
  dcb.BaudRate = rate;
  SetCommState(form->ComID, dcb);
  ASSERT_EQ(SendCommand(form->ComID, "v", 42, reply), kReplyComplete);
  ASSERT_EQ(reply.size(), 42u);
  EXPECT_EQ(reply.substr(0, 9), "vTovra-2 ");

  // Only the second request was heard, at the rate it was sent at.
  const auto frames = host.Frames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].bytes, "v");
  EXPECT_EQ(host.RatesSeen(), (std::vector<uint32_t>{115200, rate}));

  form->CloseComPort();
  EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(CustomRates, PtyTest, ::testing::Values(128000u, 256000u));

TEST(PtyPortTest, OnlyCharacterDevicesAreOpened) {
  EXPECT_EQ(CreateFileW("/etc/hostname"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileW("/nonexistent/tty"), INVALID_HANDLE_VALUE);
}

TEST(PtyPortTest, FarSideGoneFailsTheWriteAndClosesThePort) {
  Application.Reset();
  std::vector<std::string> messages;
  SetMessageDlgHandler([&](const std::string& text, TMsgDlgType) {
    messages.push_back(text);
    return mrOk;
  });
  auto form = std::make_unique<TMainForm>();
  auto host = std::make_unique<sim::PtyHost>(sim::EncoderConfig{}, 115200);
  ASSERT_TRUE(host->Start());
  form->ComID = OpenAt(host->SlavePath(), 115200);
  ASSERT_NE(form->ComID, INVALID_HANDLE_VALUE);
  ByteString reply;
  ASSERT_EQ(SendCommand(form->ComID, "1", 6, reply), kReplyComplete);

  host.reset();  // the cable is pulled
  const int first = SendCommand(form->ComID, "1", 6, reply);
  // Depending on when the hang-up is seen, this exchange or the next one finds it.
  if (first != kNoPort) {
    EXPECT_EQ(first, kReplyMissing);
    EXPECT_EQ(SendCommand(form->ComID, "1", 6, reply), kNoPort);
  }
  EXPECT_EQ(form->ComID, INVALID_HANDLE_VALUE);
  EXPECT_EQ(messages, (std::vector<std::string>{"Cable disconnected!"}));
  form.reset();
  SetMessageDlgHandler(nullptr);
}

}  // namespace
