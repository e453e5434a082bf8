// Figures, not pass/fail: the real tovra2 process against the simulated encoder on a
// pseudo-terminal, and beside it tovra2-spinning, the same program with the waits spinning as
// a literal reading of the algorithm has them. Processor time per wall second (user + sys,
// from /proc) while searching, polling at 50 and 10 ms and inside a self-calibration's pauses;
// the poll rates; start-up to the first position; peak resident memory after long polling.
// The states are reached as a user would, with clicks and keys (xdotool): run on an X display,
// as bench/run does under xvfb-run.
//
// Usage: process_bench BUILD_DIR [MINUTES]   (MINUTES of polling before the peak memory: 10)
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "sim/pty_host.h"
#include "sim/registration.h"
#include "tests/proc_stats.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// How to hide the system's serial ports from the program (see Launch): unshare's option for a
// mount namespace of its own, as root or else inside a user namespace; empty: they stay.
std::string g_hideWith;

bool IsPoll(const ByteString& frame) {
  return frame.size() == 1 && std::string("13dsta").find(frame[0]) != std::string::npos;
}

size_t PollsSince(sim::PtyHost& host, uint32_t since) {
  size_t n = 0;
  for (const sim::ReceivedFrame& f : host.Frames()) n += f.at > since && IsPoll(f.bytes);
  return n;
}

// Starts `program`; with the system's ports hidden, in a mount namespace of its own where
// /sys/class/tty is empty, so that the pseudo-terminals here are the only ports it finds.
pid_t Launch(const std::string& program) {
  std::vector<std::string> args;
  if (!g_hideWith.empty())
    args = {"/usr/bin/unshare",
            g_hideWith,
            "/bin/sh",
            "-c",
            "mount -t tmpfs none /sys/class/tty && exec \"$0\"",
            program};
  else
    args = {program};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

void End(pid_t pid) {
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
}

// Processor time of `pid` in ms per wall second over `seconds`.
double CpuPerSecond(pid_t pid, double seconds) {
  const double cpu0 = proc::CpuMs(pid);
  const auto t0 = Clock::now();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  return (proc::CpuMs(pid) - cpu0) / wall;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
  for (int i = 0; i < ms / 10 && !done(); ++i) std::this_thread::sleep_for(10ms);
  return done();
}

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
    ::pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out.substr(0, out.find('\n'));
}

struct Figures {
  double searching = 0, polling50 = 0, polling10 = 0, pauses = 0;
  double rate50 = 0, rate10 = 0;
  long peakKb = 0;
  double pollingMinutes = 0;
};

// One program through the states, as a user would take it there.
bool Measure(const std::string& program, double seconds, double minutes, Figures& f) {
  std::fprintf(stderr, "process_bench: %s\n", program.c_str());
  sim::EncoderConfig silent;
  silent.silent = true;
  sim::PtyHost quiet(silent, 115200);
  sim::EncoderConfig config;
  config.calibrationMs = 600000;  // runs until the tool's 40 s limit
  sim::PtyHost encoder(config, 115200);
  encoder.SetWireTime(true);
  if (!quiet.Start() || !encoder.Start()) return false;
  const std::string quietLink = sim::RegisterVirtualPort("quiet0", quiet.SlavePath());

  const pid_t pid = Launch(program);
  if (pid <= 0) return false;
  // Searching: a port that never answers, tried at every rate, again and again.
  std::this_thread::sleep_for(1500ms);
  f.searching = CpuPerSecond(pid, seconds);

  sim::UnregisterVirtualPort(quietLink);
  const std::string link = sim::RegisterVirtualPort("sim0", encoder.SlavePath());
  if (!WaitFor([&] { return PollsSince(encoder, 0) > 6; }, 15000)) {
    std::printf("  %s: the encoder was not found\n", program.c_str());
    End(pid);
    return false;
  }
  const std::string window = Shell("xdotool search --sync --pid " + std::to_string(pid) +
                                   " --name 'Tovra-2 Asnychronous' 2>/dev/null");
  auto polling = [&](double& cpu, double& rate) {
    std::this_thread::sleep_for(2000ms);  // settled
    const uint32_t from = encoder.Elapsed();
    cpu = CpuPerSecond(pid, seconds);
    rate = PollsSince(encoder, from) * 1000.0 / (encoder.Elapsed() - from);
  };
  polling(f.polling50, f.rate50);

  // The delay field: clicked, its text selected and replaced by 10.
  std::system(("xdotool windowfocus --sync " + window + " mousemove --window " + window +
               " 30 137 click 1 key ctrl+a type 10")
                  .c_str());
  polling(f.polling10, f.rate10);

  // "Start Self-Cal": its status requests 500 ms apart, the pauses between them.
  const uint32_t clicked = encoder.Elapsed();
  std::system(("xdotool mousemove --window " + window + " 515 102 click 1").c_str());
  WaitFor(
      [&] {
        for (const sim::ReceivedFrame& fr : encoder.Frames())
          if (fr.at > clicked && fr.bytes == "i") return true;
        return false;
      },
      3000);
  std::this_thread::sleep_for(500ms);
  f.pauses = CpuPerSecond(pid, seconds);

  if (minutes > 0) {
    // The calibration runs into its 40 s limit; polling at 10 ms then goes on.
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::duration<double>(minutes * 60))
      std::this_thread::sleep_for(1s);
    f.pollingMinutes = minutes;
    f.peakKb = proc::PeakResidentKb(pid);
  }
  End(pid);
  sim::UnregisterVirtualPort(link);
  return true;
}

