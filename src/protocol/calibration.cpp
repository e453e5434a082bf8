#include "protocol/calibration.h"

#include <cmath>
#include <numbers>

namespace protocol {

std::optional<CalibrationStatus> ReadCalibrationStatus(const ByteString& reply) {
  if (reply.size() < 8) return std::nullopt;
  CalibrationStatus s;
  s.status = ByteAt(reply, 2);
  s.eccentricity = static_cast<uint16_t>(ReadUnsigned(reply, 3, 2));
  s.angle = static_cast<uint16_t>(ReadUnsigned(reply, 5, 2));
  s.shift = static_cast<int16_t>(ReadSigned(reply, 7, 2));
  return s;
}

std::optional<Accuracy> EstimateAccuracy(uint16_t eccentricity, float diameter, bool noCorrection) {
  if (!(diameter > 0.0f) || !std::isfinite(diameter)) return std::nullopt;
  const long double x = eccentricity / 1000.0L * 2.0L / diameter;
  float before = static_cast<float>(std::atan(x) * 180.0L / std::numbers::pi_v<long double>);
  before = static_cast<float>(0.015L + before);
  float after = static_cast<float>(before / 6.0L);
  if (after < 0.015L) after = 0.015f;
  if (noCorrection) after = before;
  return Accuracy{before, after};
}

std::string CalibrationReport(const CalibrationStatus& s, float diameter,
                              const NumberSeparators& separators) {
  const std::string eol = "\r\n";
  std::string text = "Counter: " + std::to_string(s.Counter()) + eol;
  text += "Ring eccentricity: " + std::to_string(s.eccentricity) + " \u00B5m" + eol;
  text += "Eccentricity angle: " + std::to_string(s.angle) + " deg" + eol;
  text += "Readhead radial shift: " + std::to_string(s.shift) + " \u00B5m" + eol;
  const auto accuracy =
      EstimateAccuracy(s.eccentricity, diameter, (s.status & kCalNoCorrection) != 0);
  auto degrees = [&](float value) {
    return "\u00B1" + NumberText(value, 5, 3, separators) + "\u00B0";
  };
  const std::string none = "- - - - -";
  text += "Est. accuracy before calib.: " + (accuracy ? degrees(accuracy->before) : none) + eol;
  text += "Est. accuracy after calib.: " + (accuracy ? degrees(accuracy->after) : none);
  return text;
}

int32_t ProgressTenths(uint32_t elapsedMs) {
  uint32_t tenths = elapsedMs / 100;
  const uint32_t rest = elapsedMs % 100;
  if (rest > 50 || (rest == 50 && tenths % 2 == 1)) ++tenths;
  return static_cast<int32_t>(tenths);
}

}  // namespace protocol
