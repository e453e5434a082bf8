// Figures, not pass/fail, from the window's own code in this process over a pseudo-terminal:
// the exchange's return latency, the detection time, and what a WaitMs costs the processor.
// Usage: link_bench
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/orodja.h"
#include "bench_support.h"
#include "platform/application.h"
#include "platform/qt_comm.h"
#include "serial/exchange.h"
#include "sim/pty_host.h"
#include "sim/registration.h"
#include "ui/main.h"

using namespace platform;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[std::min(v.size() - 1, static_cast<size_t>(p * v.size()))];
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  PrintMessages();
  RuntimeFolder runtime;
  if (!runtime.Ok()) return 1;
  SystemComm().SetListSystemPorts(false);
  const char* cmd = "bench/run link";
  std::printf("| figure | value | goal | command |\n|---|---|---|---|\n");

  // Detection: the encoder at 921600, the last rate tried, as the only port; from the tick of
  // InitTimer to "Read encoder" checked.
  {
    sim::PtyHost host({}, 921600);
    host.SetWireTime(true);
    if (!host.Start()) return 1;
    const std::string link = sim::RegisterVirtualPort("sim0", host.SlavePath());
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
      TMainForm form;
      form.InitTimer->SetEnabled(false);
      const auto t0 = Clock::now();
      form.InitTimerTimer(form.InitTimer);
      if (form.cbBeriEnkoder->Checked()) runs.push_back(Ms(Clock::now() - t0));
    }
    std::printf(
        "| detection, encoder at 921600 as the only port (median of %zu) | %.0f ms | "
        "≤ 1350 ms | %s |\n",
        runs.size(), Percentile(runs, 0.5), cmd);
    sim::UnregisterVirtualPort(link);
  }

  // Exchange latency: from the simulator's write of a reply's last byte to SendCommand's return.
  // The exchange pauses 1 ms after the request before it collects: a reply complete within that
  // pause waits for its end. So both: a poll reply (6 bytes, done within the pause) and an
  // identification reply (42 bytes at the line's pace: 3.6 ms, done after it).
  {
    sim::PtyHost host({}, 115200);
    host.SetWireTime(true);
    if (!host.Start()) return 1;
    const std::string link = sim::RegisterVirtualPort("sim0", host.SlavePath());
    TMainForm form;
    form.InitTimer->SetEnabled(false);
    form.InitTimerTimer(form.InitTimer);
    form.cbBeriEnkoder->SetChecked(false);
    struct Kind {
      const char* request;
      int32_t length;
      const char* what;
    };
    for (const Kind& k :
         {Kind{"v", 42, "identification, 42 bytes"}, Kind{"1", 6, "poll, 6 bytes"}}) {
      std::vector<double> latency;
      ByteString reply;
      const int n = 1500;
      for (int i = 0; i < n; ++i) {
        if (SendCommand(form.ComID, k.request, k.length, reply) != kReplyComplete) continue;
        const auto returned = Clock::now();
        latency.push_back(Ms(returned - host.LastReplyWritten()));
      }
      std::printf(
          "| exchange return latency, %s, 115200 baud: median, 99th percentile of %zu | "
          "%.3f ms, %.3f ms | < 0.2 ms, < 1 ms | %s |\n",
          k.what, latency.size(), Percentile(latency, 0.5), Percentile(latency, 0.99), cmd);
    }

    const double cpu0 = CpuMs();
    const auto t0 = Clock::now();
    WaitMs(500);
    std::printf("| WaitMs(500): wall, processor | %.1f ms, %.2f ms | | %s |\n",
                Ms(Clock::now() - t0), CpuMs() - cpu0, cmd);
    sim::UnregisterVirtualPort(link);
  }
  return 0;
}
