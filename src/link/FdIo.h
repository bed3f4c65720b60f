#pragma once

#include <cstddef>
#include <cstdint>

namespace vaddex {

// Waits until the descriptor is ready for `events` or the deadline tick (TickMs) passed.
// Returns the poll result: >0 ready (revents set), 0 deadline passed, <0 failure.
int PollUntil(int fd, short events, std::int64_t deadline, short& revents);

// Writes to a non-blocking descriptor until all bytes are out or the deadline tick passed.
// Returns the count written (short when the deadline passed), or -1 when nothing could be
// written because the descriptor failed (a hang-up, EPIPE).
long WriteUntil(int fd, const char* data, std::size_t count, std::int64_t deadline);

}  // namespace vaddex
