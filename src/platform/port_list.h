// Where serial ports come from on Linux besides Qt's list: terminal checks and the user's
// registered virtual ports.
#pragma once

#include <string>
#include <vector>

#include "platform/comm.h"

namespace platform {

// Whether `path` (links followed) is a character device driven by a serial or pseudo-terminal
// (slave) tty driver: the only kind of device the program opens.
bool IsTerminalDevice(const std::string& path);

// Whether the tty driver table (the text of /proc/tty/drivers) has a serial or pty-slave driver
// for the device number.
bool TtyDriversCover(const std::string& drivers, unsigned major, unsigned minor);

// The folder of the user's virtual ports: $XDG_RUNTIME_DIR/tovra2/ports, or without it
// /tmp/tovra2-<uid>/ports, the latter only while /tmp/tovra2-<uid> is a folder of the user's
// that nobody else may enter. Empty when there is none to use.
std::string VirtualPortsDir();

// The virtual ports registered in `dir`: its symbolic links to terminals, sorted by name;
// the designation is the link's name, the description the name of the link's target.
std::vector<PortInfo> VirtualPorts(const std::string& dir);

}  // namespace platform
