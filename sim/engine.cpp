#include "sim/engine.h"

#include <cmath>

#include "protocol/tovra_konstante.h"

namespace sim {

namespace {
void PutBigEndian(ByteString& out, uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

ByteString Fixed(const std::string& text, size_t width) {
  ByteString out = text.substr(0, width);
  out.resize(width, ' ');
  return out;
}

bool IsPollRequest(uint8_t byte) {
  for (int i = 1; i <= 6; ++i)
    if (static_cast<uint8_t>(PollCommand[i]) == byte) return true;
  return false;
}
}  // namespace

Engine::Engine(EncoderConfig config) : config_(std::move(config)) {}

int Engine::Resolution() const {
  const std::string code = config_.partNumber.size() >= 10 ? config_.partNumber.substr(8, 2) : "";
  for (int bits = 16; bits <= 20; ++bits)
    if (code == std::to_string(bits)) return bits;
  return 18;
}

bool Engine::IsMultiturn() const {
  return config_.partNumber.size() >= 11 && config_.partNumber[10] == 'M';
}

namespace {
double Degrees(const EncoderConfig& c, uint32_t nowMs) {
  return c.startDegrees + c.degreesPerSecond * nowMs / 1000.0;
}
}  // namespace

uint32_t Engine::Position(uint32_t nowMs) const {
  const uint32_t cpr = 1u << Resolution();
  const double turns = Degrees(config_, nowMs) / 360.0;
  const auto raw = static_cast<uint32_t>((turns - std::floor(turns)) * cpr) % cpr;
  return (raw + cpr - zeroOffset_ % cpr) % cpr;
}

int16_t Engine::Turns(uint32_t nowMs) const {
  const auto whole = static_cast<int64_t>(std::floor(Degrees(config_, nowMs) / 360.0));
  return static_cast<int16_t>(config_.startTurns + whole - turnsOffset_);
}

ByteString Engine::PositionField(uint32_t nowMs) const {
  ByteString out;
  if (IsMultiturn()) PutBigEndian(out, static_cast<uint16_t>(Turns(nowMs)), 2);
  uint32_t word = Position(nowMs) << (24 - Resolution());
  if (!config_.positionError) word |= 0x2;  // error bit, active low
  PutBigEndian(out, word, 3);
  return out;
}

ByteString Engine::Identification() const {
  ByteString out = "v";
  out += config_.wrongHeader ? Fixed("Tovra-3", 7) : Fixed(config_.header, 7);
  out += ' ';
  out += Fixed(config_.serial, 6);
  out += "---";
  out += Fixed(config_.partNumber, 16);
  out += ' ';
  out.push_back(static_cast<char>(config_.fwMajor));
  out.push_back(static_cast<char>(config_.fwMinor));
  out.push_back(static_cast<char>(config_.fwProtocol));
  PutBigEndian(out, config_.fwRevision, 4);
  return out;
}

ByteString Engine::CalibrationStatus(uint32_t nowMs) const {
  const bool done = calibrating_ && nowMs - calibrationStart_ >= config_.calibrationMs;
  ByteString out = "i";
  out.push_back(static_cast<char>(done ? config_.calibrationStatus : 0));
  PutBigEndian(out, done ? config_.eccentricity : 0, 2);
  PutBigEndian(out, done ? config_.eccentricityAngle : 0, 2);
  PutBigEndian(out, static_cast<uint16_t>(done ? config_.radialShift : 0), 2);
  return out;
}

ByteString Engine::Shape(ByteString reply) {
  if (config_.noise) {
    for (char& c : reply) {
      noiseState_ = noiseState_ * 1103515245u + 12345u;
      c = static_cast<char>(noiseState_ >> 16);
    }
  }
  if (config_.shortBy > 0)
    reply.resize(
        reply.size() > static_cast<size_t>(config_.shortBy) ? reply.size() - config_.shortBy : 0);
  for (int i = 0; i < config_.extraBytes; ++i) reply.push_back(static_cast<char>(0xEE));
  return reply;
}

ByteString Engine::Answer(const ByteString& frame, uint32_t nowMs) {
  frames_.push_back({nowMs, frame, frame.size() > 1 ? pendingSince_ : nowMs});
  if (frame.size() > 1) {
    Configure(frame, nowMs);
    return {};
  }
  if (config_.silent) return {};
  if (config_.silentAfter >= 0 && answered_ >= config_.silentAfter) return {};
  ++answered_;
  const char request = frame[0];
  ByteString reply;
  if (request == 'v') {
    reply = Identification();
  } else if (request == 'i') {
    reply = CalibrationStatus(nowMs);
  } else {
    if (request != '3') reply.push_back(request);
    reply += PositionField(nowMs);
    switch (request) {
      case 'd':
        PutBigEndian(reply, config_.status, 2);
        break;
      case 's': {
        const double cps = config_.degreesPerSecond / 360.0 * (1u << Resolution());
        PutBigEndian(reply, static_cast<uint32_t>(static_cast<int32_t>(std::lround(cps))), 3);
        break;
      }
      case 't':
        reply.push_back(static_cast<char>(config_.temperature));
        break;
      case 'a':
        PutBigEndian(reply, config_.signalLevel, 2);
        break;
      default:
        break;
    }
  }
  return Shape(reply);
}

void Engine::Configure(const ByteString& frame, uint32_t nowMs) {
  const char command = frame[4];
  const uint32_t value =
      frame.size() == 9 ? static_cast<uint32_t>(protocol::ReadUnsigned(frame, 6, 4)) : 0;
  const uint32_t cpr = 1u << Resolution();
  switch (command) {
    case 'Z':  // the position that now reads `value` becomes zero
      zeroOffset_ = (zeroOffset_ + value) % cpr;
      break;
    case 'M':  // the multiturn counter becomes `value`
      turnsOffset_ += Turns(nowMs) - static_cast<int16_t>(value);
      break;
    case 'r':
      zeroOffset_ = 0;
      turnsOffset_ = 0;
      calibrating_ = false;
      break;
    case 'A':
      calibrating_ = true;
      calibrationStart_ = nowMs;
      break;
    default:  // 'c' saves: nothing to keep in a simulation
      break;
  }
}

ByteString Engine::Receive(uint8_t byte, uint32_t nowMs) {
  if (!pending_.empty()) {
    const size_t have = pending_.size();
    if (have < UnlockPrefix.size()) {
      if (byte == static_cast<uint8_t>(UnlockPrefix[have])) {
        pending_.push_back(static_cast<char>(byte));
        return {};
      }
      pending_.clear();  // not a frame after all: take the byte afresh
      return Receive(byte, nowMs);
    }
    pending_.push_back(static_cast<char>(byte));
    const char command = pending_[4];
    const size_t length = (command == 'M' || command == 'Z') ? 9 : 5;
    const bool known =
        command == 'M' || command == 'Z' || command == 'r' || command == 'c' || command == 'A';
    if (!known) {
      pending_.clear();
      return {};
    }
    if (pending_.size() < length) return {};
    const ByteString frame = pending_;
    pending_.clear();
    return Answer(frame, nowMs);
  }
  if (byte == static_cast<uint8_t>(UnlockPrefix[0])) {
    pending_.push_back(static_cast<char>(byte));
    pendingSince_ = nowMs;
    return {};
  }
  if (IsPollRequest(byte) || byte == 'v' || byte == 'i')
    return Answer(ByteString(1, static_cast<char>(byte)), nowMs);
  return {};
}

}  // namespace sim
