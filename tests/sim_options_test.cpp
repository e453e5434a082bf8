// The simulator's command line.
#include <gtest/gtest.h>

#include "sim/options.h"

namespace {

sim::SimOptions Parse(const std::vector<std::string>& args) {
  auto parsed = sim::ParseSimOptions(args);
  EXPECT_TRUE(std::holds_alternative<sim::SimOptions>(parsed)) << std::get<std::string>(parsed);
  return std::get<sim::SimOptions>(parsed);
}

TEST(SimOptionsTest, DefaultsAndValues) {
  const sim::SimOptions d = Parse({});
  EXPECT_EQ(d.baud, 115200u);
  EXPECT_EQ(d.name, "sim0");
  EXPECT_EQ(d.encoder.partNumber, "QRA03-1B18M-CC14");
  EXPECT_DOUBLE_EQ(d.encoder.degreesPerSecond, 36.0);  // 6 turns a minute
  EXPECT_EQ(d.unplugAfterSeconds, -1);

  const sim::SimOptions o = Parse({"--baud",
                                   "921600",
                                   "--rpm",
                                   "1.5",
                                   "--direction",
                                   "ccw",
                                   "--status",
                                   "0x8300",
                                   "--temperature",
                                   "-25",
                                   "--signal-level",
                                   "65535",
                                   "--calibration",
                                   "no-correction",
                                   "--calibration-seconds",
                                   "0.5",
                                   "--firmware",
                                   "2.5.3.70000",
                                   "--silent-after",
                                   "12",
                                   "--part-number",
                                   "QRA05xxx16Mxxx41",
                                   "--serial",
                                   "B7",
                                   "--noise-at-other-rates",
                                   "--position-error",
                                   "--short",
                                   "1",
                                   "--unplug-after",
                                   "3",
                                   "--log",
                                   "/tmp/l",
                                   "--name",
                                   "bench"});
  EXPECT_EQ(o.baud, 921600u);
  EXPECT_DOUBLE_EQ(o.encoder.degreesPerSecond, -9.0);
  EXPECT_EQ(o.encoder.status, 0x8300);
  EXPECT_EQ(o.encoder.temperature, -25);
  EXPECT_EQ(o.encoder.signalLevel, 65535);
  EXPECT_EQ(o.encoder.calibrationStatus, 0x21);
  EXPECT_EQ(o.encoder.calibrationMs, 500u);
  EXPECT_EQ(o.encoder.fwMajor, 2);
  EXPECT_EQ(o.encoder.fwRevision, 70000u);
  EXPECT_EQ(o.encoder.silentAfter, 12);
  EXPECT_EQ(o.encoder.partNumber, "QRA05xxx16Mxxx41");
  EXPECT_EQ(o.encoder.serial, "B7");
  EXPECT_TRUE(o.noiseAtOtherRates);
  EXPECT_TRUE(o.encoder.positionError);
  EXPECT_EQ(o.encoder.shortBy, 1);
  EXPECT_EQ(o.unplugAfterSeconds, 3);
  EXPECT_EQ(o.log, "/tmp/l");
  EXPECT_EQ(o.name, "bench");
  EXPECT_TRUE(Parse({"--help"}).help);
}

TEST(SimOptionsTest, ErrorsNameTheOptionAndTheRange) {
  struct Row {
    std::vector<std::string> args;
    const char* error;
  };
  const Row rows[] = {
      {{"--rpm", "x"}, "--rpm: \"x\" is not a number from 0 to 6000"},
      {{"--temperature", "200"}, "--temperature: \"200\" is not a whole number from -128 to 127"},
      {{"--status", "0x10000"}, "--status: \"0x10000\" is not a whole number from 0 to 65535"},
      {{"--baud"}, "--baud: a value is missing"},
      {{"--direction", "up"}, "--direction: \"up\" is not cw or ccw"},
      {{"--part-number", "QRA03"}, "--part-number: \"QRA03\" is not 16 characters"},
      {{"--firmware", "1.2.3"},
       "--firmware: \"1.2.3\" is not MAJOR.MINOR.PROTOCOL.REVISION (0-255 each, revision "
       "0-4294967295)"},
      {{"--name", "a/b"}, "--name: \"a/b\" is not a name without blanks and slashes"},
      {{"--frobnicate", "1"}, "unknown option --frobnicate (see --help)"},
      {{"extra"}, "unexpected argument \"extra\""},
  };
  for (const Row& r : rows) {
    const auto parsed = sim::ParseSimOptions(r.args);
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << r.error;
    EXPECT_EQ(std::get<std::string>(parsed), r.error);
  }
}

TEST(SimOptionsTest, SilentAfterAnsweringNRequests) {
  sim::EncoderConfig config;
  config.silentAfter = 2;
  sim::Engine engine(config);
  EXPECT_FALSE(engine.Receive('v', 0).empty());
  EXPECT_FALSE(engine.Receive('1', 0).empty());
  EXPECT_TRUE(engine.Receive('1', 0).empty());
  EXPECT_EQ(engine.Frames().size(), 3u);  // still heard
}

}  // namespace
