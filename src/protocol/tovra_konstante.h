// Requests, reply lengths and configuration frames of the Tovra-2 protocol.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>

#include "protocol/bytes.h"

// A constant table indexed from `First` to `Last`.
template <class T, int First, int Last>
struct IndexedTable {
  std::array<T, Last - First + 1> items;
  constexpr const T& operator[](int i) const {
    if (i < First || i > Last) throw std::out_of_range("table index");
    return items[static_cast<size_t>(i - First)];
  }
};

// Request characters, 1 to 6 for the polling cycle, 7 for identification.
inline constexpr IndexedTable<char, 1, 7> PollCommand{{'1', '3', 'd', 's', 't', 'a', 'v'}};

// Expected reply bytes by [Multiturn][index].
inline constexpr IndexedTable<IndexedTable<int32_t, 1, 7>, 0, 1> ReplyLength{{{
    {{4, 3, 6, 7, 5, 6, 42}},  // single-turn
    {{6, 5, 8, 9, 7, 8, 42}},  // multiturn
}}};

// Every configuration frame begins with these four bytes.
inline const ByteString UnlockPrefix{"\x5A\xC3\x6E\x91", 4};

// Configuration frames; none is answered (expected reply length 0).
inline const ByteString FrameMultiturnReset = UnlockPrefix + ByteString{"M\0\0\0\0", 5};
inline const ByteString FrameFactoryReset = UnlockPrefix + "r";
// Template of the zero-offset frame, carrying the value 2.
inline const ByteString FrameZeroOffset = UnlockPrefix + ByteString{"Z\0\0\0\x02", 5};
inline const ByteString FrameSave = UnlockPrefix + "c";
inline const ByteString FrameSelfCalStart = UnlockPrefix + "A";

// Identification and self-calibration status requests.
inline const ByteString RequestIdentification{"v"};
inline constexpr int32_t IdentificationReplyLength = 42;
inline const ByteString RequestSelfCalStatus{"i"};
inline constexpr int32_t SelfCalStatusReplyLength = 8;

namespace protocol {

// A copy of the nine-byte `frame` with `value` in bytes 6 to 9, most significant byte first.
ByteString WithValue(const ByteString& frame, uint32_t value);

}  // namespace protocol
