#pragma once

#include <cstdint>

namespace vaddex {

// Milliseconds of a monotonic clock; never 0, so that 0 can mean "no tick recorded".
std::int64_t TickMs();

// Suspends the calling thread for the given milliseconds (nothing for 0 or less).
void SleepMs(std::int64_t ms);

}  // namespace vaddex