// From process start to the first position reply: the poll "1" answered, plus its decoding.
double StartupMs(const std::string& program) {
  sim::PtyHost encoder({}, 115200);
  encoder.SetWireTime(true);
  if (!encoder.Start()) return -1;
  const std::string link = sim::RegisterVirtualPort("sim0", encoder.SlavePath());
  const uint32_t t0 = encoder.Elapsed();
  const pid_t pid = Launch(program);
  double ms = -1;
  if (pid > 0 && WaitFor([&] { return PollsSince(encoder, t0) > 0; }, 20000)) {
    for (const sim::ReceivedFrame& f : encoder.Frames()) {
      if (f.bytes != "1") continue;
      ms = f.at - t0 + 0.6;  // and its reply: 6 bytes at 115200 baud, 0.52 ms on the wire
      break;
    }
  }
  if (pid > 0) End(pid);
  sim::UnregisterVirtualPort(link);
  return ms;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: process_bench BUILD_DIR [MINUTES]\n");
    return 2;
  }
  const std::string bin = argv[1];
  const double minutes = argc > 2 ? std::atof(argv[2]) : 10.0;
  RuntimeFolder runtime;
  if (!runtime.Ok()) return 1;
  ::setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
  const std::string ours = bin + "/tovra2", spinning = bin + "/tovra2-spinning";

  // Start-up, as this machine's ports are and with them hidden.
  std::vector<double> asIs, hidden;
  for (int i = 0; i < 3; ++i) asIs.push_back(StartupMs(ours));
  for (const char* with : {"-m", "-rm"}) {
    const std::string probe =
        "unshare " + std::string(with) + " sh -c 'mount -t tmpfs none /sys/class/tty' 2>/dev/null";
    if (std::system(probe.c_str()) == 0) {
      g_hideWith = with;
      break;
    }
  }
  if (!g_hideWith.empty())
    for (int i = 0; i < 3; ++i) hidden.push_back(StartupMs(ours));

  Figures mine, naive;
  const double seconds = 10.0;
  if (!Measure(ours, seconds, minutes, mine) || !Measure(spinning, seconds, 0, naive)) return 1;

  const std::string cmd = "bench/run process";
  // /proc counts in clock ticks: over the measuring time, one tick is the resolution.
  const double tickMs = 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
  const double resolution = tickMs / seconds / 10.0;  // % of a core
  auto pct = [](double msPerSecond) { return msPerSecond / 10.0; };
  auto row = [&](const char* figure, double a, double b, const char* goal) {
    char ratio[32];
    if (a > 0)
      std::snprintf(ratio, sizeof ratio, "%.0f×", b / a);
    else
      std::snprintf(ratio, sizeof ratio, "> %.0f×", pct(b) / resolution);
    std::printf("| %s | %.2f %% | %.1f %% | %s | %s | %s |\n", figure, pct(a), pct(b), ratio, goal,
                cmd.c_str());
  };
  std::printf("| figure | tovra2 | spinning baseline | baseline / ours | goal | command |\n");
  std::printf("|---|---|---|---|---|---|\n");
  row("processor, searching (a silent port)", mine.searching, naive.searching, "-");
  row("processor, polling at 50 ms", mine.polling50, naive.polling50, "< 2 %");
  row("processor, polling at 10 ms", mine.polling10, naive.polling10, "-");
  row("processor, in self-calibration's pauses", mine.pauses, naive.pauses, "< 1 %");
  std::printf("| poll rate at 50 ms | %.1f /s | %.1f /s | | | %s |\n", mine.rate50, naive.rate50,
              cmd.c_str());
  std::printf("| poll rate at 10 ms | %.1f /s | %.1f /s | | ≥ 95 /s | %s |\n", mine.rate10,
              naive.rate10, cmd.c_str());
  std::printf(
      "| start-up to first position, this machine's ports | %.0f ms | | | < 600 ms | %s |\n",
      Median(asIs), cmd.c_str());
  if (!g_hideWith.empty())
    std::printf(
        "| start-up to first position, system ports hidden | %.0f ms | | | < 600 ms | %s |\n",
        Median(hidden), cmd.c_str());
  if (minutes > 0)
    std::printf("| peak resident memory after %.0f min of polling | %.1f MB | | | < 80 MB | %s |\n",
                mine.pollingMinutes, mine.peakKb / 1024.0, cmd.c_str());
  return 0;
}
