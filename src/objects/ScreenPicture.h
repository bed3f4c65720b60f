#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vaddex {

// The white margin and black frame drawn around a captured screen.
struct PictureBorder {
    bool show = true;  // while false, space and frame count as 0
    int space = 1;     // white pixels between the frame and the screen
    int frame = 2;     // width of the black frame in pixels
};

// A captured calculator screen drawn as a black-and-white picture of W x H pixels: the screen
// image string decoded (layout A: ESC and 1080 bytes of bands, 131 x 64; layout B: a 6-byte
// head whose bytes 4 and 5 give rows and columns, then the rows), inside the border.
class ScreenPicture {
public:
    ScreenPicture() = default;

    // Draws the screen image string. Bytes missing from a short string read as white pixels.
    static ScreenPicture Render(const std::string& image, const PictureBorder& border);

    // The screen's own size by the layout: 131 x 64 for layout A, bytes 5 and 4 for layout B.
    static int ScreenColumns(const std::string& image);
    static int ScreenRows(const std::string& image);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool IsBlack(int x, int y) const {
        return pixels_[static_cast<std::size_t>(y) * width_ + x] != 0;
    }

private:
    ScreenPicture(int width, int height);
    void Set(int x, int y, bool black) {
        pixels_[static_cast<std::size_t>(y) * width_ + x] = black ? 1 : 0;
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> pixels_;  // one per pixel, row by row from the top; 1 = black
};

}  // namespace vaddex
