// Finding the encoder over in-memory ports on the virtual clock.
#include "serial/discovery.h"

#include <gtest/gtest.h>

#include "form_fixture.h"

using namespace platform;

namespace {

TEST(PortEntryTest, LayoutAndDesignation) {
  struct Row {
    PortInfo port;
    const char* entry;
  };
  const Row rows[] = {
      {{"ttyUSB0", "USB-Serial Controller D", "/dev/ttyUSB0"}, "ttyUSB0  USB-Serial"},
      {{"ttyS12", "", "/dev/ttyS12"}, "ttyS12  "},
      {{"sim0", "3", "/run/user/0/tovra2/ports/sim0"}, "sim0  3"},
      {{"ttyACM10", "0123456789", "/dev/ttyACM10"}, "ttyACM10  0123456789"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(PortEntry(r.port), r.entry);
    EXPECT_EQ(EntryDesignation(r.entry), r.port.designation);
  }
  EXPECT_EQ(EntryDesignation("ttyS3"), "ttyS3");
}

class DiscoveryTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->InitTimer->SetEnabled(false);  // each test runs the search itself
  }
  // An encoder answering at `baud` only.
  sim::MemoryDevice& Encoder(const std::string& path, uint32_t baud,
                             sim::EncoderConfig config = {}) {
    sim::LinkOptions link;
    link.listenBaud = baud;
    return comm.AddDevice(path, config, link);
  }
  void Search() { form->InitTimerTimer(form->InitTimer); }
  std::vector<std::string> Entries() {
    std::vector<std::string> items;
    for (int i = 0; i < form->listCom->Count(); ++i) items.push_back(form->listCom->Item(i));
    return items;
  }
};

TEST_F(DiscoveryTest, TriesTheRatesInOrderUntilTheEncoderAnswers) {
  sim::MemoryDevice& device = Encoder("/dev/ttyUSB0", 921600);
  device.SetDescription("FT232R USB UART");
  const uint32_t start = clock.Now();
  Search();

  EXPECT_EQ(device.activity().rates,
            (std::vector<uint32_t>{115200, 128000, 230400, 256000, 500000, 1000000, 921600}));
  // Six silent rates at a little over 200 ms each.
  const uint32_t took = clock.Now() - start;
  EXPECT_GE(took, 6 * 201u);
  EXPECT_LE(took, 6 * 203u + 5);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"ttyUSB0  FT232R USB"}));
  EXPECT_EQ(form->listCom->ItemIndex(), 0);
  EXPECT_EQ(form->rgBaudrate->ItemIndex(), 6);
  EXPECT_NE(form->ComID, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(device.IsOpen());
  EXPECT_TRUE(form->cbBeriEnkoder->Checked());
  EXPECT_TRUE(form->TimerBeriEnkoder->Enabled());
  EXPECT_FALSE(form->InitTimer->Enabled());
  EXPECT_EQ(form->InitTimer->Interval(), 800u);
  EXPECT_EQ(form->lblHeader->Caption(), "Header: Tovra-2");
  EXPECT_EQ(device.activity().purgesRx, 1 + 7);  // on opening, then once per exchange
}

TEST_F(DiscoveryTest, FirstEncoderInTheListWinsLaterPortsAreNotOpened) {
  sim::MemoryDevice& first = Encoder("/dev/ttyS0", 230400);
  sim::MemoryDevice& second = Encoder("/dev/ttyUSB0", 115200);
  Search();
  EXPECT_TRUE(first.IsOpen());
  EXPECT_EQ(second.activity().opens, 0);
  EXPECT_EQ(form->listCom->ItemIndex(), 0);
  EXPECT_EQ(form->rgBaudrate->ItemIndex(), 2);
}

TEST_F(DiscoveryTest, SilentAndUnopenablePortsAreSkipped) {
  sim::EncoderConfig silent;
  silent.silent = true;
  sim::MemoryDevice& quiet = Encoder("/dev/ttyS0", 115200, silent);
  comm.AddBusyPort("/dev/ttyS1", "in use");
  sim::MemoryDevice& encoder = Encoder("/dev/ttyUSB0", 500000);
  Search();
  EXPECT_EQ(quiet.activity().opens, 1);
  EXPECT_EQ(quiet.activity().closes, 1);
  EXPECT_EQ(quiet.activity().rates.size(), 7u);
  EXPECT_TRUE(encoder.IsOpen());
  EXPECT_EQ(form->listCom->ItemIndex(), 2);
}

