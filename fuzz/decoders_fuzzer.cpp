// libFuzzer entry: every input is one reply for all the decoders.
#include <cstddef>
#include <cstdint>

#include "decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FeedDecoders(data, size);
  return 0;
}
