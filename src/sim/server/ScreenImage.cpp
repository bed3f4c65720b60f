#include "sim/server/ScreenImage.h"

#include <algorithm>

#include "sim/server/ScreenFont.h"

namespace zqsim {
namespace {

constexpr int kCellWidth = 6;
constexpr int kCellHeight = 8;
constexpr int kBandBytes = 135;

}  // namespace

ScreenImage ScreenImage::FromLines(const std::vector<std::string>& lines) {
    ScreenImage image;
    int textRows = std::min<int>(static_cast<int>(lines.size()), kRows / kCellHeight);
    for (int row = 0; row < textRows; ++row) {
        const std::string& line = lines[static_cast<std::size_t>(row)];
        int cells = std::min<int>(static_cast<int>(line.size()), kColumns / kCellWidth);
        for (int cell = 0; cell < cells; ++cell) {
            Glyph glyph = GlyphOf(static_cast<std::uint8_t>(line[static_cast<std::size_t>(cell)]));
            for (int column = 0; column < 5; ++column) {
                for (int bit = 0; bit < 7; ++bit) {
                    if ((glyph[static_cast<std::size_t>(column)] >> bit) & 1) {
                        image.SetPixel(cell * kCellWidth + column, row * kCellHeight + bit, true);
                    }
                }
            }
        }
    }
    return image;
}

std::string ScreenImage::Bands() const {
    std::string out(8 * kBandBytes, '\0');
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            if (Pixel(x, y)) {
                out[static_cast<std::size_t>((y / 8) * kBandBytes + 1 + x)] |=
                    static_cast<char>(1 << (y % 8));
            }
        }
    }
    return out;
}

std::string ScreenImage::Rows(int rows) const {
    const int stride = (kColumns + 7) / 8;
    std::string out(static_cast<std::size_t>(rows * stride), '\0');
    for (int y = 0; y < std::min(rows, kRows); ++y) {
        for (int x = 0; x < kColumns; ++x) {
            if (Pixel(x, y)) {
                out[static_cast<std::size_t>(y * stride + x / 8)] |=
                    static_cast<char>(1 << (x % 8));
            }
        }
    }
    return out;
}

}  // namespace zqsim