TEST_F(DiscoveryTest, NothingFoundSearchesAgainIn800Ms) {
  struct Case {
    const char* name;
    void (*ports)(sim::MemoryBackend&);
    std::vector<std::string> entries;
    int selected;  // what the list shows selected afterwards
  };
  const Case cases[] = {
      {"no ports", [](sim::MemoryBackend&) {}, {}, -1},
      {"last port cannot be opened",
       [](sim::MemoryBackend& c) {
         sim::EncoderConfig silent;
         silent.silent = true;
         c.AddDevice("/dev/ttyS0", silent);
         c.AddBusyPort("/dev/ttyS1");
       },
       {"ttyS0  ", "ttyS1  "},
       1},
      {"last port opens and stays silent",
       [](sim::MemoryBackend& c) {
         c.AddBusyPort("/dev/ttyS0");
         sim::EncoderConfig silent;
         silent.silent = true;
         c.AddDevice("/dev/ttyS1", silent);
       },
       {"ttyS0  ", "ttyS1  "},
       -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::MemoryBackend ports;  // in place of the fixture's for this case
    c.ports(ports);
    Search();
    EXPECT_EQ(Entries(), c.entries);
    EXPECT_EQ(form->listCom->ItemIndex(), c.selected);
    EXPECT_EQ(form->ComID, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(form->cbBeriEnkoder->Checked());
    EXPECT_TRUE(form->InitTimer->Enabled());
    EXPECT_EQ(form->InitTimer->Interval(), 800u);
    for (const PortInfo& port : ports.ListPorts()) EXPECT_FALSE(ports.Device(port.path)->IsOpen());
    form->InitTimer->SetEnabled(false);
  }
}

TEST_F(DiscoveryTest, EachSearchStartsFromPresetProfileValues) {
  sim::EncoderConfig config;
  config.partNumber = "QRA03-AB21M-CC14";  // a resolution the tool does not know
  Encoder("/dev/ttyS0", 115200, config);
  form->resolucija_bitov = 16;
  form->Enkoder_CPR = 65536;
  Search();
  EXPECT_EQ(form->resolucija_bitov, 18);
  EXPECT_EQ(form->Enkoder_CPR, 1048576);
}

TEST_F(DiscoveryTest, WriteFailureWarnsOnceAndTheOtherRatesMeetAClosedPort) {
  sim::LinkOptions link;
  link.writeFails = [](uint8_t, uint64_t) { return true; };
  sim::MemoryDevice& device = comm.AddDevice("/dev/ttyUSB0", {}, link);
  Search();
  EXPECT_EQ(messages, (std::vector<ShownMessage>{{"Cable disconnected!", mtWarning}}));
  EXPECT_EQ(device.activity().opens, 1);
  EXPECT_EQ(device.activity().closes, 1);
  EXPECT_EQ(device.activity().writes, 1u);
  EXPECT_EQ(form->rgBaudrate->ItemIndex(), 6);  // every rate was still gone through
  EXPECT_EQ(form->ComID, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(form->InitTimer->Enabled());
}

TEST_F(DiscoveryTest, ReturnsAtOnceWhenTheApplicationIsEnding) {
  sim::LinkOptions link;
  link.writeFails = [](uint8_t, uint64_t) { return true; };
  comm.AddDevice("/dev/ttyS0", {}, link);
  sim::MemoryDevice& later = Encoder("/dev/ttyS1", 115200);
  // The window is closed while the warning is up.
  SetMessageDlgHandler([](const std::string&, TMsgDlgType) {
    Application.Terminate();
    return mrOk;
  });
  Search();
  EXPECT_EQ(form->rgBaudrate->ItemIndex(), 0);
  EXPECT_EQ(later.activity().opens, 0);
  EXPECT_FALSE(form->InitTimer->Enabled());
  EXPECT_EQ(form->InitTimer->Interval(), 200u);
}

TEST_F(DiscoveryTest, FirstSearchRuns200MsAfterCreationLaterOnes800MsApart) {
  sim::EncoderConfig silent;
  silent.silent = true;
  sim::MemoryDevice& device = Encoder("/dev/ttyS0", 115200, silent);
  form->InitTimer->SetEnabled(true);  // as creation left it
  Application.DispatchFor(199);
  EXPECT_EQ(device.activity().opens, 0);
  Application.DispatchFor(1);
  EXPECT_EQ(device.activity().opens, 1);  // the search took ~1.4 s of virtual time
  Application.DispatchFor(799);
  EXPECT_EQ(device.activity().opens, 1);
  Application.DispatchFor(1);
  EXPECT_EQ(device.activity().opens, 2);

  device.engine().Config().silent = false;
  Application.DispatchFor(800 + 1500);
  EXPECT_EQ(device.activity().opens, 3);
  EXPECT_TRUE(form->cbBeriEnkoder->Checked());
  Application.DispatchFor(5000);
  EXPECT_EQ(device.activity().opens, 3);  // found: no further search
}

}  // namespace
