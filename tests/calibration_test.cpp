// The self-calibration status, accuracy estimate, report and progress.
#include "protocol/calibration.h"

#include <gtest/gtest.h>

#include "test_support.h"

using namespace protocol;

namespace {

const NumberSeparators kPoint{".", ","};

TEST(AccuracyTest, EstimateBeforeAndAfter) {
  struct Row {
    uint16_t eccentricity;
    float diameter;
    bool noCorrection;
    const char* before;
    const char* after;
  };
  const Row rows[] = {
      {0, 18.3f, false, "0.015", "0.015"},       {120, 18.3f, false, "0.766", "0.128"},
      {65535, 18.3f, false, "82.067", "13.678"}, {50, 33.4f, false, "0.187", "0.031"},
      {0, 1.0e9f, false, "0.015", "0.015"},      {65535, 1.0e9f, false, "0.015", "0.015"},
      {120, 18.3f, true, "0.766", "0.766"},      {0, 18.3f, true, "0.015", "0.015"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.eccentricity << " on " << r.diameter);
    const auto a = EstimateAccuracy(r.eccentricity, r.diameter, r.noCorrection);
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(NumberText(a->before, 5, 3, kPoint), r.before);
    EXPECT_EQ(NumberText(a->after, 5, 3, kPoint), r.after);
  }
  // No ring diameter yet (before the first identification): no estimate.
  EXPECT_FALSE(EstimateAccuracy(120, 0.0f, false));
  EXPECT_FALSE(EstimateAccuracy(120, -1.0f, false));
}

TEST(CalibrationStatusTest, FieldsAndFinish) {
  const ByteString reply = Bytes({'i', 0x21, 0xFF, 0xF4, 0x00, 0xD4, 0xFF, 0xF4});
  const auto s = ReadCalibrationStatus(reply);
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(s->Counter(), 1);
  EXPECT_EQ(s->status & kCalNoCorrection, kCalNoCorrection);
  EXPECT_EQ(s->eccentricity, 65524);
  EXPECT_EQ(s->angle, 212);
  EXPECT_EQ(s->shift, -12);
  EXPECT_TRUE(ReadCalibrationStatus(reply + "\xEE").has_value());
  EXPECT_FALSE(ReadCalibrationStatus(reply.substr(0, 7)).has_value());

  // Any difference from the first reply of the run, even in byte 1 or in length, is a finish.
  EXPECT_FALSE(CalibrationFinished(reply, reply));
  ByteString echo = reply;
  echo[0] = 'j';
  EXPECT_TRUE(CalibrationFinished(echo, reply));
  EXPECT_TRUE(CalibrationFinished(reply + "\xEE", reply));
  EXPECT_FALSE(CalibrationFinished(reply + "\xEE", reply + "\xEE"));
}

TEST(CalibrationReportTest, SixLines) {
  CalibrationStatus s;
  s.status = 0x01;
  s.eccentricity = 50;
  s.angle = 212;
  s.shift = -12;
  EXPECT_EQ(CalibrationReport(s, 33.4f, kPoint), kSelfCalReport);
  const std::string comma = CalibrationReport(s, 33.4f, {",", "."});
  EXPECT_NE(comma.find("before calib.: \u00B10,187\u00B0\r\n"), std::string::npos);
  EXPECT_NE(comma.find("after calib.: \u00B10,031\u00B0"), std::string::npos);
  s.status = 0x23;  // counter 3, no correction necessary
  const std::string same = CalibrationReport(s, 33.4f, kPoint);
  EXPECT_EQ(same.substr(0, 12), "Counter: 3\r\n");
  EXPECT_NE(same.find("after calib.: \u00B10.187\u00B0"), std::string::npos);
  EXPECT_EQ(CalibrationReport(s, 0.0f, kPoint).substr(same.find("Est.")),
            "Est. accuracy before calib.: - - - - -\r\nEst. accuracy after calib.: - - - - -");
}

TEST(CalibrationProgressTest, TenthsOfASecondHalvesToEven) {
  struct Row {
    uint32_t ms;
    int32_t tenths;
  };
  for (const Row& r : {Row{0, 0}, Row{49, 0}, Row{50, 0}, Row{51, 1}, Row{150, 2}, Row{250, 2},
                       Row{251, 3}, Row{10049, 100}, Row{10050, 100}, Row{10051, 101},
                       Row{10150, 102}, Row{0xFFFFFFFFu, 42949673}})
    EXPECT_EQ(ProgressTenths(r.ms), r.tenths) << r.ms;
}

}  // namespace
