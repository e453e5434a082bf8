#include "platform/application.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/clock.h"
#include "platform/dialogs.h"

namespace platform {

TApplication Application;

namespace {
// Local loops of DispatchFor in progress, innermost last: Terminate ends them all.
std::vector<QEventLoop*> g_waits;
MessageDlgHandler g_messageHandler;

// Set by the signal handler; the event loop then learns of it through the pipe.
std::atomic<bool> g_signalled{false};
int g_signalPipe[2] = {-1, -1};

void OnEndSignal(int) {
  g_signalled = true;
  const int saved = errno;
  [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], "x", 1);
  errno = saved;
}
}  // namespace

void TApplication::Initialize() {
  if (g_signalPipe[0] >= 0 || ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, [this] {
    char drain[16];
    while (::read(g_signalPipe[0], drain, sizeof drain) > 0) {
    }
    Terminate();
  });
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

bool TApplication::Terminated() const {
  return terminated_ || g_signalled;
}

void TApplication::Reset() {
  terminated_ = false;
  g_signalled = false;
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  // The name the system shows for the program; window captions stay as the window sets them.
  QApplication::setApplicationName(QString::fromStdString(title));
}

int TApplication::Run() {
  if (Terminated()) return 0;
  return QApplication::exec();
}

void TApplication::ProcessMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (VirtualClock* clock = ActiveVirtualClock()) clock->FireDue();
}

void TApplication::DispatchFor(uint32_t ms) {
  if (Terminated()) return;
  if (VirtualClock* clock = ActiveVirtualClock()) {
    // Time jumps from timer to timer; handlers may move it on themselves.
    const uint32_t end = clock->Now() + ms;
    do {
      const int64_t left = static_cast<int32_t>(end - clock->Now());
      if (left > 0) {
        const int64_t next = clock->NextDueIn();
        clock->Advance(static_cast<uint32_t>(next >= 0 && next < left ? next : left));
      }
      ProcessMessages();
    } while (!Terminated() && static_cast<int32_t>(end - clock->Now()) > 0);
    return;
  }
  if (SpinningWaits()) {
    const uint32_t start = GetTickCount();
    do ProcessMessages();
    while (!Terminated() && GetTickCount() - start < ms);
    return;
  }
  QEventLoop loop;
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(static_cast<int>(ms));
  g_waits.push_back(&loop);
  loop.exec();
  g_waits.pop_back();
}

void TApplication::Terminate() {
  terminated_ = true;
  for (QEventLoop* loop : g_waits) loop->quit();
  QCoreApplication::quit();
}

int MessageDlg(const std::string& text, TMsgDlgType type, unsigned /*buttons*/,
               int /*helpContext*/) {
  if (g_messageHandler) return g_messageHandler(text, type);
  // Ending: every loop ends at once, so a box would only flash up.
  if (Application.Terminated()) return mrOk;
  if (ActiveVirtualClock()) {
    // A modal box under a virtual clock would wait for ever: a test forgot its recorder.
    std::fprintf(stderr, "MessageDlg(\"%s\") without a recorder under a virtual clock\n",
                 text.c_str());
    std::abort();
  }
  QMessageBox box(type == mtError     ? QMessageBox::Critical
                  : type == mtWarning ? QMessageBox::Warning
                                      : QMessageBox::Information,
                  type == mtError ? QStringLiteral("Error") : QStringLiteral("Warning"),
                  QString::fromStdString(text), QMessageBox::Ok);
  box.exec();
  return mrOk;
}

void SetMessageDlgHandler(MessageDlgHandler handler) {
  g_messageHandler = std::move(handler);
}

}  // namespace platform
