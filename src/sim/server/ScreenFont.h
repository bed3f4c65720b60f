#pragma once

#include <array>
#include <cstdint>

namespace zqsim {

// A 5 by 7 glyph as five columns, left first; bit 0 of a column is its top pixel.
using Glyph = std::array<std::uint8_t, 5>;

// The glyph of a calculator character: printable ASCII, the arrow (0x8D) and the program
// delimiters (0xAB, 0xBB); a hollow box for anything else.
Glyph GlyphOf(std::uint8_t character);

}  // namespace zqsim
