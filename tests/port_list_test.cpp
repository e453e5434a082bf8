// Which devices count as terminals, and where virtual ports are looked for.
#include "platform/port_list.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/qt_comm.h"

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

// Registered links to what is no port, or to a port by a way another user could change:
// neither listed nor ever opened.
class HostileLinksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/tovra2-links-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    root = folder;
    ports = root + "/ports";
    ASSERT_EQ(::mkdir(ports.c_str(), 0700), 0);
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
  }
  void TearDown() override {
    ::close(slave);
    ::close(master);
    std::system(("rm -rf '" + root + "'").c_str());
  }
  void Link(const std::string& target, const std::string& as) {
    ASSERT_EQ(::symlink(target.c_str(), as.c_str()), 0) << as;
  }
  std::string root, ports;
  int master = -1, slave = -1;
  char name[256] = {};
};

TEST_F(HostileLinksTest, OnlyTerminalsReachedThroughSafeFoldersAreListedAndOpened) {
  const bool root_user = ::getuid() == 0;
  const std::string file = root + "/file", folder = root + "/folder", fifo = root + "/fifo";
  ASSERT_EQ(::close(::open(file.c_str(), O_CREAT | O_WRONLY, 0600)), 0);
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A folder anybody may write to, and (as root) one of another user's: a link in either
  // could be swapped for something else between the check and the open.
  const std::string open = root + "/open", others = root + "/others";
  ASSERT_EQ(::mkdir(open.c_str(), 0700), 0);
  ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
  Link(name, open + "/tty");
  ASSERT_EQ(::mkdir(others.c_str(), 0700), 0);
  Link(name, others + "/tty");
  if (root_user) {
    ASSERT_EQ(::lchown(others.c_str(), 12345, 12345), 0);
  }
  // A second hop through a safe folder is fine.
  Link(name, folder + "/tty");

  Link(file, ports + "/file");
  Link(folder, ports + "/folder");
  Link(root + "/missing", ports + "/missing");
  Link(fifo, ports + "/fifo");
  Link("/dev/null", ports + "/null");
  Link(open + "/tty", ports + "/viaopen");
  Link(others + "/tty", ports + "/viaothers");
  Link(folder + "/tty", ports + "/twohops");
  Link(name, ports + "/sim0");

  std::vector<std::string> listed;
  for (const PortInfo& port : VirtualPorts(ports)) listed.push_back(port.designation);
  // A plain user cannot hand a folder to another: there it stays the user's own, and safe.
  std::vector<std::string> expected{"sim0", "twohops"};
  if (!root_user) expected.push_back("viaothers");
  EXPECT_EQ(listed, expected);

  QtCommBackend backend;
  for (const char* entry : {"file", "folder", "missing", "fifo", "null", "viaopen", "viaothers"}) {
    if (!root_user && std::string(entry) == "viaothers") continue;
    EXPECT_EQ(backend.Open(ports + "/" + entry), INVALID_HANDLE_VALUE) << entry;
  }
  const THandle h = backend.Open(ports + "/twohops");
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  backend.Close(h);

  // Another user's terminal is never written to, however it is reached.
  if (root_user) {
    ASSERT_EQ(::chown(name, 12345, 12345), 0);
    EXPECT_TRUE(VirtualPorts(ports).empty());
    EXPECT_EQ(backend.Open(name), INVALID_HANDLE_VALUE);
    ASSERT_EQ(::chown(name, 0, 0), 0);
  }

  // A ports folder others may write to is not looked into at all.
  ASSERT_EQ(::chmod(ports.c_str(), 0777), 0);
  EXPECT_TRUE(VirtualPorts(ports).empty());
}

}  // namespace
