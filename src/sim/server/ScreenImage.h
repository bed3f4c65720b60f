#pragma once

#include <string>
#include <vector>

namespace zqsim {

// The calculator's display: 131 by 64 pixels, painted from its text lines with the built-in
// font, and encoded in the layouts the screen sending uses.
class ScreenImage {
public:
    static constexpr int kColumns = 131;
    static constexpr int kRows = 64;

    // Paints up to eight lines of up to 21 characters, top first.
    static ScreenImage FromLines(const std::vector<std::string>& lines);

    bool Pixel(int x, int y) const { return pixels_[Index(x, y)]; }
    void SetPixel(int x, int y, bool dark) { pixels_[Index(x, y)] = dark; }

    // 1080 bytes: eight bands of 135 bytes, band b holding rows 8b to 8b + 7, one byte per
    // column from the band's second byte on, bit (y mod 8) for row y.
    std::string Bands() const;
    // rows x ((kColumns + 7) / 8) bytes: one row after the other, bit (x mod 8) of byte
    // x / 8 for column x; rows past the display are blank.
    std::string Rows(int rows) const;

private:
    static int Index(int x, int y) { return y * kColumns + x; }

    std::vector<bool> pixels_ = std::vector<bool>(kColumns * kRows, false);
};

}  // namespace zqsim
