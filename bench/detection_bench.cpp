// Figures, not pass/fail: the ports Qt lists here, how long one detection run takes with and
// without them, what a WaitMs costs the processor, and an exchange's round trip on a pty.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

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

double DetectionMs(bool systemPorts, int* entries) {
  SystemComm().SetListSystemPorts(systemPorts);
  TMainForm form;
  form.InitTimer->SetEnabled(false);
  const auto start = Clock::now();
  form.InitTimerTimer(form.InitTimer);
  const double ms = Ms(Clock::now() - start);
  *entries = form.listCom->Count();
  if (!form.cbBeriEnkoder->Checked()) std::printf("  (encoder not found!)\n");
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  PrintMessages();

  std::printf("System ports Qt lists here:\n");
  SystemComm().SetListSystemPorts(true);
  for (const PortInfo& port : SystemComm().ListPorts())
    std::printf("  %-12s description \"%s\"  %s\n", port.designation.c_str(),
                port.description.c_str(), port.path.c_str());

  RuntimeFolder runtime;
  if (!runtime.Ok()) return 1;

  // The encoder at the last rate tried: the longest successful search.
  sim::PtyHost host({}, 921600);
  if (!host.Start()) return 1;
  sim::RegisterVirtualPort("sim0", host.SlavePath());
  int entries = 0;
  for (bool systemPorts : {false, true}) {
    const double ms = DetectionMs(systemPorts, &entries);
    std::printf("Detection, encoder at 921600 baud, %s system ports: %d entries, %.0f ms\n",
                systemPorts ? "with" : "without", entries, ms);
  }
  SystemComm().SetListSystemPorts(false);

  {
    TMainForm form;
    form.InitTimer->SetEnabled(false);
    const double cpu0 = CpuMs();
    const auto t0 = Clock::now();
    WaitMs(500);
    std::printf("WaitMs(500): %.1f ms wall, %.1f ms processor\n", Ms(Clock::now() - t0),
                CpuMs() - cpu0);

    form.InitTimerTimer(form.InitTimer);
    const int n = 200;
    const auto t1 = Clock::now();
    int ok = 0;
    ByteString reply;
    for (int i = 0; i < n; ++i) ok += SendCommand(form.ComID, "1", 6, reply) == 0;
    std::printf("Poll exchange \"1\" on a pty at 921600: %d/%d answered, %.3f ms each\n", ok, n,
                Ms(Clock::now() - t1) / n);
  }
  return 0;
}
