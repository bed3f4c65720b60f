#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zqsim {

// Nibble strings hold one 4-bit unit (0..15) per char; multi-nibble fields are little-endian
// by nibble, the first nibble the least significant.

// The `count`-nibble value at `pos`; nullopt when the field runs past the end.
std::optional<std::uint32_t> ReadField(std::string_view nibbles, std::size_t pos, int count);

// Appends `value` as a `count`-nibble field.
void AppendField(std::string& nibbles, std::uint32_t value, int count);

// Appends each byte of `text` as two nibbles, low half first.
void AppendBytes(std::string& nibbles, std::string_view text);

// The bytes of `count` characters stored two nibbles each at `pos`; nullopt past the end.
std::optional<std::string> ReadBytes(std::string_view nibbles, std::size_t pos, std::size_t count);

// Unpacks bytes into nibbles and packs them back (an odd last nibble gets a 0 high half).
std::string BytesToNibbles(std::string_view bytes);
std::string NibblesToBytes(std::string_view nibbles);

}  // namespace zqsim
