#include "sim/calc/NibbleFields.h"

#include "util/Nibbles.h"

namespace zqsim {

std::optional<std::uint32_t> ReadField(std::string_view nibbles, std::size_t pos, int count) {
    if (pos > nibbles.size() || nibbles.size() - pos < static_cast<std::size_t>(count)) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 4) | (static_cast<unsigned char>(nibbles[pos + i]) & 0xF);
    }
    return value;
}

void AppendField(std::string& nibbles, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
        nibbles.push_back(static_cast<char>(value & 0xF));
        value >>= 4;
    }
}

void AppendBytes(std::string& nibbles, std::string_view text) {
    for (unsigned char c : text) {
        nibbles.push_back(static_cast<char>(c & 0xF));
        nibbles.push_back(static_cast<char>(c >> 4));
    }
}

std::optional<std::string> ReadBytes(std::string_view nibbles, std::size_t pos, std::size_t count) {
    if (pos > nibbles.size() || (nibbles.size() - pos) / 2 < count) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        auto low = static_cast<unsigned char>(nibbles[pos + 2 * i]) & 0xF;
        auto high = static_cast<unsigned char>(nibbles[pos + 2 * i + 1]) & 0xF;
        out.push_back(static_cast<char>(low | (high << 4)));
    }
    return out;
}

std::string BytesToNibbles(std::string_view bytes) {
    return vaddex::SpreadNibbles(bytes);
}

std::string NibblesToBytes(std::string_view nibbles) {
    return vaddex::PackNibbles(nibbles);
}

}  // namespace zqsim
