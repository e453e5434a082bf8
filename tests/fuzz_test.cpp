// Random byte strings of random length through every reply decoder: nothing may crash, read
// past a buffer or hit undefined behaviour (the sanitizer build runs the same cases).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "decoder_fuzz.h"
#include "protocol/profile.h"

namespace {

// Replies a line can bring: pure noise, and noise behind a valid beginning so that the deeper
// paths (identification fields, every poll layout) are reached as well.
ByteString RandomReply(std::mt19937& rng) {
  static const ByteString kStarts[] = {"", "vTovra-2 ", "1", "d", "s", "t", "a", "i"};
  const size_t limits[] = {12, 50, 300};
  ByteString reply = kStarts[rng() % std::size(kStarts)];
  const size_t length = rng() % (limits[rng() % std::size(limits)] + 1);
  while (reply.size() < length) reply += static_cast<char>(rng());
  if (reply.size() > length && rng() % 2) reply.resize(length);
  return reply;
}

TEST(FuzzTest, RandomRepliesThroughEveryDecoder) {
  const char* seedText = std::getenv("TOVRA2_FUZZ_SEED");
  const unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 1u;
  std::mt19937 rng(seed);
  size_t identified = 0, sink = 0;
  constexpr int kCases = 100000;
  for (int i = 0; i < kCases; ++i) {
    const ByteString reply = RandomReply(rng);
    identified += protocol::IsIdentificationReply(reply);
    sink += fuzz::FeedDecoders(reinterpret_cast<const uint8_t*>(reply.data()), reply.size());
  }
  RecordProperty("seed", static_cast<int>(seed));
  EXPECT_GT(identified, kCases / 50u) << "the identification path was hardly reached";
  EXPECT_NE(sink, 0u);
}

}  // namespace
