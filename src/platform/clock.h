// Millisecond tick counter and sleeping, real or virtual.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

namespace platform {

// The system's 32-bit millisecond counter; wraps after about 49.7 days.
uint32_t GetTickCount();
// Suspends the thread (or, under a virtual clock, moves time on without dispatching anything).
void Sleep(uint32_t milliseconds);

// The waits as a literal reading of the algorithm has them: the exchange's collection asking
// the port for its count, and the message-pumping wait dispatching, in a tight loop instead of
// blocking. Off in the program; only the benchmark's baseline turns it on, to show what
// blocking saves.
void SetSpinningWaits(bool on);
bool SpinningWaits();

// A clock that only moves when told to. While one is installed, GetTickCount and Sleep use
// it, and toolkit timers are scheduled on it instead of the system's.
class VirtualClock {
 public:
  explicit VirtualClock(uint32_t start = 0);
  ~VirtualClock();
  VirtualClock(const VirtualClock&) = delete;
  VirtualClock& operator=(const VirtualClock&) = delete;

  uint32_t Now() const { return now_; }
  // Moves time on by `ms` without firing timers (a thread blocked in a call).
  void Advance(uint32_t ms) { now_ += ms; }

  // Timers: a due time and a callback. Ids are never 0.
  using TimerId = uint64_t;
  TimerId Schedule(uint32_t dueIn, std::function<void()> fire);
  void Cancel(TimerId id);
  // Fires every timer that is due now, each once, earliest first.
  void FireDue();
  // Milliseconds until the next timer is due (0 when overdue), or -1 with none.
  int64_t NextDueIn() const;

 private:
  struct Entry {
    uint32_t due;
    std::function<void()> fire;
  };
  uint32_t now_;
  TimerId nextId_ = 1;
  std::map<TimerId, Entry> timers_;
};

// The installed virtual clock, or nullptr when the system clock is in use.
VirtualClock* ActiveVirtualClock();

}  // namespace platform
