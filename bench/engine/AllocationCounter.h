// Counts every C++ allocation of the benchmark program (operator new is replaced), so frame
// benchmarks can report allocations per frame.
#pragma once

namespace bench {

long AllocationCount();

} // namespace bench
