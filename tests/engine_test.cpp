// The simulated encoder's answers.
#include "sim/engine.h"

#include <gtest/gtest.h>

#include "protocol/bytes.h"
#include "protocol/tovra_konstante.h"

using protocol::ReadSigned;
using protocol::ReadUnsigned;

namespace {

ByteString Ask(sim::Engine& engine, const ByteString& request, uint32_t now = 0) {
  ByteString reply;
  for (char c : request) reply += engine.Receive(static_cast<uint8_t>(c), now);
  return reply;
}

sim::EncoderConfig Profile(const char* partNumber) {
  sim::EncoderConfig config;
  config.partNumber = partNumber;
  return config;
}

TEST(EngineTest, PollRepliesHaveTheLengthsOfTheDeviceKind) {
  for (int multiturn = 0; multiturn <= 1; ++multiturn) {
    sim::Engine engine(Profile(multiturn ? "QRA03-1B18M-CC14" : "QRA01-1B20S-CC10"));
    EXPECT_EQ(engine.IsMultiturn(), multiturn == 1);
    for (int index = 1; index <= 7; ++index) {
      const ByteString reply = Ask(engine, ByteString(1, PollCommand[index]));
      EXPECT_EQ(static_cast<int>(reply.size()), ReplyLength[multiturn][index])
          << "multiturn " << multiturn << " index " << index;
      if (index != 2) {
        EXPECT_EQ(reply[0], PollCommand[index]);
      }
    }
  }
}

TEST(EngineTest, IdentificationLayout) {
  sim::EncoderConfig config;
  config.serial = "S00042";
  config.partNumber = "QRA05-XY20M--X14";
  config.fwRevision = 0xFFFFFFFF;
  sim::Engine engine(config);
  const ByteString reply = Ask(engine, "v");
  ASSERT_EQ(reply.size(), 42u);
  EXPECT_EQ(reply.substr(0, 9), "vTovra-2 ");
  EXPECT_EQ(reply.substr(9, 6), "S00042");
  EXPECT_EQ(reply.substr(18, 16), "QRA05-XY20M--X14");
  EXPECT_EQ(ReadUnsigned(reply, 36, 1), 1u);
  EXPECT_EQ(ReadUnsigned(reply, 37, 1), 4u);
  EXPECT_EQ(ReadUnsigned(reply, 38, 1), 2u);
  EXPECT_EQ(ReadUnsigned(reply, 39, 4), 0xFFFFFFFFu);
}

TEST(EngineTest, PositionFieldCarriesResolutionErrorBitAndPayloads) {
  sim::EncoderConfig config = Profile("QRA03-1B18M-CC14");
  config.startDegrees = 90.0;
  config.degreesPerSecond = 0;
  config.startTurns = -1;
  config.status = 0x8421;
  config.temperature = -25;
  config.signalLevel = 1000;
  sim::Engine engine(config);

  const ByteString one = Ask(engine, "1");
  EXPECT_EQ(ReadSigned(one, 2, 2), -1);             // multiturn counter
  EXPECT_EQ(ReadUnsigned(one, 4, 3) >> 6, 65536u);  // a quarter of 2^18, top bits
  EXPECT_EQ(ReadUnsigned(one, 4, 3) & 0x2, 0x2u);   // valid
  EXPECT_EQ(ReadUnsigned(Ask(engine, "d"), 7, 2), 0x8421u);
  EXPECT_EQ(ReadSigned(Ask(engine, "t"), 7, 1), -25);
  EXPECT_EQ(ReadUnsigned(Ask(engine, "a"), 7, 2), 1000u);

  engine.Config().positionError = true;
  EXPECT_EQ(ReadUnsigned(Ask(engine, "3"), 3, 3) & 0x2, 0u);
}

TEST(EngineTest, TakesConfigurationFramesAndRecoversFromABrokenOne) {
  sim::EncoderConfig config = Profile("QRA03-1B18M-CC14");
  config.startDegrees = 90.0;
  config.degreesPerSecond = 0;
  sim::Engine engine(config);

  // A prefix cut short by a request: the request is still answered.
  EXPECT_EQ(Ask(engine, ByteString("\x5A\xC3", 2) + "v").size(), 42u);
  for (const ByteString& frame : {protocol::WithValue(FrameZeroOffset, 65536), FrameMultiturnReset,
                                  FrameSave, FrameFactoryReset, FrameSelfCalStart}) {
    EXPECT_TRUE(Ask(engine, frame).empty());
  }
  ASSERT_EQ(engine.Frames().size(), 6u);
  EXPECT_EQ(engine.Frames()[1].bytes, protocol::WithValue(FrameZeroOffset, 65536));
  EXPECT_EQ(engine.Frames()[5].bytes, FrameSelfCalStart);
}

TEST(EngineTest, ZeroOffsetMakesTheCurrentPositionZero) {
  sim::EncoderConfig config = Profile("QRA03-1B18M-CC14");
  config.startDegrees = 90.0;
  config.degreesPerSecond = 0;
  sim::Engine engine(config);
  Ask(engine, FrameZeroOffset);  // the position reading 2 becomes zero
  const uint32_t reading = engine.Position(0);
  EXPECT_EQ(reading, 65536u - 2);
  Ask(engine, protocol::WithValue(FrameZeroOffset, reading));
  EXPECT_EQ(engine.Position(0), 0u);
  Ask(engine, FrameFactoryReset);
  EXPECT_EQ(engine.Position(0), 65536u);
}

TEST(EngineTest, MultiturnResetZeroesTheCounterUntilAFactoryReset) {
  sim::EncoderConfig config = Profile("QRA03-1B18M-CC14");
  config.startTurns = 5;
  config.degreesPerSecond = 360.0;  // a turn a second
  sim::Engine engine(config);
  EXPECT_EQ(engine.Turns(0), 5);
  Ask(engine, FrameMultiturnReset, 500);
  EXPECT_EQ(engine.Turns(500), 0);
  EXPECT_EQ(engine.Turns(1500), 1);  // counting on from zero
  EXPECT_EQ(ReadSigned(Ask(engine, "3", 1500), 1, 2), 1);
  Ask(engine, protocol::WithValue(FrameZeroOffset, 1000), 1500);
  Ask(engine, FrameSave, 1500);
  EXPECT_EQ(engine.Turns(1500), 1);
  Ask(engine, FrameFactoryReset, 1500);
  EXPECT_EQ(engine.Turns(1500), 6);
}

TEST(EngineTest, CalibrationStatusChangesWhenTheRunEnds) {
  sim::EncoderConfig config;
  config.calibrationMs = 1000;
  sim::Engine engine(config);
  Ask(engine, FrameSelfCalStart, 0);
  const ByteString first = Ask(engine, "i", 100);
  ASSERT_EQ(first.size(), 8u);
  EXPECT_EQ(Ask(engine, "i", 900), first);
  const ByteString done = Ask(engine, "i", 1000);
  EXPECT_NE(done, first);
  EXPECT_EQ(ReadUnsigned(done, 3, 2), 50u);
  EXPECT_EQ(ReadSigned(done, 7, 2), -12);
}

TEST(EngineTest, Faults) {
  sim::EncoderConfig config;
  config.silent = true;
  EXPECT_TRUE(Ask(*std::make_unique<sim::Engine>(config), "v").empty());

  config = {};
  config.wrongHeader = true;
  EXPECT_NE(Ask(*std::make_unique<sim::Engine>(config), "v").substr(0, 9), "vTovra-2 ");

  config = {};
  config.shortBy = 2;
  EXPECT_EQ(Ask(*std::make_unique<sim::Engine>(config), "v").size(), 40u);

  config = {};
  config.extraBytes = 3;
  EXPECT_EQ(Ask(*std::make_unique<sim::Engine>(config), "1").size(), 9u);

  config = {};
  config.noise = true;
  const ByteString noise = Ask(*std::make_unique<sim::Engine>(config), "v");
  EXPECT_EQ(noise.size(), 42u);
  EXPECT_NE(noise.substr(0, 9), "vTovra-2 ");
}

}  // namespace
