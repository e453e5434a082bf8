// Registering a pseudo-terminal as one of the user's virtual ports, where the tool finds it.
#pragma once

#include <string>

namespace sim {

// Links `name` in the user's virtual-ports folder (created as needed, closed to others) to
// `target`. Returns the link's path, or an empty string with `error` set.
std::string RegisterVirtualPort(const std::string& name, const std::string& target,
                                std::string* error = nullptr);

// Removes a link made by RegisterVirtualPort.
void UnregisterVirtualPort(const std::string& linkPath);

}  // namespace sim
