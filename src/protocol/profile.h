// The identification reply and the device profile derived from the part number.
#pragma once

#include <cstdint>
#include <string>

#include "protocol/bytes.h"

namespace protocol {

// Every identification reply of the family begins with these nine characters.
inline const ByteString kIdentificationPrefix = "vTovra-2 ";

struct Identity {
  ByteString header;      // 7 characters
  ByteString serial;      // 6 characters
  ByteString partNumber;  // 16 characters
  uint8_t major = 0;
  uint8_t minor = 0;
  uint8_t protocol = 0;
  uint32_t revision = 0;
};

// At least 42 bytes, beginning with the family's prefix.
bool IsIdentificationReply(const ByteString& reply);
// The fields at their fixed positions; the reply must pass IsIdentificationReply.
Identity ReadIdentity(const ByteString& reply);
// "major.minor.protocol.revision", all decimal, the revision unsigned.
std::string FirmwareText(const Identity& identity);

struct DeviceProfile {
  uint8_t resolucija_bitov = 0;
  int32_t Enkoder_CPR = 0;
  uint8_t Multiturn = 0;
  uint32_t Singleturn_maska = 0;
  float PremerKodeRinga = 0.0f;
  int32_t EncDolzinaKode = 0;
  float AirGapK = 0.0f;
  float AirGapN = 0.0f;
  int32_t SelfCalTimeout = 0;
};

// The profile of a part number. A resolution code outside the table keeps `resolution` and
// `cpr`, and the mask is built from the kept resolution.
DeviceProfile DeriveProfile(const ByteString& partNumber, uint8_t resolution, int32_t cpr);

// Air-gap coefficients of a code length class; 0 and 0 outside 5 to 9.
void AirGapCoefficients(int32_t codeLength, float& k, float& n);

}  // namespace protocol
