// Byte strings: requests, replies and identity fields, 8-bit characters, positions from 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

using ByteString = std::string;

namespace protocol {

// The byte at position `pos` (from 1).
inline uint8_t ByteAt(const ByteString& s, size_t pos) {
  return static_cast<uint8_t>(s.at(pos - 1));
}

// `count` bytes from position `first` (from 1) as one number, most significant byte first.
uint64_t ReadUnsigned(const ByteString& s, size_t first, size_t count);
// The same, two's complement: sign-extended from the field's own top bit.
int64_t ReadSigned(const ByteString& s, size_t first, size_t count);
// Sign-extends the low `bits` bits of `value`.
int64_t SignExtend(uint64_t value, unsigned bits);

}  // namespace protocol
