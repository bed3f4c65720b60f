#include "objects/PictureFiles.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <string>

#include "support/TempDir.h"
#include "util/FileIo.h"

namespace vaddex {
namespace {

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

// A layout-A screen with pixel (0, 0) set, inside the default frame: 137 x 70.
ScreenPicture FramedPicture() {
    std::string image = std::string(1, '\x1B') + std::string(1080, '\0');
    image[2] = 1;
    return ScreenPicture::Render(image, PictureBorder{});
}

TEST(PictureFileFormat, ExtensionChoosesTheForm) {
    struct Row {
        const char* path;
        PictureFormat format;
    } rows[] = {
        {"shot.jpg", PictureFormat::Jpeg},     {"shot.JPEG", PictureFormat::Jpeg},
        {"shot.bmp", PictureFormat::Bmp},      {"shot", PictureFormat::Bmp},
        {"shot.", PictureFormat::Bmp},         {"dir.jpg/shot", PictureFormat::Bmp},
        {"shot.PNG", PictureFormat::Png},      {"shot.gif", PictureFormat::None},
        {"shot.jpg.txt", PictureFormat::None},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PictureFormatFor(row.path), row.format) << row.path;
    }
}

TEST(PictureFileFormat, BitmapRowsArePaddedAndBottomUp) {
    ScreenPicture picture = FramedPicture();
    std::string bmp = EncodeBmp(picture);
    const std::uint32_t rowBytes = (137 * 3 + 3) / 4 * 4;  // 412: one byte of padding
    ASSERT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bmp, 2), bmp.size());
    EXPECT_EQ(Le32(bmp, 10), 54u);
    EXPECT_EQ(Le32(bmp, 18), 137u);
    EXPECT_EQ(Le32(bmp, 22), 70u);
    EXPECT_EQ(bmp.size(), 54 + rowBytes * 70);
    // The screen's pixel (0, 0) is picture row 3, stored as the fourth row from the end.
    std::size_t top3 = 54 + rowBytes * (70 - 1 - 3);
    EXPECT_EQ(bmp[top3 + 3 * 3], '\0');         // (3, 3) black
    EXPECT_EQ(bmp[top3 + 4 * 3], '\xFF');       // (4, 3) white
    EXPECT_EQ(bmp[top3 + rowBytes - 1], '\0');  // padding
    EXPECT_EQ(bmp[54], '\0');                   // bottom-left frame pixel

    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(QByteArray(bmp.data(), static_cast<qsizetype>(bmp.size()))));
    EXPECT_EQ(decoded.size(), QSize(137, 70));
    EXPECT_EQ(qGray(decoded.pixel(3, 3)), 0);
    EXPECT_EQ(qGray(decoded.pixel(4, 3)), 255);
}

TEST(PictureFileFormat, JpegIsABaselineColourPicture) {
    std::string jpeg = EncodeJpeg(FramedPicture());
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
    // The start-of-frame marker of a baseline picture, with three components.
    std::size_t sof = jpeg.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    EXPECT_EQ(jpeg[sof + 9], 3);
    EXPECT_EQ(jpeg.find("\xFF\xC2"), std::string::npos);  // not progressive

    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(QByteArray(jpeg.data(), static_cast<qsizetype>(jpeg.size()))));
    EXPECT_EQ(decoded.size(), QSize(137, 70));
    EXPECT_LT(qGray(decoded.pixel(0, 0)), 64);
    EXPECT_GT(qGray(decoded.pixel(68, 35)), 192);
}

TEST(PictureFileFormat, PngReadsBackExactly) {
    ScreenPicture picture = FramedPicture();
    std::string png = EncodePng(picture);
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(QByteArray(png.data(), static_cast<qsizetype>(png.size()))));
    ASSERT_EQ(decoded.size(), QSize(137, 70));
    int mismatches = 0;
    for (int y = 0; y < 70; ++y) {
        for (int x = 0; x < 137; ++x) {
            mismatches += (qGray(decoded.pixel(x, y)) == 0) != picture.IsBlack(x, y);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(PictureFileFormat, OtherExtensionWritesNothing) {
    test::TempDir folder;
    int error = -1;
    EXPECT_FALSE(WritePictureFile(folder.File("shot.gif"), FramedPicture(), &error));
    EXPECT_EQ(error, 0);
    EXPECT_FALSE(FileExists(folder.File("shot.gif")));

    ASSERT_TRUE(WritePictureFile(folder.File("shot.JPG"), FramedPicture(), &error));
    std::string written;
    ASSERT_TRUE(ReadWholeFile(folder.File("shot.JPG"), written));
    EXPECT_EQ(written.substr(0, 2), "\xFF\xD8");
}

TEST(PictureFileFormat, UnwritableFolderReportsTheError) {
    int error = 0;
    EXPECT_FALSE(WritePictureFile("/nonexistent-folder/shot.bmp", FramedPicture(), &error));
    EXPECT_NE(error, 0);
}

}  // namespace
}  // namespace vaddex
