// The version record of the program's own file.
#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// The two 32-bit version words: major and minor in the high and low halves of `ms`, release
// and build in those of `ls`.
struct FileVersion {
  uint32_t ms = 0;
  uint32_t ls = 0;
};

// Nothing when the program was built without a version.
std::optional<FileVersion> OwnFileVersion();

}  // namespace platform
