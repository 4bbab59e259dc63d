// The show's two clocks, read through this one place so that tests and offline
// captures can drive the composer at exact times.
#pragma once
#include <cstdint>

// Milliseconds since the windowing toolkit was initialised (show time x 1000).
uint32_t showElapsedMs();

// The operating system's monotonic millisecond tick counter, as unsigned 32 bits
// (it wraps after about 49.7 days; users take differences).
uint32_t tickCountMs();

// From now on both clocks read exactly these values until set again.
void setVirtualClock(uint32_t elapsedMs, uint32_t tickMs);

// Back to the real clocks (the default).
void useRealClock();
