// Qt Serial Port on a pseudo-terminal, the simulated encoder on the far side, in real time.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

#include "platform/application.h"
#include "platform/comm.h"
#include "platform/dialogs.h"
#include "platform/qt_comm.h"
#include "proc_stats.h"
#include "serial/discovery.h"
#include "serial/exchange.h"
#include "sim/pty_host.h"
#include "sim/registration.h"
#include "test_support.h"
#include "ui/main.h"

using namespace platform;

namespace {

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

TEST(PtyPortTest, WithWireTimeAReplyTakesTheLinesTime) {
  Application.Reset();
  SetMessageDlgHandler([](const std::string&, TMsgDlgType) { return mrOk; });
  auto form = std::make_unique<TMainForm>();
  sim::PtyHost host({}, 9600);
  host.SetWireTime(true);
  ASSERT_TRUE(host.Start());
  form->ComID = OpenAt(host.SlavePath(), 9600);
  ASSERT_NE(form->ComID, INVALID_HANDLE_VALUE);
  ByteString reply;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(SendCommand(form->ComID, "v", 42, reply), kReplyComplete);
  // 42 bytes of 10 bits at 9600 baud: never sooner than 43.75 ms.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(43750));
  form.reset();
  SetMessageDlgHandler(nullptr);
}

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

// Discovery with the real backend: the system's own ports are left alone, the simulated
// encoder is registered as a virtual port in a runtime folder of the test's own.
class PtyDiscoveryTest : public ::testing::TestWithParam<uint32_t> {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/tovra2-runtime-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    runtime_ = folder;
    ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    SystemComm().SetListSystemPorts(false);
    Application.Reset();
    SetMessageDlgHandler([this](const std::string& text, TMsgDlgType) {
      messages_.push_back(text);
      return mrOk;
    });
  }
  void TearDown() override {
    SetMessageDlgHandler(nullptr);
    SystemComm().SetListSystemPorts(true);
    ::unsetenv("XDG_RUNTIME_DIR");
    std::system(("rm -rf '" + runtime_ + "'").c_str());
  }
  std::string runtime_;
  std::vector<std::string> messages_;
};

TEST_P(PtyDiscoveryTest, FindsTheSimulatedEncoderAtItsRate) {
  const uint32_t rate = GetParam();
  sim::PtyHost host({}, rate);
  ASSERT_TRUE(host.Start());
  std::string error;
  ASSERT_FALSE(sim::RegisterVirtualPort("sim0", host.SlavePath(), &error).empty()) << error;
  // Links to anything but a terminal are never listed, so never opened.
  ASSERT_FALSE(sim::RegisterVirtualPort("a-file", "/etc/hostname").empty());
  ASSERT_FALSE(sim::RegisterVirtualPort("null", "/dev/null").empty());

  auto form = std::make_unique<TMainForm>();
  form->InitTimer->SetEnabled(false);
  form->InitTimerTimer(form->InitTimer);

  const std::string slave = host.SlavePath();
  ASSERT_EQ(form->listCom->Count(), 1);
  EXPECT_EQ(form->listCom->Item(0), "sim0  " + slave.substr(slave.rfind('/') + 1));
  EXPECT_TRUE(form->cbBeriEnkoder->Checked());
  EXPECT_NE(form->ComID, INVALID_HANDLE_VALUE);
  EXPECT_EQ(form->lblHeader->Caption(), "Header: Tovra-2");

  // Every rate up to the encoder's was tried in order; only the last was answered.
  std::vector<uint32_t> tried;
  for (uint32_t r : kBaudRates) {
    tried.push_back(r);
    if (r == rate) break;
  }
  EXPECT_EQ(host.RatesSeen(), tried);
  EXPECT_EQ(static_cast<size_t>(form->rgBaudrate->ItemIndex()), tried.size() - 1);
  const auto frames = host.Frames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].bytes, "v");
  form.reset();
}

// Dispatches events until `done` holds or `ms` have passed; whether it holds.
bool DispatchUntil(const std::function<bool()>& done, int ms) {
  for (int waited = 0; waited < ms && !done(); waited += 10) Application.DispatchFor(10);
  return done();
}

// The requests the encoder heard, one character each.
std::string Requests(sim::PtyHost& host) {
  std::string requests;
  for (const sim::ReceivedFrame& f : host.Frames()) requests += f.bytes;
  return requests;
}

