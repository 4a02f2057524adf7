// Reads that fall due together in one pass of the event loop may share one
// kernel read: timers due at the same moment run in one pass, and each would
// otherwise ask the kernel again a few microseconds later.
#pragma once

#include <cstdint>

namespace looppass {

// The number of the pass of the event loop running now, new each time the loop
// is about to wait; 0 outside the main thread's running loop, where nothing
// may be shared.
std::uint64_t Current();

} // namespace looppass
