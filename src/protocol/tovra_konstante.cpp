#include "protocol/tovra_konstante.h"

namespace protocol {

ByteString WithValue(const ByteString& frame, uint32_t value) {
  ByteString copy = frame;
  for (size_t pos = 9; pos >= 6; --pos) {
    copy.at(pos - 1) = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
  return copy;
}

}  // namespace protocol
