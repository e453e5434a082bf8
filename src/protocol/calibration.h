// The self-calibration status reply, the accuracy estimate and the report text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "protocol/bytes.h"
#include "protocol/number_text.h"

namespace protocol {

// Status byte flags.
inline constexpr uint8_t kCalTimeout = 0x04;
inline constexpr uint8_t kCalOutOfRange = 0x08;
inline constexpr uint8_t kCalParamOutOfRange = 0x10;
inline constexpr uint8_t kCalNoCorrection = 0x20;
inline constexpr uint8_t kCalUserErrorMap = 0x40;
// Any of these means the calibration did not succeed.
inline constexpr uint8_t kCalErrorFlags = 0x3C;

struct CalibrationStatus {
  uint8_t status = 0;         // byte 2
  uint16_t eccentricity = 0;  // µm
  uint16_t angle = 0;         // degrees
  int16_t shift = 0;          // µm
  uint8_t Counter() const { return status & 0x03; }
};

// The encoder has finished when its status reply differs from the first one of the run, in any
// byte or in length.
inline bool CalibrationFinished(const ByteString& reply, const ByteString& first) {
  return reply != first;
}

// The fields of a status reply; nothing from fewer than 8 bytes. Bytes beyond 8 are ignored.
std::optional<CalibrationStatus> ReadCalibrationStatus(const ByteString& reply);

struct Accuracy {
  float before;  // degrees
  float after;
};

// The accuracy before and after calibration for a ring eccentricity (µm) on a code ring of
// `diameter` mm; after is before when no correction was necessary. Nothing without a diameter.
std::optional<Accuracy> EstimateAccuracy(uint16_t eccentricity, float diameter, bool noCorrection);

// The six-line report, CR LF between lines. Without a diameter the estimates are dashes.
std::string CalibrationReport(const CalibrationStatus& status, float diameter,
                              const NumberSeparators& separators);

// Elapsed milliseconds as tenths of a second, halves to the even neighbour.
int32_t ProgressTenths(uint32_t elapsedMs);

}  // namespace protocol
