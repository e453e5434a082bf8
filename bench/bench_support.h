// What the benchmarks share: processor time, messages printed instead of shown, and a runtime
// folder of their own for the simulator's virtual port.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/dialogs.h"

// Processor time used so far, in ms: by the process (RUSAGE_SELF) or the calling thread
// (RUSAGE_THREAD).
inline double CpuMs(int who = RUSAGE_SELF) {
  rusage usage{};
  ::getrusage(who, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// Message boxes become printed lines, so that nothing waits for a click.
inline void PrintMessages() {
  platform::SetMessageDlgHandler([](const std::string& text, platform::TMsgDlgType) {
    std::printf("  message: %s\n", text.c_str());
    return platform::mrOk;
  });
}

// XDG_RUNTIME_DIR points at a fresh folder while this lives.
class RuntimeFolder {
 public:
  RuntimeFolder() {
    char folder[] = "/tmp/tovra2-bench-XXXXXX";
    if (::mkdtemp(folder)) path_ = folder;
    if (!path_.empty()) ::setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
  }
  ~RuntimeFolder() {
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  RuntimeFolder(const RuntimeFolder&) = delete;
  RuntimeFolder& operator=(const RuntimeFolder&) = delete;
  bool Ok() const { return !path_.empty(); }

 private:
  std::string path_;
};
