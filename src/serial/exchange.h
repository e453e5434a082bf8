// The one request/reply exchange every request goes through.
#pragma once

#include <cstdint>

#include "platform/comm.h"
#include "protocol/bytes.h"

// Collection gives up once more than this many milliseconds have passed.
inline constexpr uint32_t kCollectLimitMs = 200;

// Results of SendCommand.
inline constexpr int kReplyComplete = 0;  // at least the expected bytes arrived
inline constexpr int kReplyMissing = -1;  // fewer had arrived when the time ran out
inline constexpr int kNoPort = -3;        // no port open, or writing the request failed

// Discards what the port holds, writes `request` a byte at a time, and collects reply bytes
// into `reply` until `expected` have arrived or the time limit has passed.
int SendCommand(platform::THandle port, const ByteString& request, int32_t expected,
                ByteString& reply);
