// The high-resolution counter all physics timing reads: a monotonic clock in nanoseconds.
#pragma once

#include <cstdint>

namespace quarn {

int64_t ReadPerformanceCounter();
// Counter ticks per second; never 0 or negative.
int64_t PerformanceCounterFrequency();

} // namespace quarn
