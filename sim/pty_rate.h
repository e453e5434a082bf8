// Line settings of a pseudo-terminal as its far side set them.
#pragma once

#include <cstdint>

namespace sim {

struct PtyLine {
  uint32_t baud = 0;
  bool eightNone1 = false;  // 8 data bits, no parity, one stop bit
};

// Reads the settings through the master side, custom rates included; nothing on failure.
bool ReadPtyLine(int masterFd, PtyLine& line);

}  // namespace sim