TEST_F(PtyDiscoveryTest, PollsDecodesAndFindsTheEncoderAgainAfterItFellSilent) {
  sim::EncoderConfig config;  // a multiturn device, 18 bits
  config.startDegrees = 90.0;
  config.degreesPerSecond = 0.0;
  config.startTurns = -3;
  config.status = 0x4001;
  config.temperature = 42;
  config.signalLevel = 2000;
  sim::PtyHost host(config, 115200);
  ASSERT_TRUE(host.Start());
  ASSERT_FALSE(sim::RegisterVirtualPort("sim0", host.SlavePath()).empty());
  auto form = std::make_unique<TMainForm>();  // the first search comes 200 ms later

  // Two full cycles and more, in order, after identification.
  ASSERT_TRUE(DispatchUntil([&] { return Requests(host).size() >= 14; }, 5000));
  EXPECT_EQ(Requests(host).substr(0, 14), "v13dsta13dsta1");
  EXPECT_EQ(form->pnlAbsPosDeg->Caption(), "90.00 \u00B0");
  EXPECT_EQ(form->pnlAbsPosCnt->Caption(), "65536");
  EXPECT_EQ(form->pnlAbsPosMT->Caption(), "-3");
  EXPECT_TRUE(form->pnlAbsPosMT->Visible());
  EXPECT_EQ(form->pnlClipADC->Color(), clRed);
  EXPECT_EQ(form->pnlSkokPozicije->Color(), clRed);
  EXPECT_EQ(form->pnlAError->Color(), clGray);
  EXPECT_EQ(form->lblSpeed->Caption(), "Speed: 0");
  EXPECT_EQ(form->lblTempAsic_C->Caption(), "Temp: 42 \u00B0C");
  EXPECT_EQ(form->lblSignalLevel->Caption(), "Signal level: 2000");
  EXPECT_EQ(form->pnlAbsPosDeg->Color(), clWhite);
  EXPECT_FLOAT_EQ(form->kot, 90.0f);

  // Silent: the next request goes unanswered and the search starts again.
  host.Configure([](sim::EncoderConfig& c) { c.silent = true; });
  ASSERT_TRUE(DispatchUntil([&] { return !form->cbBeriEnkoder->Checked(); }, 2000));
  EXPECT_EQ(form->ComID, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(form->InitTimer->Enabled());
  EXPECT_EQ(form->pnlAbsPosDeg->Caption(), "not connected");
  const size_t heard = Requests(host).size();
  ASSERT_TRUE(DispatchUntil([&] { return Requests(host).size() > heard; }, 3000));
  EXPECT_EQ(Requests(host).back(), 'v');  // a search, asking who is there

  // Answering again: a later search finds it and polling starts over at "1".
  host.Configure([](sim::EncoderConfig& c) { c.silent = false; });
  ASSERT_TRUE(DispatchUntil([&] { return form->cbBeriEnkoder->Checked(); }, 5000));
  ASSERT_TRUE(DispatchUntil([&] { return Requests(host).back() == '3'; }, 1000));
  const std::string requests = Requests(host);
  EXPECT_EQ(requests.substr(requests.size() - 3), "v13");
  EXPECT_EQ(form->pnlAbsPosCnt->Caption(), "65536");
  form.reset();
}

TEST_F(PtyDiscoveryTest, SetZeroHereMakesTheEncoderReadZero) {
  sim::EncoderConfig config;  // 18 bits, turning slowly from 200 degrees
  config.degreesPerSecond = 1.0;
  config.startDegrees = 200.0;
  sim::PtyHost host(config, 115200);
  ASSERT_TRUE(host.Start());
  ASSERT_FALSE(sim::RegisterVirtualPort("sim0", host.SlavePath()).empty());
  auto form = std::make_unique<TMainForm>();
  ASSERT_TRUE(DispatchUntil([&] { return Requests(host).size() >= 3; }, 5000));
  ASSERT_GT(form->kot, 190.0f);

  form->btnSTzero->Click();
  EXPECT_TRUE(form->cbBeriEnkoder->Checked());
  const size_t after = Requests(host).size();
  ASSERT_TRUE(DispatchUntil([&] { return Requests(host).size() >= after + 6; }, 2000));
  // A second or so of turning since the zero: well under 2 degrees.
  EXPECT_LT(form->kot, 2.0f);
  EXPECT_LT(form->ST_value, 2 * 262144 / 360);
  EXPECT_FALSE(form->Encoder_Error);
  EXPECT_TRUE(messages_.empty());
  form.reset();
}

TEST_F(PtyDiscoveryTest, ALinkCannotTakeASystemPortsName) {
  SystemComm().SetListSystemPorts(true);
  std::vector<PortInfo> system = SystemComm().ListPorts();
  if (system.empty()) GTEST_SKIP() << "no system serial port listed here";
  sim::PtyHost host({}, 115200);
  ASSERT_TRUE(host.Start());
  ASSERT_FALSE(sim::RegisterVirtualPort(system[0].designation, host.SlavePath()).empty());
  ASSERT_FALSE(sim::RegisterVirtualPort("sim0", host.SlavePath()).empty());
  const std::vector<PortInfo> ports = SystemComm().ListPorts();  // nothing is opened
  ASSERT_EQ(ports.size(), system.size() + 1);
  EXPECT_EQ(ports[0].path, system[0].path);
  EXPECT_EQ(ports.back().designation, "sim0");
}

TEST_F(PtyDiscoveryTest, APortGoneMidExchangeMeansSearchingAgainAndItsReturnIsFound) {
  auto host = std::make_unique<sim::PtyHost>(sim::EncoderConfig{}, 115200);
  ASSERT_TRUE(host->Start());
  ASSERT_FALSE(sim::RegisterVirtualPort("sim0", host->SlavePath()).empty());
  auto form = std::make_unique<TMainForm>();
  ASSERT_TRUE(DispatchUntil([&] { return Requests(*host).size() >= 3; }, 5000));

  // The next request finds no answer and, while it waits, the device goes away.
  host->Configure([](sim::EncoderConfig& c) { c.silent = true; });
  std::thread pull([&] {
    const size_t heard = Requests(*host).size();
    while (Requests(*host).size() == heard)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    host->Stop();
  });
  ASSERT_TRUE(DispatchUntil([&] { return !form->cbBeriEnkoder->Checked(); }, 2000));
  pull.join();
  EXPECT_EQ(form->ComID, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(form->InitTimer->Enabled());
  for (const std::string& m : messages_) EXPECT_EQ(m, "Cable disconnected!");

  // Plugged in again: a new pseudo-terminal under the same name.
  host->Configure([](sim::EncoderConfig& c) { c.silent = false; });
  ASSERT_TRUE(host->Start());
  ASSERT_FALSE(sim::RegisterVirtualPort("sim0", host->SlavePath()).empty());
  ASSERT_TRUE(DispatchUntil([&] { return form->cbBeriEnkoder->Checked(); }, 5000));
  form.reset();
}

// How long the longest of the window's 10 ms dispatch steps took over `ms`.
std::chrono::milliseconds LongestStep(int ms) {
  std::chrono::steady_clock::duration longest{};
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    const auto t0 = std::chrono::steady_clock::now();
    Application.DispatchFor(10);
    longest = std::max(longest, std::chrono::steady_clock::now() - t0);
  }
  return std::chrono::duration_cast<std::chrono::milliseconds>(longest);
}

TEST_F(PtyDiscoveryTest, ADeviceFloodingBytesNeitherFreezesTheWindowNorFillsMemory) {
  sim::PtyHost host({}, 115200);
  host.SetFlood(true);
  ASSERT_TRUE(host.Start());
  ASSERT_FALSE(sim::RegisterVirtualPort("sim0", host.SlavePath()).empty());
  auto form = std::make_unique<TMainForm>();
  const long residentBefore = proc::ResidentKb();

  // Searched again and again, never taken for the encoder; every search ends promptly.
  EXPECT_LT(LongestStep(3000).count(), 1000);
  EXPECT_FALSE(form->cbBeriEnkoder->Checked());
  EXPECT_GT(form->InitTimer->Interval(), 200u);  // at least one search ran to its end

  // An encoder that starts flooding while it is polled: every poll takes what has come.
  host.SetFlood(false);
  ASSERT_TRUE(DispatchUntil([&] { return form->cbBeriEnkoder->Checked(); }, 5000));
  host.SetFlood(true);
  EXPECT_LT(LongestStep(3000).count(), 1000);
  EXPECT_TRUE(form->cbBeriEnkoder->Checked());
#ifndef TOVRA2_SANITIZED
  // The sanitizers hold freed memory back on purpose: memory is judged without them.
  EXPECT_LT(proc::ResidentKb() - residentBefore, 30 * 1024);
#else
  (void)residentBefore;
#endif
  form.reset();
}

#ifdef TOVRA2_BINARY
TEST_F(PtyDiscoveryTest, APortInUseByAnotherProcessIsSkipped) {
  sim::PtyHost host({}, 115200);
  ASSERT_TRUE(host.Start());
  ASSERT_FALSE(sim::RegisterVirtualPort("sim0", host.SlavePath()).empty());
  // Another tovra2 finds the encoder first and keeps polling it.
  pid_t other = 0;
  char program[] = TOVRA2_BINARY;
  char* argv[] = {program, nullptr};
  ASSERT_EQ(::posix_spawn(&other, program, nullptr, nullptr, argv, environ), 0);
  const bool polledByOther =
      DispatchUntil([&] { return Requests(host).find("13") != std::string::npos; }, 10000);

  auto form = std::make_unique<TMainForm>();
  form->InitTimer->SetEnabled(false);
  if (polledByOther) form->InitTimerTimer(form->InitTimer);
  ::kill(other, SIGTERM);
  int status = 0;
  ::waitpid(other, &status, 0);
  ASSERT_TRUE(polledByOther);
  ASSERT_EQ(form->listCom->Count(), 1);
  EXPECT_FALSE(form->cbBeriEnkoder->Checked());
  EXPECT_EQ(form->ComID, INVALID_HANDLE_VALUE);
  EXPECT_EQ(form->listCom->ItemIndex(), 0);  // it could not be opened: still selected
  // Nobody asked who was there while the other process polled.
  const std::string requests = Requests(host);
  EXPECT_EQ(requests.find('v', requests.find("13")), std::string::npos) << requests;
  // A terminate signal ends the other program cleanly.
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  form.reset();
}
#endif

INSTANTIATE_TEST_SUITE_P(Rates, PtyDiscoveryTest, ::testing::Values(128000u, 921600u));

}  // namespace
