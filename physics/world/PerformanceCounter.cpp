#include "physics/world/PerformanceCounter.h"

#include <chrono>

namespace quarn {

int64_t ReadPerformanceCounter() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t PerformanceCounterFrequency() {
    return 1000000000;
}

} // namespace quarn
