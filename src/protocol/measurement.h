// Poll replies decoded into position, angle, error flag and the payload of each request.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "protocol/bytes.h"
#include "protocol/number_text.h"
#include "protocol/profile.h"

namespace protocol {

// Bytes a reply to poll `index` (1 to 6) carries: any `multiturn` other than 1 is a
// single-turn device.
int32_t PollReplyLength(uint8_t multiturn, uint8_t index);

struct Reading {
  int64_t MTST_value = 0;  // the position field
  bool Encoder_Error = false;
  int32_t ST_value = 0;
  int16_t MT_value = 0;
  float kot = 0.0f;
  long double degrees = 0;  // the same angle in extended precision, for the text
  // The payload, present only for the index that carries it.
  std::optional<uint16_t> status;       // "d"
  std::optional<int32_t> speed;         // "s", not read while the position is in error
  std::optional<int8_t> temperature;    // "t"
  std::optional<uint16_t> signalLevel;  // "a"
  long double airGap = 0;               // "a"
};

// The reply to poll `index` for a device of `profile`. Nothing when the index is outside 1 to
// 6 or the reply is shorter than its layout; bytes beyond the layout are ignored.
std::optional<Reading> DecodeReply(const ByteString& reply, uint8_t index,
                                   const DeviceProfile& profile);

// The window's texts for the readings.
std::string DegreesText(long double degrees, const NumberSeparators& separators);
std::string SpeedText(std::optional<int32_t> speed, const NumberSeparators& separators);
std::string TemperatureText(int8_t celsius);
std::string SignalLevelText(uint16_t level);
std::string AirGapText(long double micrometres, const NumberSeparators& separators);

}  // namespace protocol
