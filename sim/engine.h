// The simulated Tovra-2 encoder's protocol engine: bytes in, reply bytes out. No I/O of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/bytes.h"

namespace sim {

struct EncoderConfig {
  // Identity. The part number decides the profile: characters 9-10 the resolution ("16" to
  // "20"; anything else: 18 bits), character 11 "M" a multiturn device.
  std::string header = "Tovra-2";
  std::string serial = "A12345";
  std::string partNumber = "QRA03-1B18M-CC14";
  uint8_t fwMajor = 1;
  uint8_t fwMinor = 4;
  uint8_t fwProtocol = 2;
  uint32_t fwRevision = 317;

  // Motion: the angle at time 0 and the turning speed.
  double startDegrees = 0.0;
  double degreesPerSecond = 36.0;
  int16_t startTurns = 0;

  // Readings.
  uint16_t status = 0;
  int8_t temperature = 31;
  uint16_t signalLevel = 1000;
  bool positionError = false;

  // Self-calibration: how long it runs and the status it ends with.
  uint32_t calibrationMs = 3000;
  uint8_t calibrationStatus = 0x01;  // counter 1, no flags
  uint16_t eccentricity = 50;
  uint16_t eccentricityAngle = 212;
  int16_t radialShift = -12;

  // Faults.
  bool silent = false;       // answers nothing
  bool wrongHeader = false;  // identifies as another device family
  int shortBy = 0;           // every reply lacks this many bytes at its end
  int extraBytes = 0;        // every reply carries this many more bytes
  bool noise = false;        // answers with bytes of the right length but random content
  int silentAfter = -1;      // answers only this many requests, then nothing (-1: all)
};

// A complete request or frame as the engine took it.
struct ReceivedFrame {
  uint32_t at;  // ms, when its last byte came
  ByteString bytes;
  uint32_t firstAt = at;  // ms, when its first byte came
};

class Engine {
 public:
  explicit Engine(EncoderConfig config = {});

  // Takes one byte received at time `nowMs`; returns the bytes to send back (often none).
  ByteString Receive(uint8_t byte, uint32_t nowMs);

  const EncoderConfig& Config() const { return config_; }
  EncoderConfig& Config() { return config_; }
  const std::vector<ReceivedFrame>& Frames() const { return frames_; }

  int Resolution() const;
  bool IsMultiturn() const;
  // The single-turn position and the multiturn counter at `nowMs`.
  uint32_t Position(uint32_t nowMs) const;
  int16_t Turns(uint32_t nowMs) const;

 private:
  ByteString Answer(const ByteString& frame, uint32_t nowMs);
  ByteString PositionField(uint32_t nowMs) const;
  ByteString Identification() const;
  ByteString CalibrationStatus(uint32_t nowMs) const;
  ByteString Shape(ByteString reply);
  void Configure(const ByteString& frame, uint32_t nowMs);

  EncoderConfig config_;
  std::vector<ReceivedFrame> frames_;
  ByteString pending_;  // a configuration frame being received
  uint32_t pendingSince_ = 0;
  uint32_t zeroOffset_ = 0;
  int32_t turnsOffset_ = 0;
  bool calibrating_ = false;
  uint32_t calibrationStart_ = 0;
  uint32_t noiseState_ = 0x1234567u;
  int answered_ = 0;
};

}  // namespace sim
