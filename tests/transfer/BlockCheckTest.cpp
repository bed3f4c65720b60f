#include <gtest/gtest.h>

#include <string>

#include "transfer/BlockCheck.h"

namespace vaddex {
namespace {

const std::string kCheckInput = "123456789";

TEST(BlockCheck, PublishedCheckValues) {
    EXPECT_EQ(Crc16Arc(kCheckInput), 0xBB3D);
    EXPECT_EQ(Crc16Kermit(kCheckInput), 0x2189);
    EXPECT_EQ(Checksum8(kCheckInput), 0xDD);  // 477 modulo 256
    EXPECT_EQ(Crc16Arc(""), 0);
    EXPECT_EQ(Crc16Kermit(""), 0);
}

// Bit-at-a-time references, so that the table-driven forms are checked on every byte value.
std::uint16_t ArcBitwise(const std::string& data) {
    unsigned crc = 0;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
        }
    }
    return static_cast<std::uint16_t>(crc);
}

std::uint16_t KermitBitwise(const std::string& data) {
    unsigned crc = 0;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? (crc >> 1) ^ 0x8408 : crc >> 1;
        }
    }
    return static_cast<std::uint16_t>(crc);
}

TEST(BlockCheck, TablesAgreeWithBitwiseFormsOnEveryByteValue) {
    std::string all;
    for (int i = 0; i < 256; ++i) {
        all += static_cast<char>(i);
        EXPECT_EQ(Crc16Arc(all), ArcBitwise(all)) << i;
        EXPECT_EQ(Crc16Kermit(all), KermitBitwise(all)) << i;
    }
    EXPECT_EQ(Checksum8(all), 0x80);  // 255 * 256 / 2 modulo 256
}

TEST(BlockCheck, ByteOrderOnTheWireDiffersByMode) {
    EXPECT_EQ(BlockCheck(CheckMode::kChecksum, kCheckInput), std::string("\xDD", 1));
    EXPECT_EQ(BlockCheck(CheckMode::kCrc16, kCheckInput), std::string("\x3D\xBB", 2));
    EXPECT_EQ(BlockCheck(CheckMode::kKermit, kCheckInput), std::string("\x21\x89", 2));
}

TEST(BlockCheck, BlockLayoutAndNumberWrap) {
    std::string data(128, 'x');
    std::string small = MakeBlock(CheckMode::kChecksum, 1, data);
    ASSERT_EQ(small.size(), 3u + 128 + 1);
    EXPECT_EQ(small.substr(0, 3), std::string("\x01\x01\xFE", 3));
    EXPECT_EQ(small.back(), static_cast<char>(Checksum8(data)));

    // The 256th block is numbered 0 with complement 255.
    std::string large = MakeBlock(CheckMode::kKermit, 256, std::string(1024, '\0'));
    ASSERT_EQ(large.size(), 3u + 1024 + 2);
    EXPECT_EQ(large.substr(0, 3), std::string("\x02\x00\xFF", 3));
}

}  // namespace
}  // namespace vaddex
