// One fuzz case for the reply decoders: identification, the six poll replies under several
// device profiles, the self-calibration status, and the texts made from what they decode.
// Shared by the seeded randomized test and the libFuzzer target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/calibration.h"
#include "protocol/measurement.h"
#include "protocol/profile.h"

namespace fuzz {

inline size_t Consume(const std::string& text) {
  // Keeps the optimiser from dropping a result and makes every byte of it read.
  size_t h = text.size();
  for (const char c : text) h = h * 31 + static_cast<unsigned char>(c);
  return h;
}

inline size_t FeedDecoders(const uint8_t* data, size_t size) {
  const ByteString reply(reinterpret_cast<const char*>(data), size);
  const protocol::NumberSeparators separators[] = {{}, {",", "\xC2\xA0"}};
  size_t sink = 0;

  // Identification, and the profile a device sending this would get.
  protocol::DeviceProfile derived = protocol::DeriveProfile(reply, 18, 1048576);
  if (protocol::IsIdentificationReply(reply)) {
    const protocol::Identity id = protocol::ReadIdentity(reply);
    sink += Consume(protocol::FirmwareText(id)) + Consume(id.header) + Consume(id.serial);
    derived = protocol::DeriveProfile(id.partNumber, 18, 1048576);
  }

  protocol::DeviceProfile extreme;  // what no part number gives: the decoder must still hold
  extreme.resolucija_bitov = size > 0 ? data[0] : 0;
  extreme.Enkoder_CPR = size > 1 ? static_cast<int8_t>(data[1]) : 0;
  extreme.Multiturn = size > 2 ? data[2] : 0;
  extreme.Singleturn_maska = 0xFFFFFFFFu;
  extreme.AirGapK = -120.1f;
  extreme.AirGapN = 1236.0f;

  const protocol::DeviceProfile profiles[] = {
      protocol::DeriveProfile("QRA03-1B18M-CC14", 18, 1048576),  // multiturn
      protocol::DeriveProfile("QRA03-1B20S-CC14", 18, 1048576),  // single-turn
      derived, extreme};
  for (const protocol::DeviceProfile& profile : profiles) {
    for (uint8_t index = 0; index <= 7; ++index) {
      const auto r = protocol::DecodeReply(reply, index, profile);
      if (!r) continue;
      const protocol::NumberSeparators& s = separators[index % 2];
      sink += static_cast<size_t>(r->ST_value) + static_cast<size_t>(r->MT_value);
      // The position field sits at two offsets: its text from both, not from every index.
      if (index <= 2) sink += Consume(protocol::DegreesText(r->degrees, s));
      if (index == 4) sink += Consume(protocol::SpeedText(r->speed, s));
      if (r->temperature) sink += Consume(protocol::TemperatureText(*r->temperature));
      if (r->signalLevel) {
        sink += Consume(protocol::SignalLevelText(*r->signalLevel));
        sink += Consume(protocol::AirGapText(r->airGap, s));
      }
    }
  }

  // The self-calibration status, against itself and against a shorter first reply.
  if (const auto status = protocol::ReadCalibrationStatus(reply)) {
    for (const float diameter : {0.0f, 14.0f, 41.0f})
      sink += Consume(protocol::CalibrationReport(*status, diameter, separators[size % 2]));
    sink += protocol::CalibrationFinished(reply, reply.substr(0, size / 2));
  }
  return sink;
}

}  // namespace fuzz
