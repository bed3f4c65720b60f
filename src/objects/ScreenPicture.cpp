#include "objects/ScreenPicture.h"

#include <algorithm>

namespace vaddex {
namespace {

constexpr unsigned char kLayoutAMark = 27;  // ESC
constexpr int kLayoutAColumns = 131;
constexpr int kLayoutARows = 64;
constexpr std::size_t kLayoutAFirstData = 2;  // each band's data starts at its second byte
constexpr std::size_t kLayoutABandBytes = 135;
constexpr std::size_t kLayoutBRowsOffset = 4;
constexpr std::size_t kLayoutBColumnsOffset = 5;
constexpr std::size_t kLayoutBFirstRow = 6;
// Space and frame are chosen from 0 to 9; anything else never reaches the pixels.
constexpr int kMaxBorder = 9;

bool IsLayoutA(const std::string& image) {
    return !image.empty() && static_cast<unsigned char>(image[0]) == kLayoutAMark;
}

// The byte at an offset; past the end of a short string, no pixel is set.
unsigned ByteAt(const std::string& image, std::size_t offset) {
    return offset < image.size() ? static_cast<unsigned char>(image[offset]) : 0u;
}

bool ScreenPixel(const std::string& image, int x, int y) {
    auto ux = static_cast<std::size_t>(x);
    auto uy = static_cast<std::size_t>(y);
    if (IsLayoutA(image)) {
        unsigned byte = ByteAt(image, kLayoutAFirstData + kLayoutABandBytes * (uy / 8) + ux);
        return (byte >> (uy % 8)) & 1u;
    }
    std::size_t rowBytes = (static_cast<std::size_t>(ScreenPicture::ScreenColumns(image)) + 7) / 8;
    unsigned byte = ByteAt(image, kLayoutBFirstRow + uy * rowBytes + ux / 8);
    return (byte >> (ux % 8)) & 1u;
}

}  // namespace

ScreenPicture::ScreenPicture(int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {}

int ScreenPicture::ScreenColumns(const std::string& image) {
    return IsLayoutA(image) ? kLayoutAColumns
                            : static_cast<int>(ByteAt(image, kLayoutBColumnsOffset));
}

int ScreenPicture::ScreenRows(const std::string& image) {
    return IsLayoutA(image) ? kLayoutARows : static_cast<int>(ByteAt(image, kLayoutBRowsOffset));
}

ScreenPicture ScreenPicture::Render(const std::string& image, const PictureBorder& border) {
    const int s = border.show ? std::clamp(border.space, 0, kMaxBorder) : 0;
    const int f = border.show ? std::clamp(border.frame, 0, kMaxBorder) : 0;
    const int columns = ScreenColumns(image);
    const int rows = ScreenRows(image);
    ScreenPicture picture(columns + 2 * s + 2 * f, rows + 2 * s + 2 * f);
    const int w = picture.width_;
    const int h = picture.height_;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            bool inFrame = x < f || y < f || x >= w - f || y >= h - f;
            picture.Set(x, y, inFrame);
        }
    }
    const int origin = s + f;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            picture.Set(origin + x, origin + y, ScreenPixel(image, x, y));
        }
    }
    return picture;
}

}  // namespace vaddex
