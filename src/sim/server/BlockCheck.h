#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zqsim {

inline constexpr std::uint8_t kSoh = 0x01;
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEot = 0x04;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kNak = 0x15;
inline constexpr std::uint8_t kCan = 0x18;

// The check an XModem receiver asks for with its first byte.
enum class CheckMode {
    Checksum,  // NAK: one byte, the sum of the data
    Crc16,     // "C": CRC-16/ARC, low byte first
    Kermit,    // "D": the calculator's CRC-16/KERMIT, high byte first
};

std::uint8_t ByteSum(std::string_view data);
// Reflected polynomial 0xA001, start 0, no final inversion.
std::uint16_t Crc16Arc(std::string_view data);
// Reflected polynomial 0x8408, start 0, no final inversion.
std::uint16_t Crc16Kermit(std::string_view data);

// The check of the data as it goes on the wire in that mode (one or two bytes).
std::string CheckBytes(CheckMode mode, std::string_view data);
std::size_t CheckLength(CheckMode mode);
std::uint8_t HandshakeByte(CheckMode mode);
std::optional<CheckMode> ModeOfHandshake(std::uint8_t byte);
const char* CheckModeName(CheckMode mode);

}  // namespace zqsim
