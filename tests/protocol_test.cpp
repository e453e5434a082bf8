// Requests, reply lengths, frames and field extraction.
#include <gtest/gtest.h>

#include "protocol/bytes.h"
#include "protocol/tovra_konstante.h"
#include "test_support.h"

using namespace protocol;

namespace {

TEST(TablesTest, RequestsAndReplyLengths) {
  struct Row {
    int index;
    char request;
    int single, multi;
  };
  const Row rows[] = {{1, '1', 4, 6}, {2, '3', 3, 5}, {3, 'd', 6, 8},  {4, 's', 7, 9},
                      {5, 't', 5, 7}, {6, 'a', 6, 8}, {7, 'v', 42, 42}};
  for (const Row& r : rows) {
    EXPECT_EQ(PollCommand[r.index], r.request) << r.index;
    EXPECT_EQ(ReplyLength[0][r.index], r.single) << r.index;
    EXPECT_EQ(ReplyLength[1][r.index], r.multi) << r.index;
  }
  EXPECT_THROW(PollCommand[0], std::out_of_range);
  EXPECT_THROW(ReplyLength[2][1], std::out_of_range);
}

TEST(TablesTest, ConfigurationFrames) {
  EXPECT_EQ(UnlockPrefix, Bytes({0x5A, 0xC3, 0x6E, 0x91}));
  EXPECT_EQ(FrameMultiturnReset, UnlockPrefix + Bytes({'M', 0, 0, 0, 0}));
  EXPECT_EQ(FrameFactoryReset, UnlockPrefix + "r");
  EXPECT_EQ(FrameZeroOffset, UnlockPrefix + Bytes({'Z', 0, 0, 0, 2}));
  EXPECT_EQ(FrameSave, UnlockPrefix + "c");
  EXPECT_EQ(FrameSelfCalStart, UnlockPrefix + "A");
  EXPECT_EQ(RequestIdentification, "v");
  EXPECT_EQ(RequestSelfCalStatus, "i");
}

TEST(TablesTest, ZeroOffsetValueGoesMostSignificantByteFirstIntoACopy) {
  const ByteString before = FrameZeroOffset;
  EXPECT_EQ(WithValue(FrameZeroOffset, 70000), UnlockPrefix + Bytes({'Z', 0x00, 0x01, 0x11, 0x70}));
  EXPECT_EQ(WithValue(FrameZeroOffset, 238066),
            UnlockPrefix + Bytes({'Z', 0x00, 0x03, 0xA1, 0xF2}));
  EXPECT_EQ(WithValue(FrameZeroOffset, 0xFFFFFFFFu),
            UnlockPrefix + Bytes({'Z', 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(FrameZeroOffset, before);
}

TEST(FieldsTest, ExtractionAndSignExtension) {
  struct Row {
    ByteString bytes;
    int64_t asSigned;
    uint64_t asUnsigned;
  };
  const Row rows[] = {
      {Bytes({0xFF, 0xFF}), -1, 0xFFFF},  // multiturn counter
      {Bytes({0x80, 0x00}), -32768, 0x8000},
      {Bytes({0x7F, 0xFF}), 32767, 0x7FFF},
      {Bytes({0xFF, 0xFF, 0xFF}), -1, 0xFFFFFF},  // speed
      {Bytes({0x80, 0x00, 0x00}), -8388608, 0x800000},
      {Bytes({0x7F, 0xFF, 0xFF}), 8388607, 0x7FFFFF},
      {Bytes({0x01, 0xE2, 0x40}), 123456, 123456},
      {Bytes({0xE7}), -25, 0xE7},         // temperature
      {Bytes({0xFF, 0xF4}), -12, 65524},  // radial shift / eccentricity
      {Bytes({0xFF, 0xFF, 0x00, 0x00, 0x02}), -16777214, 0xFFFF000002},  // 40-bit position
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ReadSigned(r.bytes, 1, r.bytes.size()), r.asSigned) << r.asUnsigned;
    EXPECT_EQ(ReadUnsigned(r.bytes, 1, r.bytes.size()), r.asUnsigned);
  }
  // Fields at their positions, counted from 1.
  const ByteString reply = Bytes({'t', 0x00, 0x00, 0x02, 0xE7});
  EXPECT_EQ(ReadSigned(reply, 5, 1), -25);
  EXPECT_EQ(ReadUnsigned(reply, 2, 3), 2u);
}

}  // namespace
