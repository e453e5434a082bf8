// Which devices count as terminals, and where virtual ports are looked for.
#include "platform/port_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

using namespace platform;

namespace {

const char* kDrivers =
    "/dev/tty             /dev/tty        5       0 system:/dev/tty\n"
    "/dev/console         /dev/console    5       1 system:console\n"
    "/dev/ptmx            /dev/ptmx       5       2 system\n"
    "usbserial            /dev/ttyUSB   188 0-511 serial\n"
    "acm                  /dev/ttyACM   166 0-255 serial\n"
    "serial               /dev/ttyS       4 64-111 serial\n"
    "pty_slave            /dev/pts      136 0-1048575 pty:slave\n"
    "pty_master           /dev/ptm      128 0-1048575 pty:master\n"
    "unknown              /dev/tty        4 1-63 console\n";

TEST(PortListTest, OnlySerialAndPseudoTerminalSlavesAreTerminalsToOpen) {
  struct Row {
    unsigned major, minor;
    bool terminal;
  };
  const Row rows[] = {
      {188, 0, true}, {166, 3, true},  {4, 64, true}, {4, 111, true},
      {136, 7, true}, {4, 112, false}, {4, 1, false}, {5, 0, false},
      {5, 2, false},  {128, 7, false}, {1, 3, false}, {10, 130, false},  // /dev/null, /dev/watchdog
  };
  for (const Row& r : rows)
    EXPECT_EQ(TtyDriversCover(kDrivers, r.major, r.minor), r.terminal) << r.major << ":" << r.minor;
  EXPECT_FALSE(IsTerminalDevice("/dev/null"));
  EXPECT_FALSE(IsTerminalDevice("/etc/hostname"));
}

TEST(PortListTest, VirtualPortsFolder) {
  ::setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
  EXPECT_EQ(VirtualPortsDir(), "/run/user/1000/tovra2/ports");

  ::unsetenv("XDG_RUNTIME_DIR");
  const std::string base = "/tmp/tovra2-" + std::to_string(::getuid());
  struct stat st {};
  if (::lstat(base.c_str(), &st) == 0) GTEST_SKIP() << base << " is in use";
  // In /tmp only a folder of the user's that nobody else may enter is used.
  ASSERT_EQ(::mkdir(base.c_str(), 0755), 0);
  ::chmod(base.c_str(), 0755);
  EXPECT_EQ(VirtualPortsDir(), "");
  ::chmod(base.c_str(), 0700);
  EXPECT_EQ(VirtualPortsDir(), base + "/ports");
  ::rmdir(base.c_str());
  ASSERT_EQ(::symlink("/tmp", base.c_str()), 0);
  EXPECT_EQ(VirtualPortsDir(), "");
  ::unlink(base.c_str());
}

}  // namespace
