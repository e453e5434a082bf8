#include "platform/port_list.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform {

bool TtyDriversCover(const std::string& drivers, unsigned major, unsigned minor) {
  std::istringstream lines(drivers);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::vector<std::string> f;
    for (std::string field; fields >> field;) f.push_back(field);
    if (f.size() < 5) continue;
    // name, node, major, minors ("64" or "0-1048575"), type
    const std::string& type = f[f.size() - 1];
    if (type != "serial" && type != "pty:slave") continue;
    char* end = nullptr;
    if (std::strtoul(f[f.size() - 3].c_str(), &end, 10) != major || *end) continue;
    const std::string& minors = f[f.size() - 2];
    const auto dash = minors.find('-');
    const unsigned long low = std::strtoul(minors.c_str(), nullptr, 10);
    const unsigned long high =
        dash == std::string::npos ? low : std::strtoul(minors.c_str() + dash + 1, nullptr, 10);
    if (minor >= low && minor <= high) return true;
  }
  return false;
}

bool IsTerminalDevice(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  std::ifstream file("/proc/tty/drivers");
  std::stringstream drivers;
  drivers << file.rdbuf();
  return TtyDriversCover(drivers.str(), ::major(st.st_rdev), ::minor(st.st_rdev));
}

namespace {
bool SafeEntry(const struct stat& st) {
  const bool owner = st.st_uid == ::getuid() || st.st_uid == 0;
  const bool othersWrite = (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
  return owner && (!othersWrite || (st.st_uid == 0 && (st.st_mode & S_ISVTX)));
}

std::string RealPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return {};
  std::string out = real;
  std::free(real);
  return out;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}
}  // namespace

bool SafeFolder(const std::string& folder) {
  const std::string real = RealPath(folder);
  if (real.empty()) return false;
  for (size_t end = 0; end != std::string::npos; end = real.find('/', end + 1)) {
    const std::string part = end == 0 ? "/" : real.substr(0, end);
    struct stat st {};
    if (::lstat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || !SafeEntry(st)) return false;
  }
  struct stat st {};
  return ::lstat(real.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && SafeEntry(st);
}

std::optional<TerminalNode> OpenableTerminal(const std::string& path) {
  // Hop by hop: another user must not be able to swap a link on the way.
  std::string current = path;
  for (int hop = 0;; ++hop) {
    if (hop > 40 || !SafeFolder(FolderOf(current))) return std::nullopt;
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0) return std::nullopt;
    if (!S_ISLNK(st.st_mode)) break;
    char target[4096];
    const ssize_t n = ::readlink(current.c_str(), target, sizeof target - 1);
    if (n <= 0) return std::nullopt;
    const std::string next(target, static_cast<size_t>(n));
    current = next[0] == '/' ? next : RealPath(FolderOf(current)) + "/" + next;
  }
  TerminalNode node{RealPath(current), 0};
  struct stat st {};
  if (node.path.empty() || ::stat(node.path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode))
    return std::nullopt;
  if (st.st_uid != ::getuid() && st.st_uid != 0) return std::nullopt;  // someone else's terminal
  if (!IsTerminalDevice(node.path)) return std::nullopt;
  node.device = st.st_rdev;
  return node;
}

std::string VirtualPortsDir() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::string(runtime) + "/tovra2/ports";
  const std::string base = "/tmp/tovra2-" + std::to_string(::getuid());
  struct stat st {};
  // In a folder everybody may write to: only one of the user's own, closed to others.
  if (::lstat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
      (st.st_mode & 0777) != 0700)
    return {};
  return base + "/ports";
}

std::vector<PortInfo> VirtualPorts(const std::string& dir) {
  std::vector<PortInfo> ports;
  if (dir.empty() || !SafeFolder(dir)) return ports;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return ports;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(d)) {
    const std::string name = entry->d_name;
    // A designation is taken back up to its first blank: names with blanks cannot be.
    if (name.empty() || name[0] == '.' || name.find(' ') != std::string::npos) continue;
    names.push_back(name);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string link = dir + "/" + name;
    struct stat st {};
    if (::lstat(link.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) continue;
    if (!OpenableTerminal(link)) continue;
    char target[4096];
    const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0) continue;
    std::string targetName(target, static_cast<size_t>(n));
    targetName = targetName.substr(targetName.find_last_of('/') + 1);
    ports.push_back({name, targetName, link});
  }
  return ports;
}

}  // namespace platform
