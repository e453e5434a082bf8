#include "protocol/bytes.h"

namespace protocol {

uint64_t ReadUnsigned(const ByteString& s, size_t first, size_t count) {
  uint64_t value = 0;
  for (size_t i = 0; i < count; ++i) value = (value << 8) | ByteAt(s, first + i);
  return value;
}

int64_t ReadSigned(const ByteString& s, size_t first, size_t count) {
  return SignExtend(ReadUnsigned(s, first, count), static_cast<unsigned>(count * 8));
}

int64_t SignExtend(uint64_t value, unsigned bits) {
  if (bits == 0 || bits >= 64) return static_cast<int64_t>(value);
  const uint64_t mask = (uint64_t{1} << bits) - 1;
  value &= mask;
  const uint64_t top = uint64_t{1} << (bits - 1);
  return static_cast<int64_t>((value ^ top) - top);
}

}  // namespace protocol
