#pragma once

#include <string>

#include "objects/ScreenPicture.h"

namespace vaddex {

// The file form a captured screen is saved in, chosen by the name's extension.
enum class PictureFormat {
    Bmp,   // ".bmp", a lone "." or no extension
    Jpeg,  // ".jpg" or ".jpeg"
    Png,   // ".png"
    None,  // any other extension: nothing is written
};

// Compares the extension without regard to case.
PictureFormat PictureFormatFor(const std::string& path);

// The picture as a Windows bitmap file: 24 bits a pixel, rows bottom up.
std::string EncodeBmp(const ScreenPicture& picture);

// The picture as a baseline colour JPEG file of the given quality. Throws std::runtime_error
// with the library's message when it cannot be compressed.
std::string EncodeJpeg(const ScreenPicture& picture, int quality = 90);

// The picture as a PNG file, 8-bit grey. Throws std::runtime_error with the library's message
// when it cannot be compressed.
std::string EncodePng(const ScreenPicture& picture);

// Writes the picture in the form the extension names, replacing the file; the file is either
// complete or untouched. False with the system error code in *error when it cannot be
// written, also for PictureFormat::None (error 0 then); EncodeJpeg's error is thrown.
bool WritePictureFile(const std::string& path, const ScreenPicture& picture, int* error = nullptr);

}  // namespace vaddex
