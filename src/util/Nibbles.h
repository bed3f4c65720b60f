#pragma once

#include <string>
#include <string_view>

namespace vaddex {

// One 4-bit unit (0..15) per output byte, the low half of each input byte first.
std::string SpreadNibbles(std::string_view bytes);

// The inverse: units two at a time, the first in the low half. An odd last unit
// becomes a byte whose high half is 0. Only the low 4 bits of each unit are used.
std::string PackNibbles(std::string_view units);

}  // namespace vaddex
