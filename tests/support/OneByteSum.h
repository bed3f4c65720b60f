#pragma once

#include <string_view>

namespace vaddex::test {

// The one-byte checksum of command packets and checksum-mode blocks, the sum of the bytes
// modulo 256, worked out apart from the program's and the simulator's own code so that a
// test does not check that code against itself.
inline char OneByteSum(std::string_view bytes) {
    unsigned sum = 0;
    for (unsigned char c : bytes) {
        sum += c;
    }
    return static_cast<char>(sum & 0xFF);
}

}  // namespace vaddex::test
