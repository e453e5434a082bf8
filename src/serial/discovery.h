// Finding the encoder: every listed port at every rate.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/comm.h"

// Line speeds by the baud-rate group's item index; 1000000 is tried before 921600.
inline constexpr std::array<uint32_t, 7> kBaudRates = {115200, 128000,  230400, 256000,
                                                       500000, 1000000, 921600};

// How long detection waits before each later search.
inline constexpr uint32_t kSearchAgainMs = 800;

// The port list's entry for a port: the designation, two blanks, at most 10 characters of the
// device's description.
std::string PortEntry(const platform::PortInfo& port);

// The designation an entry begins with: its text up to the first blank (all of it without one).
std::string EntryDesignation(const std::string& entry);
