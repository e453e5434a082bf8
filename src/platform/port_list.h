// Where serial ports come from on Linux besides Qt's list: terminal checks and the user's
// registered virtual ports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/comm.h"

namespace platform {

// Whether `path` (links followed) is a character device driven by a serial or pseudo-terminal
// (slave) tty driver: the only kind of device the program opens.
bool IsTerminalDevice(const std::string& path);

// Whether no user but this one or root can change what is in `folder`: every folder from / down
// to it (links resolved) is owned by one of them and writable by nobody else, a root-owned
// folder with the sticky bit (/tmp) excepted.
bool SafeFolder(const std::string& folder);

// The device a port path leads to, when the program may open it: every link on the way kept in
// safe folders, ending at a serial or pseudo-terminal (slave) character device owned by this
// user or root. So never a file, folder, FIFO or missing path, nothing in a folder another user
// can change, and no other user's terminal.
struct TerminalNode {
  std::string path;     // with every link resolved
  uint64_t device = 0;  // its device number
};
std::optional<TerminalNode> OpenableTerminal(const std::string& path);

// Whether the tty driver table (the text of /proc/tty/drivers) has a serial or pty-slave driver
// for the device number.
bool TtyDriversCover(const std::string& drivers, unsigned major, unsigned minor);

// The folder of the user's virtual ports: $XDG_RUNTIME_DIR/tovra2/ports, or without it
// /tmp/tovra2-<uid>/ports, the latter only while /tmp/tovra2-<uid> is a folder of the user's
// that nobody else may enter. Empty when there is none to use.
std::string VirtualPortsDir();

// The virtual ports registered in `dir`, a safe folder: its symbolic links to terminals the
// program may open, sorted by name; the designation is the link's name, the description the
// name of the link's target.
std::vector<PortInfo> VirtualPorts(const std::string& dir);

}  // namespace platform
