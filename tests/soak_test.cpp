// The real tovra2 against the simulated encoder for a long while, the encoder making faults at
// random (fixed seed): noise, dropped, short, long and garbled replies, a wrong header, the
// position's error bit, the cable pulled and plugged in again. The program must not crash or
// draw a sanitizer report, its memory must stay flat, and after every fault it must be polling
// again within one search over this machine's ports plus a second. Runs on an X display
// (xvfb-run): a "Cable disconnected!" warning is dismissed as the user would, with xdotool.
//
// TOVRA2_SOAK_SECONDS sets the length of the faults phase (60 by default; 3600 for an hour),
// TOVRA2_SOAK_SEED the seed (1).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <thread>

#include "proc_stats.h"
#include "sim/pty_host.h"
#include "sim/registration.h"

namespace {

using namespace std::chrono_literals;

long EnvNumber(const char* name, long otherwise) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtol(text, nullptr, 10) : otherwise;
}

bool IsPoll(const ByteString& frame) {
  return frame.size() == 1 && std::string("13dsta").find(frame[0]) != std::string::npos;
}

class Soak {
 public:
  Soak() : host_(sim::EncoderConfig{}, 115200) { host_.SetWireTime(true); }

  ~Soak() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    host_.Stop();
    if (!runtime_.empty()) std::system(("rm -rf '" + runtime_ + "'").c_str());
  }

  bool Setup(std::string& error) {
    char folder[] = "/tmp/tovra2-soak-XXXXXX";
    if (!::mkdtemp(folder)) return error = "mkdtemp", false;
    runtime_ = folder;
    ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    if (!host_.Start(&error)) return false;
    return Plug(error);
  }

  bool Plug(std::string& error) {
    return !sim::RegisterVirtualPort("sim0", host_.SlavePath(), &error).empty();
  }

  bool Launch() {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    stderrPath_ = runtime_ + "/tovra2.stderr";
    posix_spawn_file_actions_addopen(&actions, 2, stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    char program[] = TOVRA2_BINARY;
    char* argv[] = {program, nullptr};
    launchedAt_ = host_.Elapsed();
    const bool ok = ::posix_spawn(&pid_, program, &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return ok;
  }

  bool Alive() {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == 0) return true;
    exitStatus_ = status;
    pid_ = -1;
    return false;
  }

  // Asks the program to end as the desktop would and returns its exit status.
  int End() {
    if (pid_ <= 0) return exitStatus_;
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 1000 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i)
      std::this_thread::sleep_for(10ms);
    if (::waitpid(pid_, &status, WNOHANG) == 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    return status;
  }

  std::string StderrText() {
    std::ifstream file(stderrPath_);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  }

  // The time of the first frame after `since` that `matches`; waits up to `ms`. 0: none.
  uint32_t WaitForFrame(uint32_t since, const std::function<bool(const ByteString&)>& matches,
                        uint32_t ms) {
    const uint32_t until = host_.Elapsed() + ms;
    while (host_.Elapsed() < until && Alive()) {
      for (const sim::ReceivedFrame& f : host_.Frames())
        if (f.at > since && matches(f.bytes)) return f.at;
      SampleMemory();
      std::this_thread::sleep_for(5ms);
    }
    return 0;
  }

  // The user at the bench: a "Cable disconnected!" warning (a pull seen as a failed write) is
  // dismissed with Return once it is up.
  void DismissWarnings() {
    const uint32_t now = host_.Elapsed();
    if (now - lastLook_ < 300) return;
    lastLook_ = now;
    FILE* p = ::popen("xdotool search --onlyvisible --name '^Warning$' 2>/dev/null", "r");
    if (!p) return;
    char line[64];
    while (std::fgets(line, sizeof line, p)) {
      const std::string window = std::to_string(std::strtoul(line, nullptr, 10));
      std::system(("xdotool windowfocus --sync " + window + " key Return 2>/dev/null").c_str());
      dismissedAt_ = host_.Elapsed();
      if (dismissed_ == 0) firstDismissedAt_ = dismissedAt_;
      ++dismissed_;
    }
    ::pclose(p);
  }

  void SampleMemory() {
    DismissWarnings();
    const uint32_t now = host_.Elapsed();
    if (pid_ > 0 && now - lastSample_ >= 500) {
      lastSample_ = now;
      const long kb = proc::ResidentKb(pid_);
      if (kb > 0) resident_.push_back({now, kb});
    }
  }

  // Holds for `ms`, sampling memory meanwhile.
  void Hold(uint32_t ms) {
    const uint32_t until = host_.Elapsed() + ms;
    while (host_.Elapsed() < until && Alive()) {
      SampleMemory();
      std::this_thread::sleep_for(5ms);
    }
  }

  sim::PtyHost& host() { return host_; }
  uint32_t launchedAt() const { return launchedAt_; }
  pid_t pid() const { return pid_; }
  struct Sample {
    uint32_t at;
    long kb;
  };
  const std::vector<Sample>& resident() const { return resident_; }

 private:
  sim::PtyHost host_;
  std::string runtime_, stderrPath_;
  pid_t pid_ = -1;
  int exitStatus_ = 0;
  uint32_t launchedAt_ = 0;
  uint32_t lastSample_ = 0;
  uint32_t lastLook_ = 0;
  uint32_t dismissedAt_ = 0, firstDismissedAt_ = 0;
  int dismissed_ = 0;

 public:
  uint32_t dismissedAt() const { return dismissedAt_; }
  int dismissed() const { return dismissed_; }
  uint32_t firstDismissedAt() const { return firstDismissedAt_; }

 private:
  std::vector<Sample> resident_;
};

