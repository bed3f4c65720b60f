#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vaddex::test {

// The byte moves of a test playing the calculator on a non-blocking descriptor.

// Blocks until every byte is written, at most timeoutMs; false when they are not.
bool PeerWrite(int fd, std::string_view bytes, int timeoutMs);

// Blocks until `count` bytes came or timeoutMs passed (or the descriptor ended); returns
// what came.
std::string PeerRead(int fd, std::size_t count, int timeoutMs);

}  // namespace vaddex::test
