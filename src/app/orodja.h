// Tools shared by the operations.
#pragma once

#include <cstdint>

// Waits `milliseconds`, dispatching the window's events meanwhile (at least once, also for 0);
// returns early once the application is ending.
void WaitMs(int32_t milliseconds);
