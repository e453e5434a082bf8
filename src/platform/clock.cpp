#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace platform {

namespace {
bool g_spinning = false;
VirtualClock* g_virtual = nullptr;

// Signed distance from `now` to `due` on the wrapping 32-bit counter.
int64_t Until(uint32_t now, uint32_t due) {
  return static_cast<int32_t>(due - now);
}
}  // namespace

void SetSpinningWaits(bool on) {
  g_spinning = on;
}

bool SpinningWaits() {
  return g_spinning;
}

uint32_t GetTickCount() {
  if (g_virtual) return g_virtual->Now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<uint32_t>(ms.count());
}

void Sleep(uint32_t milliseconds) {
  if (g_virtual) {
    g_virtual->Advance(milliseconds);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

VirtualClock::VirtualClock(uint32_t start) : now_(start) {
  g_virtual = this;
}

VirtualClock::~VirtualClock() {
  if (g_virtual == this) g_virtual = nullptr;
}

VirtualClock::TimerId VirtualClock::Schedule(uint32_t dueIn, std::function<void()> fire) {
  const TimerId id = nextId_++;
  timers_[id] = Entry{now_ + dueIn, std::move(fire)};
  return id;
}

void VirtualClock::Cancel(TimerId id) {
  timers_.erase(id);
}

void VirtualClock::FireDue() {
  std::vector<std::pair<int64_t, TimerId>> due;
  for (const auto& [id, entry] : timers_) {
    const int64_t until = Until(now_, entry.due);
    if (until <= 0) due.emplace_back(until, id);
  }
  std::sort(due.begin(), due.end());
  for (const auto& [until, id] : due) {
    auto it = timers_.find(id);
    if (it == timers_.end()) continue;  // cancelled by an earlier callback
    auto fire = it->second.fire;        // the callback may reschedule or cancel itself
    timers_.erase(it);
    fire();
  }
}

int64_t VirtualClock::NextDueIn() const {
  int64_t best = -1;
  for (const auto& [id, entry] : timers_) {
    const int64_t until = std::max<int64_t>(0, Until(now_, entry.due));
    if (best < 0 || until < best) best = until;
  }
  return best;
}

VirtualClock* ActiveVirtualClock() {
  return g_virtual;
}

}  // namespace platform