long Median(std::vector<long> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

TEST(SoakTest, FaultsAtRandomNeverCrashLeakOrKeepTheToolAway) {
  const uint32_t seconds = static_cast<uint32_t>(EnvNumber("TOVRA2_SOAK_SECONDS", 60));
  const unsigned seed = static_cast<unsigned>(EnvNumber("TOVRA2_SOAK_SEED", 1));
  std::mt19937 rng(seed);
  auto between = [&](uint32_t low, uint32_t high) { return low + rng() % (high - low + 1); };

  Soak soak;
  std::string error;
  ASSERT_TRUE(soak.Setup(error)) << error;
  sim::PtyHost& host = soak.host();

  // One whole search over this machine's ports, from the silent encoder's point of view: two
  // identification requests at its rate are one search and one 800 ms pause apart.
  host.Configure([](sim::EncoderConfig& c) { c.silent = true; });
  ASSERT_TRUE(soak.Launch());
  auto isV = [](const ByteString& f) { return f == "v"; };
  const uint32_t firstV = soak.WaitForFrame(0, isV, 20000);
  ASSERT_NE(firstV, 0u) << soak.StderrText();
  const uint32_t secondV = soak.WaitForFrame(firstV, isV, 20000);
  ASSERT_NE(secondV, 0u) << soak.StderrText();
  const uint32_t search = secondV - firstV - 800;
  const uint32_t bound = search + 1000;
  host.Configure([](sim::EncoderConfig& c) { c.silent = false; });
  ASSERT_NE(soak.WaitForFrame(secondV, IsPoll, bound + 1000), 0u) << soak.StderrText();

  // Warm-up, then the faults.
  soak.Hold(std::min<uint32_t>(10000, seconds * 1000 / 4));
  const uint32_t warmedUp = host.Elapsed();
  const uint32_t end = warmedUp + seconds * 1000;

  struct Tally {
    int count = 0;
    uint32_t worst = 0;
  };
  std::map<std::string, Tally> tally;
  int faults = 0;
  // The encoder changed by `make` for `ms`, then its configuration put back as it was.
  auto faultFor = [&](uint32_t ms, const std::function<void(sim::EncoderConfig&)>& make) {
    sim::EncoderConfig before;
    host.Configure([&](sim::EncoderConfig& c) {
      before = c;
      make(c);
    });
    soak.Hold(ms);
    host.Configure([&](sim::EncoderConfig& c) { c = before; });
  };
  while (host.Elapsed() < end && soak.Alive()) {
    soak.Hold(between(300, 2000));  // polling undisturbed for a while
    std::string kind;
    switch (rng() % 8) {
      case 0: {
        kind = "noise bytes";
        ByteString noise(between(1, 64), '\0');
        for (char& c : noise) c = static_cast<char>(rng());
        host.Inject(noise);
        soak.Hold(50);
        break;
      }
      case 1:
        kind = "dropped replies";
        faultFor(between(300, 1500), [](sim::EncoderConfig& c) { c.silent = true; });
        break;
      case 2: {
        kind = "short replies";
        const int by = static_cast<int>(between(1, 3));
        faultFor(between(300, 1500), [by](sim::EncoderConfig& c) { c.shortBy = by; });
        break;
      }
      case 3: {
        kind = "long replies";
        const int extra = static_cast<int>(between(1, 40));
        faultFor(between(500, 3000), [extra](sim::EncoderConfig& c) { c.extraBytes = extra; });
        break;
      }
      case 4:
        kind = "garbled replies";
        faultFor(between(300, 1500), [](sim::EncoderConfig& c) { c.noise = true; });
        break;
      case 5:
        // Lost first, so that the searches meet the wrong header.
        kind = "wrong header";
        faultFor(300, [](sim::EncoderConfig& c) { c.silent = true; });
        faultFor(between(1000, 4000), [](sim::EncoderConfig& c) { c.wrongHeader = true; });
        break;
      case 6:
        kind = "position error";
        faultFor(between(500, 3000), [](sim::EncoderConfig& c) { c.positionError = true; });
        break;
      default:
        kind = "unplug and replug";
        host.Stop();
        soak.Hold(between(300, 2000));
        ASSERT_TRUE(host.Start(&error)) << error;
        ASSERT_TRUE(soak.Plug(error)) << error;
        break;
    }
    ++faults;
    const uint32_t ended = host.Elapsed();
    const uint32_t back = soak.WaitForFrame(ended, IsPoll, bound + 5000);
    // Counted from the fault's end, or from the warning's dismissal when one was up.
    const uint32_t over = std::max(ended, soak.dismissedAt());
    ASSERT_TRUE(soak.Alive()) << "tovra2 ended during \"" << kind << "\"\n" << soak.StderrText();
    ASSERT_NE(back, 0u) << "not polling again after \"" << kind << "\"";
    Tally& t = tally[kind];
    ++t.count;
    t.worst = std::max(t.worst, back - over);
    EXPECT_LE(back - over, bound) << kind << " at " << over << " ms";
  }
  soak.Hold(2000);
  ASSERT_TRUE(soak.Alive()) << soak.StderrText();
  const long peak = proc::PeakResidentKb(soak.pid());

  // Memory: the first and last tenth of the faults phase, each by its median. The first warning
  // box builds what every later one reuses: counted from after it, when there was one.
  const uint32_t from = std::max(warmedUp, soak.firstDismissedAt() + 2000);
  std::vector<long> early, late;
  for (const Soak::Sample& s : soak.resident()) {
    if (s.at < from) continue;
    const double part = static_cast<double>(s.at - from) / (host.Elapsed() - from);
    if (part < 0.1) early.push_back(s.kb);
    if (part > 0.9) late.push_back(s.kb);
  }
  const long growth = Median(late) - Median(early);

  const int status = soak.End();
  const std::string diagnostics = soak.StderrText();

  std::printf("soak: seed %u, %u s of faults, %d faults; one search here %u ms, bound %u ms\n",
              seed, seconds, faults, search, bound);
  std::printf("  %-18s %6s %12s\n", "fault", "count", "worst back");
  for (const auto& [kind, t] : tally)
    std::printf("  %-18s %6d %9u ms\n", kind.c_str(), t.count, t.worst);
  std::printf("  warnings dismissed: %d\n", soak.dismissed());
  std::printf("  resident: %ld kB early, %ld kB late (growth %ld kB), peak %ld kB\n", Median(early),
              Median(late), growth, peak);

  EXPECT_GE(faults, static_cast<int>(seconds / 10));
#ifndef TOVRA2_SANITIZED
  // The sanitizers hold freed memory back on purpose: memory is judged without them.
  EXPECT_LT(growth, 1024) << "resident memory grew";
#endif
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "exit status " << status << "\n"
                                                             << diagnostics;
  EXPECT_EQ(diagnostics.find("Sanitizer"), std::string::npos) << diagnostics;
  EXPECT_EQ(diagnostics.find("runtime error"), std::string::npos) << diagnostics;
}

}  // namespace
