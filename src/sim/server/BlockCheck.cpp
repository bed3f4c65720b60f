#include "sim/server/BlockCheck.h"

namespace zqsim {
namespace {

// Bit by bit, so that the simulator shares nothing with the program's table-driven code.
std::uint16_t ReflectedCrc(std::string_view data, std::uint16_t polynomial) {
    std::uint16_t crc = 0;
    for (char c : data) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ polynomial)
                                 : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

}  // namespace

std::uint8_t ByteSum(std::string_view data) {
    unsigned sum = 0;
    for (char c : data) {
        sum += static_cast<std::uint8_t>(c);
    }
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::uint16_t Crc16Arc(std::string_view data) {
    return ReflectedCrc(data, 0xA001);
}

std::uint16_t Crc16Kermit(std::string_view data) {
    return ReflectedCrc(data, 0x8408);
}

std::string CheckBytes(CheckMode mode, std::string_view data) {
    switch (mode) {
        case CheckMode::Checksum:
            return std::string(1, static_cast<char>(ByteSum(data)));
        case CheckMode::Crc16: {
            std::uint16_t crc = Crc16Arc(data);
            return {static_cast<char>(crc & 0xFF), static_cast<char>(crc >> 8)};
        }
        case CheckMode::Kermit: {
            std::uint16_t crc = Crc16Kermit(data);
            return {static_cast<char>(crc >> 8), static_cast<char>(crc & 0xFF)};
        }
    }
    return {};
}

std::size_t CheckLength(CheckMode mode) {
    return mode == CheckMode::Checksum ? 1 : 2;
}

std::uint8_t HandshakeByte(CheckMode mode) {
    switch (mode) {
        case CheckMode::Checksum:
            return kNak;
        case CheckMode::Crc16:
            return 'C';
        case CheckMode::Kermit:
            return 'D';
    }
    return kNak;
}

std::optional<CheckMode> ModeOfHandshake(std::uint8_t byte) {
    switch (byte) {
        case kNak:
            return CheckMode::Checksum;
        case 'C':
            return CheckMode::Crc16;
        case 'D':
            return CheckMode::Kermit;
        default:
            return std::nullopt;
    }
}

const char* CheckModeName(CheckMode mode) {
    switch (mode) {
        case CheckMode::Checksum:
            return "checksum";
        case CheckMode::Crc16:
            return "crc16";
        case CheckMode::Kermit:
            return "kermit";
    }
    return "?";
}

}  // namespace zqsim
