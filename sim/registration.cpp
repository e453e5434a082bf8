#include "sim/registration.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/port_list.h"

namespace sim {

namespace {
bool Fail(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
  return false;
}

// Creates each missing folder of `path` below `root` with mode 0700.
bool MakeFolders(const std::string& root, const std::string& path, std::string* error) {
  for (size_t at = root.size(); at != std::string::npos;) {
    at = path.find('/', at + 1);
    const std::string part = path.substr(0, at);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return Fail(error, part);
  }
  return true;
}
}  // namespace

std::string RegisterVirtualPort(const std::string& name, const std::string& target,
                                std::string* error) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string root = runtime && *runtime ? runtime : "/tmp";
  if (root == "/tmp") {
    const std::string base = root + "/tovra2-" + std::to_string(::getuid());
    if (::mkdir(base.c_str(), 0700) != 0 && errno != EEXIST) return Fail(error, base), "";
    root = base;
  }
  const std::string dir = platform::VirtualPortsDir();
  if (dir.empty()) {
    if (error) *error = root + " is not a folder of this user's closed to others";
    return {};
  }
  if (!MakeFolders(root, dir, error)) return {};
  const std::string link = dir + "/" + name;
  struct stat st {};
  if (::lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(link.c_str());
  if (::symlink(target.c_str(), link.c_str()) != 0) return Fail(error, link), "";
  return link;
}

void UnregisterVirtualPort(const std::string& linkPath) {
  struct stat st {};
  if (::lstat(linkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(linkPath.c_str());
}

}  // namespace sim
