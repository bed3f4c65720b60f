#include "sim/calc/FlagRegister.h"

#include <algorithm>

namespace zqsim {

namespace {

constexpr int kHexBaseFlag = -12;
constexpr int kOverwriteFlag = -36;

}  // namespace

void FlagRegister::Reset() {
    system_ = 0;
    user_ = 0;
    SetWordSize(64);
    Set(kHexBaseFlag, true);
    Set(kOverwriteFlag, true);
}

bool FlagRegister::Get(int number) const {
    if (!IsValid(number)) {
        return false;
    }
    const std::uint64_t& bits = number < 0 ? system_ : user_;
    int bit = (number < 0 ? -number : number) - 1;
    return (bits >> bit) & 1;
}

void FlagRegister::Set(int number, bool value) {
    if (!IsValid(number)) {
        return;
    }
    std::uint64_t& bits = number < 0 ? system_ : user_;
    std::uint64_t mask = std::uint64_t{1} << ((number < 0 ? -number : number) - 1);
    bits = value ? bits | mask : bits & ~mask;
}

int FlagRegister::WordSize() const {
    return static_cast<int>(system_ & 0x3F) + 1;
}

void FlagRegister::SetWordSize(int bits) {
    bits = std::clamp(bits, 1, 64);
    system_ = (system_ & ~std::uint64_t{0x3F}) | static_cast<std::uint64_t>(bits - 1);
}

std::uint32_t FlagRegister::Piece(int index) const {
    const std::uint64_t& bits = index < 4 ? system_ : user_;
    return static_cast<std::uint32_t>((bits >> (16 * (index % 4))) & 0xFFFF);
}

void FlagRegister::SetPiece(int index, std::uint32_t value) {
    std::uint64_t& bits = index < 4 ? system_ : user_;
    int shift = 16 * (index % 4);
    bits = (bits & ~(std::uint64_t{0xFFFF} << shift)) |
           (static_cast<std::uint64_t>(value & 0xFFFF) << shift);
}

}  // namespace zqsim
