#include "app/orodja.h"

#include "platform/application.h"
#include "platform/clock.h"

using namespace platform;

void WaitMs(int32_t milliseconds) {
  const uint32_t start = GetTickCount();
  const uint32_t wait = milliseconds > 0 ? static_cast<uint32_t>(milliseconds) : 0;
  for (;;) {
    Application.ProcessMessages();
    if (Application.Terminated()) return;
    // Unsigned difference: right across a wrap of the tick counter.
    const uint32_t elapsed = GetTickCount() - start;
    if (elapsed >= wait) return;
    // Block in the event loop until the rest of the wait has passed.
    Application.DispatchFor(wait - elapsed);
  }
}
