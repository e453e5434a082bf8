// The application object: title, event loop, message dispatch and the terminate flag.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class TApplication {
 public:
  // Makes an interrupt, a terminate or a hang-up signal end the application as closing its
  // window does: a search or a wait in progress stops at once, the window is destroyed and
  // its port closed.
  void Initialize();
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);
  // Runs the event loop until the application ends.
  int Run();
  // Dispatches all pending events (and due timers) and returns.
  void ProcessMessages();
  // Dispatches events for up to `ms` milliseconds, blocking between them (never spinning);
  // returns early once the application has been asked to end.
  void DispatchFor(uint32_t ms);
  bool Terminated() const;
  // Asks the application to end: the event loop and any DispatchFor finish.
  void Terminate();
  // Back to the state at start, for a new window in the same process.
  void Reset();

 private:
  std::string title_;
  bool terminated_ = false;
};

extern TApplication Application;

}  // namespace platform
