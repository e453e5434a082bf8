// Poll replies into readings, and number texts.
#include "protocol/measurement.h"

#include <gtest/gtest.h>

#include "platform/locale.h"
#include "protocol/number_text.h"
#include "protocol/tovra_konstante.h"
#include "test_support.h"

using namespace protocol;

namespace {

const NumberSeparators kComma{".", ","};
const NumberSeparators kDecimalComma{",", "."};

TEST(NumberTextTest, RoundsToTheFewerDigitsAndGroupsThousands) {
  struct Row {
    long double value;
    int significant, decimals;
    const NumberSeparators& separators;
    const char* text;
  };
  const Row rows[] = {
      {359.99966L, 8, 2, kComma, "360.00"},
      {0.0L, 8, 2, kComma, "0.00"},
      {123456.0L, 8, 0, kComma, "123,456"},
      {-1.0L, 8, 0, kComma, "-1"},
      {-8388608.0L, 8, 0, kComma, "-8,388,608"},
      {999.0L, 8, 0, kComma, "999"},
      {1000.0L, 8, 0, kComma, "1,000"},
      // The significant digits leave fewer decimals than asked: the rest are zeros.
      {1234567.891L, 8, 2, kComma, "1,234,567.90"},
      {12345678.9L, 8, 2, kComma, "12,345,679.00"},
      {123.456L, 5, 3, kComma, "123.460"},
      {12.3456L, 5, 3, kComma, "12.346"},
      {0.00123456L, 3, 5, kComma, "0.00123"},
      // Rounding carries into a new digit; a tie goes away from zero.
      {99999.5L, 5, 0, kComma, "100,000"},
      {9.996L, 8, 2, kComma, "10.00"},
      {0.125L, 8, 2, kComma, "0.13"},
      {-0.125L, 8, 2, kComma, "-0.13"},
      {191.27L, 5, 0, kComma, "191"},
      {-105.9L, 5, 0, kComma, "-106"},
      // What rounds to zero has no sign.
      {-0.4L, 5, 0, kComma, "0"},
      {-0.004L, 8, 2, kComma, "0.00"},
      // A decimal-comma locale, and a separator of more than one byte.
      {1234.5L, 8, 2, kDecimalComma, "1.234,50"},
      {-0.5L, 8, 2, kDecimalComma, "-0,50"},
      {1234567.0L, 8, 0, {",", "\u00A0"}, "1\u00A0234\u00A0567"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(NumberText(r.value, r.significant, r.decimals, r.separators), r.text)
        << static_cast<double>(r.value) << " " << r.significant << "/" << r.decimals;
}

DeviceProfile Profile(uint8_t bits, uint8_t multiturn) {
  DeviceProfile p;
  p.resolucija_bitov = bits;
  p.Enkoder_CPR = 1 << bits;
  p.Singleturn_maska = (1u << bits) - 1;
  p.Multiturn = multiturn;
  p.AirGapK = -71.04f;
  p.AirGapN = 682.0f;
  return p;
}

TEST(DecodeReplyTest, PositionField) {
  struct Row {
    const char* what;
    uint8_t bits, multiturn, index;
    ByteString reply;
    int64_t mtst;
    bool error;
    int32_t st;
    int16_t mt;
    float kot;
    const char* degrees;
  };
  const Row rows[] = {
      {"top of the scale", 20, 0, 1, Bytes({0x31, 0xFF, 0xFF, 0xF2}), 0xFFFFF2, false, 1048575, 0,
       359.99966f, "360.00 \u00B0"},
      {"error bit clear", 20, 0, 1, Bytes({0x31, 0xFF, 0xFF, 0xF0}), 0xFFFFF0, true, 1048575, 0,
       359.99966f, "360.00 \u00B0"},
      {"bit 0 does not matter", 20, 0, 1, Bytes({0x31, 0x00, 0x00, 0x03}), 3, false, 0, 0, 0.0f,
       "0.00 \u00B0"},
      {"bit 0 alone is an error", 20, 0, 1, Bytes({0x31, 0x00, 0x00, 0x01}), 1, true, 0, 0, 0.0f,
       "0.00 \u00B0"},
      {"another echo", 20, 0, 1, Bytes({'X', 0x80, 0x00, 0x02}), 0x800002, false, 524288, 0, 180.0f,
       "180.00 \u00B0"},
      {"no echo to 3", 20, 0, 2, Bytes({0x80, 0x00, 0x02}), 0x800002, false, 524288, 0, 180.0f,
       "180.00 \u00B0"},
      {"16 bits", 16, 0, 1, Bytes({0x31, 0x40, 0x00, 0xFE}), 0x4000FE, false, 16384, 0, 90.0f,
       "90.00 \u00B0"},
      {"bytes beyond the layout", 20, 0, 1, Bytes({0x31, 0x00, 0x10, 0x02, 0xEE, 0xEE}), 0x1002,
       false, 256, 0, 0.087890625f, "0.09 \u00B0"},
      {"multiturn -1", 20, 1, 2, Bytes({0xFF, 0xFF, 0x00, 0x00, 0x02}), -16777214, false, 0, -1,
       0.0f, "0.00 \u00B0"},
      {"multiturn -32768", 20, 1, 1, Bytes({0x31, 0x80, 0x00, 0x00, 0x00, 0x02}), -549755813886LL,
       false, 0, -32768, 0.0f, "0.00 \u00B0"},
      {"multiturn 5, half a turn", 20, 1, 1, Bytes({0x31, 0x00, 0x05, 0x80, 0x00, 0x02}),
       0x0005800002, false, 524288, 5, 180.0f, "180.00 \u00B0"},
      {"any Multiturn but 1 is single-turn", 20, 2, 1, Bytes({0x31, 0xFF, 0xFF, 0xF2}), 0xFFFFF2,
       false, 1048575, 0, 359.99966f, "360.00 \u00B0"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const auto reading = DecodeReply(r.reply, r.index, Profile(r.bits, r.multiturn));
    ASSERT_TRUE(reading.has_value());
    EXPECT_EQ(reading->MTST_value, r.mtst);
    EXPECT_EQ(reading->Encoder_Error, r.error);
    EXPECT_EQ(reading->ST_value, r.st);
    EXPECT_EQ(reading->MT_value, r.mt);
    EXPECT_FLOAT_EQ(reading->kot, r.kot);
    EXPECT_EQ(DegreesText(reading->degrees, kComma), r.degrees);
    EXPECT_FALSE(reading->status || reading->speed || reading->temperature || reading->signalLevel);
  }
}

TEST(DecodeReplyTest, PayloadByIndex) {
  const DeviceProfile single = Profile(20, 0);
  const DeviceProfile multi = Profile(20, 1);
  EXPECT_EQ(DecodeReply(Bytes({'d', 0, 0, 2, 0x00, 0x84}), 3, single)->status, 0x0084);
  EXPECT_EQ(DecodeReply(Bytes({'d', 0, 0, 0, 0, 2, 0xFF, 0xFF}), 3, multi)->status, 0xFFFF);
  EXPECT_EQ(DecodeReply(Bytes({'d', 0, 0, 0, 0x12, 0x34}), 3, single)->status, 0x1234);

  struct Speed {
    ByteString bytes;
    int32_t value;
  };
  for (const Speed& s :
       {Speed{Bytes({0xFF, 0xFF, 0xFF}), -1}, Speed{Bytes({0x01, 0xE2, 0x40}), 123456},
        Speed{Bytes({0x80, 0x00, 0x00}), -8388608}, Speed{Bytes({0x7F, 0xFF, 0xFF}), 8388607}}) {
    EXPECT_EQ(DecodeReply("s" + Bytes({0, 0, 2}) + s.bytes, 4, single)->speed, s.value);
    EXPECT_EQ(DecodeReply("s" + Bytes({0, 1, 0, 0, 2}) + s.bytes, 4, multi)->speed, s.value);
  }
  // While the position is in error the speed is not read.
  EXPECT_FALSE(DecodeReply(Bytes({'s', 0, 0, 0, 0x01, 0xE2, 0x40}), 4, single)->speed);

  EXPECT_EQ(DecodeReply(Bytes({'t', 0, 0, 2, 0xE7}), 5, single)->temperature, -25);
  EXPECT_EQ(DecodeReply(Bytes({'t', 0, 0, 0, 0, 0, 0x7F}), 5, multi)->temperature, 127);

  struct Level {
    uint16_t level;
    const char* airGap;
  };
  for (const Level& l :
       {Level{0, "682"}, Level{1, "682"}, Level{1000, "191"}, Level{65535, "-106"}}) {
    const ByteString reply = Bytes({'a', 0, 0, 0, l.level >> 8, l.level & 0xFF});
    const auto reading = DecodeReply(reply, 6, single);
    EXPECT_EQ(reading->signalLevel, l.level);
    EXPECT_EQ(NumberText(reading->airGap, 5, 0, kComma), l.airGap) << l.level;
  }
  DeviceProfile noGap = single;
  noGap.AirGapK = noGap.AirGapN = 0.0f;
  for (uint16_t level : {0, 1000, 65535})
    EXPECT_EQ(DecodeReply(Bytes({'a', 0, 0, 2, level >> 8, level & 0xFF}), 6, noGap)->airGap, 0);
}

TEST(DecodeReplyTest, NothingIsReadBeyondTheReplyOrForAnUnknownIndex) {
  const DeviceProfile single = Profile(20, 0);
  const DeviceProfile multi = Profile(20, 1);
  EXPECT_FALSE(DecodeReply(Bytes({'d', 0, 0, 2, 0}), 3, single));
  EXPECT_FALSE(DecodeReply(Bytes({'1', 0, 0, 0, 2}), 1, multi));
  EXPECT_FALSE(DecodeReply("", 2, single));
  EXPECT_FALSE(DecodeReply(Bytes({'1', 0, 0, 2}), 0, single));
  EXPECT_FALSE(DecodeReply(ByteString(42, '\0'), 7, single));
  for (uint8_t index = 1; index <= 6; ++index) {
    EXPECT_EQ(PollReplyLength(0, index), ReplyLength[0][index]);
    EXPECT_EQ(PollReplyLength(1, index), ReplyLength[1][index]);
    EXPECT_EQ(PollReplyLength(7, index), ReplyLength[0][index]);
  }
}

TEST(NumberTextTest, SeparatorsComeFromTheLocale) {
  const NumberSeparators german =
      platform::SeparatorsOf(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(german.decimal, ",");
  EXPECT_EQ(german.thousands, ".");
  const NumberSeparators english =
      platform::SeparatorsOf(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(english.decimal, ".");
  EXPECT_EQ(english.thousands, ",");
}

TEST(ReadingTextTest, Labels) {
  EXPECT_EQ(SpeedText(123456, kComma), "Speed: 123,456");
  EXPECT_EQ(SpeedText(-1, kComma), "Speed: -1");
  EXPECT_EQ(SpeedText(std::nullopt, kComma), "Speed: - - - - -");
  EXPECT_EQ(TemperatureText(-25), "Temp: -25 \u00B0C");
  EXPECT_EQ(SignalLevelText(65535), "Signal level: 65535");
  EXPECT_EQ(AirGapText(682.0L, kComma), "Air gap: 682 (\u00B120) \u00B5m");
  EXPECT_EQ(AirGapText(1234.4L, kDecimalComma), "Air gap: 1.234 (\u00B120) \u00B5m");
  EXPECT_EQ(DegreesText(359.99966L, kDecimalComma), "360,00 \u00B0");
}

}  // namespace
