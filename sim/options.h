// The command line of tovra2-sim.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "sim/engine.h"

namespace sim {

struct SimOptions {
  EncoderConfig encoder;
  uint32_t baud = 115200;
  std::string name = "sim0";  // the virtual port's name
  std::string log;            // request log file; empty: none
  bool noiseAtOtherRates = false;
  int unplugAfterSeconds = -1;  // -1: never
  bool help = false;
};

// The options in `args` (without the program name), or the error to show.
std::variant<SimOptions, std::string> ParseSimOptions(const std::vector<std::string>& args);

// What --help prints.
std::string SimUsage();

}  // namespace sim
