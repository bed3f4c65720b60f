#include "objects/ScreenPicture.h"

#include <gtest/gtest.h>

#include <string>

namespace vaddex {
namespace {

// Layout A: ESC, then eight bands of 135 bytes; the pixel (x, y) is bit y % 8 of the byte at
// 2 + 135 * (y / 8) + x.
std::string LayoutA() {
    return std::string(1, '\x1B') + std::string(1080, '\0');
}

void SetA(std::string& image, int x, int y) {
    image[2 + 135 * (y / 8) + x] |= static_cast<char>(1 << (y % 8));
}

// Layout B: rows and columns in bytes 4 and 5, rows of (columns + 7) / 8 bytes from byte 6,
// the pixel (x, y) bit x % 8 of the row's byte x / 8.
std::string LayoutB(int rows, int columns) {
    std::string image = {
        '\x1D', 'W', '\0', '\x01', static_cast<char>(rows), static_cast<char>(columns)};
    return image + std::string(static_cast<std::size_t>(rows * ((columns + 7) / 8)), '\0');
}

void SetB(std::string& image, int columns, int x, int y) {
    image[6 + y * ((columns + 7) / 8) + x / 8] |= static_cast<char>(1 << (x % 8));
}

int BlackCount(const ScreenPicture& picture) {
    int count = 0;
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            count += picture.IsBlack(x, y) ? 1 : 0;
        }
    }
    return count;
}

TEST(ScreenPictureLayout, DefaultBorderFramesLayoutAScreen) {
    std::string image = LayoutA();
    SetA(image, 0, 0);
    SetA(image, 130, 63);
    SetA(image, 5, 9);  // second band, bit 1
    ScreenPicture picture = ScreenPicture::Render(image, PictureBorder{});
    ASSERT_EQ(picture.Width(), 137);
    ASSERT_EQ(picture.Height(), 70);
    // Two black frame pixels, one white margin pixel, then the screen at (3, 3).
    EXPECT_TRUE(picture.IsBlack(0, 0));
    EXPECT_TRUE(picture.IsBlack(1, 35));
    EXPECT_TRUE(picture.IsBlack(136, 69));
    EXPECT_FALSE(picture.IsBlack(2, 2));
    EXPECT_FALSE(picture.IsBlack(134, 67));
    EXPECT_TRUE(picture.IsBlack(3, 3));
    EXPECT_TRUE(picture.IsBlack(133, 66));
    EXPECT_TRUE(picture.IsBlack(8, 12));
    EXPECT_FALSE(picture.IsBlack(8, 11));
    int frame = 137 * 70 - 133 * 66;
    EXPECT_EQ(BlackCount(picture), frame + 3);
}

TEST(ScreenPictureLayout, HiddenBorderIgnoresSpaceAndFrame) {
    std::string image = LayoutA();
    SetA(image, 0, 0);
    ScreenPicture picture = ScreenPicture::Render(image, PictureBorder{false, 7, 9});
    EXPECT_EQ(picture.Width(), 131);
    EXPECT_EQ(picture.Height(), 64);
    EXPECT_TRUE(picture.IsBlack(0, 0));
    EXPECT_EQ(BlackCount(picture), 1);
}

TEST(ScreenPictureLayout, SpaceWithoutFrameLeavesNoBlackOutsideTheScreen) {
    ScreenPicture picture = ScreenPicture::Render(LayoutA(), PictureBorder{true, 3, 0});
    EXPECT_EQ(picture.Width(), 137);
    EXPECT_EQ(BlackCount(picture), 0);
}

TEST(ScreenPictureLayout, LayoutBReadsRowsOfItsOwnWidth) {
    // 80 rows of 131 columns: 17 bytes a row from offset 6.
    std::string image = LayoutB(80, 131);
    SetB(image, 131, 130, 79);
    SetB(image, 131, 9, 1);
    ScreenPicture picture = ScreenPicture::Render(image, PictureBorder{false, 0, 0});
    ASSERT_EQ(picture.Width(), 131);
    ASSERT_EQ(picture.Height(), 80);
    EXPECT_TRUE(picture.IsBlack(130, 79));
    EXPECT_TRUE(picture.IsBlack(9, 1));
    EXPECT_FALSE(picture.IsBlack(8, 1));
    EXPECT_EQ(BlackCount(picture), 2);
}

TEST(ScreenPictureLayout, HeaderFormOfTheScreenReceiverIs131By64) {
    // What the receiver assembles for an "W" header: lead, 'W', 00 01 40 83, then the rows.
    std::string image = std::string("\x1DW\x00\x01\x40\x83", 6) + std::string(1088, '\0');
    image[6] = 1;  // pixel (0, 0)
    ScreenPicture picture = ScreenPicture::Render(image, PictureBorder{false, 0, 0});
    EXPECT_EQ(picture.Width(), 131);
    EXPECT_EQ(picture.Height(), 64);
    EXPECT_TRUE(picture.IsBlack(0, 0));
}

TEST(ScreenPictureLayout, ShortImageDrawsWhiteInsteadOfReadingPastIt) {
    std::string image = LayoutA().substr(0, 10);
    image[2] = '\xFF';
    ScreenPicture picture = ScreenPicture::Render(image, PictureBorder{false, 0, 0});
    EXPECT_EQ(picture.Width(), 131);
    EXPECT_EQ(BlackCount(picture), 8);  // column 0, rows 0 to 7; the rest is missing

    ScreenPicture empty = ScreenPicture::Render("", PictureBorder{true, 1, 2});
    EXPECT_EQ(empty.Width(), 6);
    EXPECT_EQ(empty.Height(), 6);
}

TEST(ScreenPictureLayout, BorderOutsideItsRangeIsClamped) {
    ScreenPicture picture = ScreenPicture::Render(LayoutA(), PictureBorder{true, -4, 40});
    EXPECT_EQ(picture.Width(), 131 + 18);
    EXPECT_EQ(picture.Height(), 64 + 18);
}

}  // namespace
}  // namespace vaddex
