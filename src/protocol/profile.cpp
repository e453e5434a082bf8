#include "protocol/profile.h"

#include <array>

namespace protocol {

namespace {
// Characters `first`..`first + count - 1` (from 1), or fewer where the text ends.
ByteString Chars(const ByteString& s, size_t first, size_t count) {
  return first - 1 < s.size() ? s.substr(first - 1, count) : ByteString();
}

bool BeginsWith(const ByteString& s, const char* prefix) {
  return s.rfind(prefix, 0) == 0;
}
}  // namespace

bool IsIdentificationReply(const ByteString& reply) {
  return reply.size() >= 42 && BeginsWith(reply, kIdentificationPrefix.c_str());
}

Identity ReadIdentity(const ByteString& reply) {
  Identity id;
  id.header = Chars(reply, 2, 7);
  id.serial = Chars(reply, 10, 6);
  id.partNumber = Chars(reply, 19, 16);
  id.major = ByteAt(reply, 36);
  id.minor = ByteAt(reply, 37);
  id.protocol = ByteAt(reply, 38);
  id.revision = static_cast<uint32_t>(ReadUnsigned(reply, 39, 4));
  return id;
}

std::string FirmwareText(const Identity& id) {
  return std::to_string(id.major) + "." + std::to_string(id.minor) + "." +
         std::to_string(id.protocol) + "." + std::to_string(id.revision);
}

void AirGapCoefficients(int32_t codeLength, float& k, float& n) {
  struct Row {
    int32_t codeLength;
    float k, n;
  };
  static constexpr std::array<Row, 5> kTable{{{5, -120.1f, 1236.0f},
                                              {6, -94.21f, 977.1f},
                                              {7, -83.62f, 846.1f},
                                              {8, -71.04f, 682.0f},
                                              {9, -69.44f, 718.84f}}};
  k = n = 0.0f;
  for (const Row& row : kTable) {
    if (row.codeLength == codeLength) {
      k = row.k;
      n = row.n;
    }
  }
}

DeviceProfile DeriveProfile(const ByteString& pn, uint8_t resolution, int32_t cpr) {
  DeviceProfile p;
  p.resolucija_bitov = resolution;
  p.Enkoder_CPR = cpr;
  const ByteString code = Chars(pn, 9, 2);
  for (uint8_t bits : {20, 19, 18, 17, 16}) {
    if (code == std::to_string(bits)) {
      p.resolucija_bitov = bits;
      p.Enkoder_CPR = int32_t{1} << bits;
      break;
    }
  }

  p.Multiturn = Chars(pn, 11, 1) == "M" ? 1 : 0;

  p.Singleturn_maska = 0;
  for (int i = 0; i < p.resolucija_bitov; ++i) p.Singleturn_maska = (p.Singleturn_maska << 1) | 1;

  struct Ring {
    const char* prefix;
    float diameter;
  };
  static constexpr std::array<Ring, 7> kRings{{{"QRA01", 18.3f},
                                               {"QRA02", 23.7f},
                                               {"QRA03", 33.4f},
                                               {"QRA04", 42.1f},
                                               {"QRA05", 45.8f},
                                               {"QRA06", 57.3f},
                                               {"QRA07", 72.8f}}};
  p.PremerKodeRinga = 1.0e9f;
  for (const Ring& ring : kRings) {
    if (BeginsWith(pn, ring.prefix)) {
      p.PremerKodeRinga = ring.diameter;
      break;
    }
  }

  p.EncDolzinaKode = 8;
  if (BeginsWith(pn, "QRA03") || BeginsWith(pn, "QRA04")) p.EncDolzinaKode = 7;
  if (BeginsWith(pn, "QRA02") || BeginsWith(pn, "QRA01")) p.EncDolzinaKode = 6;
  if (BeginsWith(pn, "QS7")) p.EncDolzinaKode = 5;

  p.SelfCalTimeout = Chars(pn, 15, 2) == "14" ? 40 : 10;
  AirGapCoefficients(p.EncDolzinaKode, p.AirGapK, p.AirGapN);
  return p;
}

}  // namespace protocol
