// Pure pieces of the window's lifecycle.
#pragma once

#include <optional>
#include <string>

#include "platform/version.h"

// "major.minor.release.build" in decimal; empty without a version record.
std::string VersionText(const std::optional<platform::FileVersion>& version);
