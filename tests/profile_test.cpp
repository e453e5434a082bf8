// The identification reply and the device profile.
#include "protocol/profile.h"

#include <gtest/gtest.h>

#include "sim/engine.h"

using namespace protocol;

namespace {

TEST(ProfileTest, DerivedFromThePartNumber) {
  struct Row {
    const char* partNumber;
    uint8_t bits;
    int32_t cpr;
    uint32_t mask;
    uint8_t multiturn;
    float diameter;
    int32_t codeLength;
    float k, n;
    int32_t timeout;
  };
  // The kept values stand for what detection preset: 18 bits, 2^20 counts.
  const Row rows[] = {
      {"QRA03-AB18M-CC14", 18, 262144, 0x3FFFF, 1, 33.4f, 7, -83.62f, 846.1f, 40},
      {"QRA03-AB18m-CC14", 18, 262144, 0x3FFFF, 0, 33.4f, 7, -83.62f, 846.1f, 40},
      {"QS7xxxxx20Sxxx10", 20, 1048576, 0xFFFFF, 0, 1.0e9f, 5, -120.1f, 1236.0f, 10},
      {"QRA05xxx16Mxxx41", 16, 65536, 0xFFFF, 1, 45.8f, 8, -71.04f, 682.0f, 10},
      {"QRA01xxx17xxxx14", 17, 131072, 0x1FFFF, 0, 18.3f, 6, -94.21f, 977.1f, 40},
      {"QRA02xxx19xxxx14", 19, 524288, 0x7FFFF, 0, 23.7f, 6, -94.21f, 977.1f, 40},
      {"QRA04xxx21xxxx14", 18, 1048576, 0x3FFFF, 0, 42.1f, 7, -83.62f, 846.1f, 40},
      {"QRA06xxx2 xxxx14", 18, 1048576, 0x3FFFF, 0, 57.3f, 8, -71.04f, 682.0f, 40},
      {"QRA07xxx20xxxx 4", 20, 1048576, 0xFFFFF, 0, 72.8f, 8, -71.04f, 682.0f, 10},
      {"qra03xxx20xxxx14", 20, 1048576, 0xFFFFF, 0, 1.0e9f, 8, -71.04f, 682.0f, 40},
      {"QRA0", 18, 1048576, 0x3FFFF, 0, 1.0e9f, 8, -71.04f, 682.0f, 10},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.partNumber);
    const DeviceProfile p = DeriveProfile(r.partNumber, 18, 1048576);
    EXPECT_EQ(p.resolucija_bitov, r.bits);
    EXPECT_EQ(p.Enkoder_CPR, r.cpr);
    EXPECT_EQ(p.Singleturn_maska, r.mask);
    EXPECT_EQ(p.Multiturn, r.multiturn);
    EXPECT_EQ(p.PremerKodeRinga, r.diameter);
    EXPECT_EQ(p.EncDolzinaKode, r.codeLength);
    EXPECT_EQ(p.AirGapK, r.k);
    EXPECT_EQ(p.AirGapN, r.n);
    EXPECT_EQ(p.SelfCalTimeout, r.timeout);
  }
  // A resolution code outside the table keeps whatever stood before.
  EXPECT_EQ(DeriveProfile("QRA03xxx21xxxxxx", 0, 1).Singleturn_maska, 0u);
}

TEST(ProfileTest, AirGapCoefficientsOutsideTheTableAreZero) {
  float k = 1, n = 1;
  AirGapCoefficients(9, k, n);
  EXPECT_EQ(k, -69.44f);
  EXPECT_EQ(n, 718.84f);
  for (int32_t codeLength : {0, 4, 10}) {
    AirGapCoefficients(codeLength, k, n);
    EXPECT_EQ(k, 0.0f);
    EXPECT_EQ(n, 0.0f);
  }
}

TEST(IdentityTest, AcceptanceAndFields) {
  sim::EncoderConfig config;
  config.serial = "S00042";
  config.partNumber = "QRA03-AB18M-CC14";
  config.fwRevision = 0xFFFFFFFF;
  const ByteString good = sim::Engine(config).Receive('v', 0);

  EXPECT_TRUE(IsIdentificationReply(good));
  EXPECT_TRUE(IsIdentificationReply(good + "extra"));
  EXPECT_FALSE(IsIdentificationReply(good.substr(0, 41)));
  ByteString noBlank = good;
  noBlank[8] = '_';
  EXPECT_FALSE(IsIdentificationReply(noBlank));
  ByteString otherFamily = good;
  otherFamily[7] = '3';
  EXPECT_FALSE(IsIdentificationReply(otherFamily));

  const Identity id = ReadIdentity(good + "extra");
  EXPECT_EQ(id.header, "Tovra-2");
  EXPECT_EQ(id.serial, "S00042");
  EXPECT_EQ(id.partNumber, "QRA03-AB18M-CC14");
  EXPECT_EQ(FirmwareText(id), "1.4.2.4294967295");
}

}  // namespace
