// termios2 lives here alone: its header cannot share a translation unit with <termios.h>.
#include "sim/pty_rate.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace sim {

bool ReadPtyLine(int masterFd, PtyLine& line) {
  struct termios2 tio {};
  if (ioctl(masterFd, TCGETS2, &tio) != 0) return false;
  line.baud = tio.c_ospeed;
  line.eightNone1 =
      (tio.c_cflag & CSIZE) == CS8 && (tio.c_cflag & PARENB) == 0 && (tio.c_cflag & CSTOPB) == 0;
  return true;
}

}  // namespace sim
