#include "util/Nibbles.h"

namespace vaddex {

std::string SpreadNibbles(std::string_view bytes) {
    std::string units;
    units.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        units.push_back(static_cast<char>(b & 0x0F));
        units.push_back(static_cast<char>(b >> 4));
    }
    return units;
}

std::string PackNibbles(std::string_view units) {
    std::string bytes;
    bytes.reserve((units.size() + 1) / 2);
    for (std::size_t i = 0; i < units.size(); i += 2) {
        unsigned lo = static_cast<unsigned char>(units[i]) & 0x0F;
        unsigned hi = i + 1 < units.size() ? static_cast<unsigned char>(units[i + 1]) & 0x0F : 0;
        bytes.push_back(static_cast<char>(lo | (hi << 4)));
    }
    return bytes;
}

}  // namespace vaddex
