#include "protocol/measurement.h"

#include <cmath>

#include "protocol/tovra_konstante.h"

namespace protocol {

int32_t PollReplyLength(uint8_t multiturn, uint8_t index) {
  return ReplyLength[multiturn == 1 ? 1 : 0][index];
}

std::optional<Reading> DecodeReply(const ByteString& reply, uint8_t index,
                                   const DeviceProfile& profile) {
  if (index < 1 || index > 6) return std::nullopt;
  if (reply.size() < static_cast<size_t>(PollReplyLength(profile.Multiturn, index)))
    return std::nullopt;

  Reading r;
  size_t p = index == 2 ? 1 : 2;  // every reply but the one to "3" begins with the echo
  if (profile.Multiturn == 1) {
    r.MTST_value = ReadSigned(reply, p, 5);
    p += 5;
  } else {
    r.MTST_value = static_cast<int64_t>(ReadUnsigned(reply, p, 3));
    p += 3;
  }
  const auto field = static_cast<uint64_t>(r.MTST_value);
  r.Encoder_Error = (field & 0x2) == 0;
  const unsigned shift = profile.resolucija_bitov < 24 ? 24u - profile.resolucija_bitov : 0u;
  r.ST_value = static_cast<int32_t>((field >> shift) & profile.Singleturn_maska);
  r.MT_value = static_cast<int16_t>((field >> 24) & 0xFFFF);
  if (profile.Enkoder_CPR > 0) {
    // The product as a 32-bit integer, the quotient in floating point.
    const auto product = static_cast<int32_t>(static_cast<int64_t>(r.ST_value) * 360);
    r.kot = static_cast<float>(static_cast<double>(product) / profile.Enkoder_CPR);
    r.degrees = static_cast<long double>(r.ST_value) * 360.0L / profile.Enkoder_CPR;
  }

  switch (index) {
    case 3:
      r.status = static_cast<uint16_t>(ReadUnsigned(reply, p, 2));
      break;
    case 4:
      if (!r.Encoder_Error) r.speed = static_cast<int32_t>(ReadSigned(reply, p, 3));
      break;
    case 5:
      r.temperature = static_cast<int8_t>(ReadSigned(reply, p, 1));
      break;
    case 6: {
      r.signalLevel = static_cast<uint16_t>(ReadUnsigned(reply, p, 2));
      // A level of 0 has no logarithm: it counts as 1, which leaves the offset alone.
      const uint16_t level = *r.signalLevel == 0 ? 1 : *r.signalLevel;
      r.airGap = std::log(static_cast<long double>(level)) * profile.AirGapK + profile.AirGapN;
      break;
    }
    default:
      break;
  }
  return r;
}

std::string DegreesText(long double degrees, const NumberSeparators& separators) {
  return NumberText(degrees, 8, 2, separators) + " \u00B0";
}

std::string SpeedText(std::optional<int32_t> speed, const NumberSeparators& separators) {
  if (!speed) return "Speed: - - - - -";
  return "Speed: " + NumberText(*speed, 8, 0, separators);
}

std::string TemperatureText(int8_t celsius) {
  return "Temp: " + std::to_string(celsius) + " \u00B0C";
}

std::string SignalLevelText(uint16_t level) {
  return "Signal level: " + std::to_string(level);
}

std::string AirGapText(long double micrometres, const NumberSeparators& separators) {
  return "Air gap: " + NumberText(micrometres, 5, 0, separators) + " (\u00B120) \u00B5m";
}

}  // namespace protocol
