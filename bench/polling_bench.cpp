// Figures, not pass/fail: the poll rate the window achieves over a pseudo-terminal at two
// delays, and the processor time its thread uses per second of polling.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_support.h"
#include "platform/application.h"
#include "platform/qt_comm.h"
#include "sim/pty_host.h"
#include "sim/registration.h"
#include "ui/main.h"

using namespace platform;
using Clock = std::chrono::steady_clock;

namespace {

size_t Polls(sim::PtyHost& host) {
  size_t n = 0;
  for (const sim::ReceivedFrame& f : host.Frames()) n += f.bytes != "v";
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  PrintMessages();
  RuntimeFolder runtime;
  if (!runtime.Ok()) return 1;
  SystemComm().SetListSystemPorts(false);

  sim::PtyHost host({}, 115200);
  if (!host.Start()) return 1;
  sim::RegisterVirtualPort("sim0", host.SlavePath());
  {
    TMainForm form;
    Application.DispatchFor(400);  // the first search finds the encoder
    if (!form.cbBeriEnkoder->Checked()) {
      std::printf("encoder not found\n");
      return 1;
    }
    const double seconds = 5.0;
    for (const char* delay : {"10", "50"}) {
      form.seDelay->SetText(delay);
      Application.DispatchFor(200);
      const size_t polls0 = Polls(host);
      const double cpu0 = CpuMs(RUSAGE_THREAD);
      const auto t0 = Clock::now();
      Application.DispatchFor(static_cast<uint32_t>(seconds * 1000));
      const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
      const size_t polls = Polls(host) - polls0;
      std::printf(
          "seDelay %s ms: %zu polls in %.2f s = %.1f polls/s (ideal %.0f); window thread "
          "%.1f ms processor per second of polling%s\n",
          delay, polls, wall, polls / wall, 1000.0 / std::atoi(delay),
          (CpuMs(RUSAGE_THREAD) - cpu0) / wall,
          form.cbBeriEnkoder->Checked() ? "" : " (polling stopped!)");
    }
  }
  host.Stop();
  return 0;
}
