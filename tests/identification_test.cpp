// Identification on an open port: the state and the window it leaves.
#include <gtest/gtest.h>

#include "form_fixture.h"

using namespace platform;

namespace {

const char* kPort = "/dev/ttySIM0";

class IdentificationTest : public FormTest {
 protected:
  sim::MemoryDevice& Encoder(const char* partNumber, sim::EncoderConfig config = {}) {
    config.partNumber = partNumber;
    sim::MemoryDevice& device = comm.AddDevice(kPort, config);
    OpenPort(kPort);
    // As detection presets them.
    form->Enkoder_CPR = 1048576;
    form->resolucija_bitov = 18;
    return device;
  }
};

TEST_F(IdentificationTest, MultiturnEncoderWithTheLongCalibration) {
  sim::EncoderConfig config;
  config.serial = "A12345";
  config.fwMajor = 1;
  config.fwMinor = 4;
  config.fwProtocol = 2;
  config.fwRevision = 317;
  Encoder("QRA03-AB18M-CC14", config);

  ASSERT_TRUE(form->BeriVerzijo());
  EXPECT_TRUE(RxBuffer().empty());
  EXPECT_EQ(form->ver_header, "Tovra-2");
  EXPECT_EQ(form->prebrana_serijska, "A12345");
  EXPECT_EQ(form->prebran_ident, "QRA03-AB18M-CC14");
  EXPECT_EQ(form->Firmware_Verzija_Jedra_Revision, 317u);
  EXPECT_EQ(form->resolucija_bitov, 18);
  EXPECT_EQ(form->Enkoder_CPR, 262144);
  EXPECT_EQ(form->Singleturn_maska, 0x3FFFFu);
  EXPECT_EQ(form->Multiturn, 1);
  EXPECT_EQ(form->PremerKodeRinga, 33.4f);
  EXPECT_EQ(form->EncDolzinaKode, 7);
  EXPECT_EQ(form->AirGapK, -83.62f);
  EXPECT_EQ(form->AirGapN, 846.1f);
  EXPECT_EQ(form->SelfCalTimeout, 40);

  EXPECT_TRUE(form->pnlAbsPosMT->Visible());
  EXPECT_EQ(form->lblHeader->Caption(), "Header: Tovra-2");
  EXPECT_EQ(form->lblHeader->Color(), clLime);
  EXPECT_EQ(form->lblSerijska_prebrana->Caption(), "Serial number: A12345");
  EXPECT_EQ(form->lblIdent_prebran->Caption(), "P/N: QRA03-AB18M-CC14");
  EXPECT_EQ(form->lblFW_verzija->Caption(), "Firmware ver.: 1.4.2.317");
  EXPECT_EQ(form->lblResolucija->Caption(), "Resolution: 18 bit");
  EXPECT_EQ(form->progBarCal->Max(), 400);
  EXPECT_EQ(form->pnlAselfCalTimeout->Caption(), "Timeout - 40 seconds expired");
}

TEST_F(IdentificationTest, SingleTurnEncoderHidesTheMultiturnPanel) {
  form->pnlAbsPosMT->SetVisible(true);
  Encoder("QRA03-AB18m-CC10");
  ASSERT_TRUE(form->BeriVerzijo());
  EXPECT_EQ(form->Multiturn, 0);
  EXPECT_FALSE(form->pnlAbsPosMT->Visible());
  EXPECT_EQ(form->progBarCal->Max(), 100);
  EXPECT_EQ(form->pnlAselfCalTimeout->Caption(), "Timeout - 10 seconds expired");
}

TEST_F(IdentificationTest, UnknownResolutionKeepsThePresetValues) {
  Encoder("QRA03-AB21M-CC14");
  ASSERT_TRUE(form->BeriVerzijo());
  EXPECT_EQ(form->resolucija_bitov, 18);
  EXPECT_EQ(form->Enkoder_CPR, 1048576);
  EXPECT_EQ(form->Singleturn_maska, 0x3FFFFu);
  EXPECT_EQ(form->lblResolucija->Caption(), "Resolution: 18 bit");
}

TEST_F(IdentificationTest, LongerReplyIsAcceptedAndDiscardedWithTheBuffer) {
  sim::EncoderConfig config;
  config.extraBytes = 4;
  Encoder("QRA05-AB20S-CC10", config);
  ASSERT_TRUE(form->BeriVerzijo());
  EXPECT_TRUE(RxBuffer().empty());
  EXPECT_EQ(form->prebran_ident, "QRA05-AB20S-CC10");
  EXPECT_EQ(form->PremerKodeRinga, 45.8f);
}

TEST_F(IdentificationTest, FailureEmptiesOnlyTheSerialNumber) {
  sim::MemoryDevice& device = Encoder("QRA03-AB18M-CC14");
  ASSERT_TRUE(form->BeriVerzijo());

  struct Fault {
    const char* name;
    void (*apply)(sim::EncoderConfig&);
    size_t bytesLeft;
  };
  const Fault faults[] = {
      {"silent", [](sim::EncoderConfig& c) { c.silent = true; }, 0},
      {"other family", [](sim::EncoderConfig& c) { c.wrongHeader = true; }, 42},
      {"short", [](sim::EncoderConfig& c) { c.shortBy = 1; }, 41},
      {"noise", [](sim::EncoderConfig& c) { c.noise = true; }, 42},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    device.engine().Config() = {};
    device.engine().Config().partNumber = "QRA01-XX16S-XX10";
    fault.apply(device.engine().Config());
    form->prebrana_serijska = "A12345";
    EXPECT_FALSE(form->BeriVerzijo());
    EXPECT_TRUE(form->prebrana_serijska.empty());
    EXPECT_EQ(RxBuffer().size(), fault.bytesLeft);
    // Everything else, on the screen too, is still the earlier device's.
    EXPECT_EQ(form->prebran_ident, "QRA03-AB18M-CC14");
    EXPECT_EQ(form->Multiturn, 1);
    EXPECT_EQ(form->lblSerijska_prebrana->Caption(), "Serial number: A12345");
    EXPECT_EQ(form->lblHeader->Color(), clLime);
  }
}

}  // namespace
