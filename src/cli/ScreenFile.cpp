#include "cli/ScreenFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <cctype>
#include <cstring>

#include "cli/CliErrors.h"
#include "objects/PictureFiles.h"
#include "util/FileIo.h"

namespace vaddex::cli {
namespace {

bool IsPng(const std::string& path) {
    std::string name = FileNameOf(path);
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        return false;
    }
    std::string extension = name.substr(dot);
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension == ".png";
}

std::string EncodePng(const ScreenPicture& picture) {
    QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            image.setPixel(x, y, picture.IsBlack(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        throw CommandFailed("Cannot make the PNG picture");
    }
    return bytes.toStdString();
}

}  // namespace

bool IsScreenFileName(const std::string& path) {
    return IsPng(path) || PictureFormatFor(path) != PictureFormat::None;
}

void SaveScreenFile(const std::string& path, const ScreenPicture& picture) {
    int error = 0;
    bool written = false;
    try {
        written = IsPng(path) ? WriteWholeFile(path, EncodePng(picture), &error)
                              : WritePictureFile(path, picture, &error);
    } catch (const std::runtime_error& e) {
        throw CommandFailed(e.what());
    }
    if (!written) {
        throw CommandFailed("Cannot write " + path + ": " + std::strerror(error));
    }
}

}  // namespace vaddex::cli
