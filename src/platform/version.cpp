#include "platform/version.h"

namespace platform {

std::optional<FileVersion> OwnFileVersion() {
#if defined(TOVRA2_VERSION_MAJOR) && defined(TOVRA2_VERSION_MINOR) && \
    defined(TOVRA2_VERSION_RELEASE) && defined(TOVRA2_VERSION_BUILD)
  return FileVersion{(uint32_t{TOVRA2_VERSION_MAJOR} << 16) | uint32_t{TOVRA2_VERSION_MINOR},
                     (uint32_t{TOVRA2_VERSION_RELEASE} << 16) | uint32_t{TOVRA2_VERSION_BUILD}};
#else
  return std::nullopt;
#endif
}

}  // namespace platform
