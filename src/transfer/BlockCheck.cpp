#include "transfer/BlockCheck.h"

#include <array>

namespace vaddex {
namespace {

struct ArcTable {
    std::array<std::uint16_t, 256> entry{};
    constexpr ArcTable() {
        for (unsigned i = 0; i < 256; ++i) {
            unsigned crc = i;
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
            }
            entry[i] = static_cast<std::uint16_t>(crc);
        }
    }
};

// The calculator's own table: entry [i][j] is (i XOR j) * 0x1081.
struct KermitTable {
    std::array<std::array<std::uint16_t, 16>, 16> entry{};
    constexpr KermitTable() {
        for (unsigned i = 0; i < 16; ++i) {
            for (unsigned j = 0; j < 16; ++j) {
                entry[i][j] = static_cast<std::uint16_t>((i ^ j) * 0x1081);
            }
        }
    }
};

constexpr ArcTable kArc;
constexpr KermitTable kKermit;

}  // namespace

std::uint8_t Checksum8(std::string_view data) {
    unsigned sum = 0;
    for (unsigned char byte : data) {
        sum += byte;
    }
    return static_cast<std::uint8_t>(sum);
}

std::uint16_t Crc16Arc(std::string_view data) {
    std::uint16_t crc = 0;
    for (unsigned char byte : data) {
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kArc.entry[(crc ^ byte) & 0xFF]);
    }
    return crc;
}

std::uint16_t Crc16Kermit(std::string_view data) {
    std::uint16_t crc = 0;
    for (unsigned char byte : data) {
        crc = static_cast<std::uint16_t>((crc >> 4) ^ kKermit.entry[crc & 15][byte & 15]);
        crc = static_cast<std::uint16_t>((crc >> 4) ^ kKermit.entry[crc & 15][byte >> 4]);
    }
    return crc;
}

std::size_t CheckLength(CheckMode mode) {
    return mode == CheckMode::kChecksum ? 1 : 2;
}

std::string BlockCheck(CheckMode mode, std::string_view data) {
    switch (mode) {
        case CheckMode::kChecksum:
            return std::string(1, static_cast<char>(Checksum8(data)));
        case CheckMode::kCrc16: {
            std::uint16_t crc = Crc16Arc(data);
            return {static_cast<char>(crc & 0xFF), static_cast<char>(crc >> 8)};
        }
        case CheckMode::kKermit: {
            std::uint16_t crc = Crc16Kermit(data);
            return {static_cast<char>(crc >> 8), static_cast<char>(crc & 0xFF)};
        }
    }
    return {};
}

std::string MakeBlock(CheckMode mode, std::uint32_t counter, std::string_view data) {
    std::string block;
    block.reserve(3 + data.size() + CheckLength(mode));
    block += data.size() == kSmallBlock ? kSOH : kSTX;
    block += static_cast<char>(counter & 0xFF);
    block += static_cast<char>(255 - (counter & 0xFF));
    block.append(data);
    block += BlockCheck(mode, data);
    return block;
}

}  // namespace vaddex
