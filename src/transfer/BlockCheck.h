#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vaddex {

// Control bytes of the block protocol.
inline constexpr char kSOH = 0x01;       // a block of 128 data bytes follows
inline constexpr char kSTX = 0x02;       // a block of 1024 data bytes follows
inline constexpr char kEOT = 0x04;       // the sender has no more blocks
inline constexpr char kACK = 0x06;       // block or EOT accepted
inline constexpr char kNAK = 0x15;       // block rejected; as the first request: checksum mode
inline constexpr char kCAN = 0x18;       // abandon the transfer
inline constexpr char kAskCrc16 = 'C';   // first request: CRC-16/ARC
inline constexpr char kAskKermit = 'D';  // first request: the calculator's CRC-16/KERMIT

inline constexpr std::size_t kSmallBlock = 128;
inline constexpr std::size_t kLargeBlock = 1024;

// How a block's data is checked, chosen by the receiver's first request byte.
enum class CheckMode { kChecksum, kCrc16, kKermit };

// One-byte sum of the bytes modulo 256.
std::uint8_t Checksum8(std::string_view data);
// CRC-16/ARC: reflected polynomial 0xA001, start 0, no final inversion.
std::uint16_t Crc16Arc(std::string_view data);
// CRC-16/KERMIT, four bits at a time with the 16 x 16 table, low nibble of each byte first.
std::uint16_t Crc16Kermit(std::string_view data);

// Number of check bytes after the data: 1 for the sum, 2 for either CRC.
std::size_t CheckLength(CheckMode mode);
// The check bytes as they go on the wire: the sum; ARC low byte first; KERMIT high byte first.
std::string BlockCheck(CheckMode mode, std::string_view data);

// The whole block: SOH or STX by the data size, counter modulo 256, its complement, data, check.
std::string MakeBlock(CheckMode mode, std::uint32_t counter, std::string_view data);

}  // namespace vaddex
