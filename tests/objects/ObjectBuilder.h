#pragma once

// Builds calculator objects as nibble strings (one unit 0..15 per char) for tests and
// benchmarks, independently of the code that measures them.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "util/Nibbles.h"

namespace vaddex::test {

inline std::string Field(std::uint32_t value, int width) {
    std::string units;
    for (int i = 0; i < width; ++i) {
        units.push_back(static_cast<char>((value >> (4 * i)) & 0xF));
    }
    return units;
}

inline std::string Chars(std::string_view text) {
    std::string units;
    for (char c : text) {
        units += Field(static_cast<unsigned char>(c), 2);
    }
    return units;
}

inline std::string Real(unsigned seed = 1) {
    return Field(0x02933, 5) + Field(seed, 8) + Field(0x12345678, 8);
}

inline std::string String(std::string_view text) {
    return Field(0x02A2C, 5) + Field(static_cast<std::uint32_t>(5 + 2 * text.size()), 5) +
           Chars(text);
}

inline std::string Composite(std::uint32_t prolog, const std::vector<std::string>& items) {
    std::string units = Field(prolog, 5);
    for (const std::string& item : items) {
        units += item;
    }
    return units + Field(0x0312B, 5);
}

inline std::string List(const std::vector<std::string>& items) {
    return Composite(0x02A74, items);
}

inline std::string Named(std::uint32_t prolog, std::string_view name) {
    return Field(prolog, 5) + Field(static_cast<std::uint32_t>(name.size()), 2) + Chars(name);
}

inline std::string Tagged(std::string_view tag, const std::string& object) {
    return Named(0x02AFC, tag) + object;
}

// Prolog, "000", the offset to the last entry's name count, then each entry: the link back
// to the previous entry's name count, the name between two counts, the object.
inline std::string Directory(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string body;
    std::size_t position = 13;
    std::size_t previousCount = 0;
    for (const auto& [name, object] : entries) {
        std::size_t count = position + 5;
        auto n = static_cast<std::uint32_t>(name.size());
        body += Field(previousCount ? static_cast<std::uint32_t>(position - previousCount) : 0, 5) +
                Field(n, 2) + Chars(name) + Field(n, 2) + object;
        position += 9 + 2 * name.size() + object.size();
        previousCount = count;
    }
    auto offset = static_cast<std::uint32_t>(previousCount ? previousCount - 8 : 0);
    return Field(0x02A96, 5) + Field(0, 3) + Field(offset, 5) + body;
}

// A binary object file: header, packed object, padding bytes.
inline std::string ObjectFile(const std::string& object, std::string_view padding = "",
                              std::string_view series = "K8") {
    return "ZQZQ" + std::string(series) + "-C" + PackNibbles(object) + std::string(padding);
}

}  // namespace vaddex::test
