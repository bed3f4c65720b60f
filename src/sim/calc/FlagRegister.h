#pragma once

#include <array>
#include <cstdint>

namespace zqsim {

// The 64 system flags (-1..-64) and 64 user flags (1..64). The binary word size lives in
// flags -1..-6 (word size - 1), so that saving and restoring the flags restores it too.
class FlagRegister {
public:
    // Sixteen flags per piece, so that each fits a 20-bit binary integer: pieces 0..3 hold
    // -1..-64, pieces 4..7 hold 1..64; bit 0 of a piece is its first flag.
    static constexpr int kPieces = 8;

    FlagRegister() { Reset(); }

    // Word size 64, hexadecimal base, flag -36 set, everything else clear.
    void Reset();

    static bool IsValid(int number) { return number != 0 && number >= -64 && number <= 64; }
    bool Get(int number) const;
    void Set(int number, bool value);

    int WordSize() const;
    void SetWordSize(int bits);  // clamped to 1..64

    std::uint32_t Piece(int index) const;
    void SetPiece(int index, std::uint32_t bits);

private:
    std::uint64_t system_ = 0;
    std::uint64_t user_ = 0;
};

}  // namespace zqsim
