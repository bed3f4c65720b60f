#include <gtest/gtest.h>

#include "util/Nibbles.h"

namespace vaddex {
namespace {

TEST(Nibbles, SpreadPutsTheLowHalfFirstAndPackUndoesIt) {
    std::string bytes("\x33\x29\x00\xFF", 4);
    std::string units = SpreadNibbles(bytes);
    EXPECT_EQ(units, std::string("\x03\x03\x09\x02\x00\x00\x0F\x0F", 8));
    EXPECT_EQ(PackNibbles(units), bytes);
}

TEST(Nibbles, AnOddLastUnitLeavesTheHighHalfZero) {
    EXPECT_EQ(PackNibbles(std::string("\x01\x02\x0A", 3)), std::string("\x21\x0A", 2));
    EXPECT_EQ(PackNibbles(""), "");
    EXPECT_EQ(SpreadNibbles(""), "");
    // Only the low four bits of a unit count.
    EXPECT_EQ(PackNibbles(std::string("\xF1\xE2", 2)), std::string("\x21", 1));
}

}  // namespace
}  // namespace vaddex
