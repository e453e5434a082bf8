// tovra2-sim: a simulated Tovra-2 encoder on a virtual serial port.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <thread>

#include "sim/options.h"
#include "sim/pty_host.h"
#include "sim/registration.h"

namespace {
std::atomic<bool> g_stop{false};
void OnSignal(int) {
  g_stop = true;
}
}  // namespace

int main(int argc, char** argv) {
  const auto parsed = sim::ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    std::fprintf(stderr, "tovra2-sim: %s\n", error->c_str());
    return 2;
  }
  const sim::SimOptions& o = std::get<sim::SimOptions>(parsed);
  if (o.help) {
    std::fputs(sim::SimUsage().c_str(), stdout);
    return 0;
  }

  std::ofstream log;
  std::mutex logMutex;
  if (!o.log.empty()) {
    log.open(o.log, std::ios::out | std::ios::trunc);
    if (!log) {
      std::fprintf(stderr, "tovra2-sim: cannot write the log %s\n", o.log.c_str());
      return 1;
    }
  }

  sim::PtyHost host(o.encoder, o.baud);
  host.SetWireTime(true);
  host.SetNoiseAtOtherRates(o.noiseAtOtherRates);
  if (log.is_open())
    host.SetLog([&](const std::string& line) {
      std::lock_guard<std::mutex> lock(logMutex);
      log << line << '\n' << std::flush;
    });
  std::string error;
  if (!host.Start(&error)) {
    std::fprintf(stderr, "tovra2-sim: %s\n", error.c_str());
    return 1;
  }
  const std::string link = sim::RegisterVirtualPort(o.name, host.SlavePath(), &error);
  if (link.empty()) {
    std::fprintf(stderr, "tovra2-sim: cannot register the port: %s\n", error.c_str());
    return 1;
  }

  struct sigaction action {};
  action.sa_handler = OnSignal;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  std::printf("tovra2-sim: port %s at %s (%s), %u baud\n", o.name.c_str(), link.c_str(),
              host.SlavePath().c_str(), o.baud);
  std::fflush(stdout);

  const auto start = std::chrono::steady_clock::now();
  while (!g_stop) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (o.unplugAfterSeconds >= 0 &&
        std::chrono::steady_clock::now() - start >= std::chrono::seconds(o.unplugAfterSeconds)) {
      std::printf("tovra2-sim: unplugged\n");
      break;
    }
  }
  host.Stop();
  sim::UnregisterVirtualPort(link);
  return 0;
}
