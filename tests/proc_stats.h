// A process's figures from /proc: resident memory, its peak, processor time. Shared by the
// tests and the benchmarks.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace proc {

// A "Name:   123 kB" line of /proc/<pid>/status, in kB; -1 when there is none.
inline long StatusKb(pid_t pid, const std::string& name) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(name + ":", 0) == 0) return std::stol(line.substr(name.size() + 1));
  return -1;
}
inline long ResidentKb(pid_t pid = ::getpid()) {
  return StatusKb(pid, "VmRSS");
}
inline long PeakResidentKb(pid_t pid = ::getpid()) {
  return StatusKb(pid, "VmHWM");
}

// User plus system processor time of the process so far, in ms; -1 when it is gone.
inline double CpuMs(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');  // the name may hold blanks and brackets
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; fields >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) {
      stime = std::stoull(field);
      return (utime + stime) * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }
  }
  return -1;
}

}  // namespace proc
