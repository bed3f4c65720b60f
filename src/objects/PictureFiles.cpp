#include "objects/PictureFiles.h"

// jpeglib.h needs the size types declared before it.
#include <cctype>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "util/FileIo.h"

namespace vaddex {
namespace {

constexpr std::size_t kBmpFileHeaderBytes = 14;
constexpr std::size_t kBmpInfoHeaderBytes = 40;
constexpr std::uint32_t kBmpPixelsPerMetre = 2835;  // 72 dots an inch
constexpr int kBytesPerPixel = 3;

void PutLe16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void PutLe32(std::string& out, std::uint32_t value) {
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

// The pixels as rows of R, G, B bytes from the top, the layout the JPEG library takes.
std::vector<unsigned char> RgbRows(const ScreenPicture& picture) {
    std::vector<unsigned char> rows;
    rows.reserve(static_cast<std::size_t>(picture.Width()) * picture.Height() * kBytesPerPixel);
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            unsigned char level = picture.IsBlack(x, y) ? 0 : 255;
            rows.insert(rows.end(), kBytesPerPixel, level);
        }
    }
    return rows;
}

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// The library's default error handler ends the process; this one returns to Compress.
extern "C" void OnJpegError(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Only trivially destructible objects live here, so the jump back from OnJpegError skips no
// destructor. On success *out holds a malloc'd buffer of *outSize bytes; the caller frees
// *out in either case.
bool Compress(int width, int height, int quality, const unsigned char* rgb, unsigned char** out,
              unsigned long* outSize, JpegErrors& errors) {
    jpeg_compress_struct info;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnJpegError;
    errors.message[0] = '\0';
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, outSize);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = kBytesPerPixel;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);  // TRUE: baseline tables only
    jpeg_start_compress(&info, TRUE);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * kBytesPerPixel;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + info.next_scanline * rowBytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

PictureFormat PictureFormatFor(const std::string& path) {
    std::string name = FileNameOf(path);
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        return PictureFormat::Bmp;
    }
    std::string extension = name.substr(dot);
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (extension == "." || extension == ".bmp") {
        return PictureFormat::Bmp;
    }
    if (extension == ".jpg" || extension == ".jpeg") {
        return PictureFormat::Jpeg;
    }
    if (extension == ".png") {
        return PictureFormat::Png;
    }
    return PictureFormat::None;
}

std::string EncodeBmp(const ScreenPicture& picture) {
    const auto width = static_cast<std::uint32_t>(picture.Width());
    const auto height = static_cast<std::uint32_t>(picture.Height());
    const std::uint32_t rowBytes = (width * kBytesPerPixel + 3) / 4 * 4;
    const std::uint32_t pixelBytes = rowBytes * height;
    const auto offset = static_cast<std::uint32_t>(kBmpFileHeaderBytes + kBmpInfoHeaderBytes);

    std::string out;
    out.reserve(offset + pixelBytes);
    out += "BM";
    PutLe32(out, offset + pixelBytes);
    PutLe32(out, 0);  // reserved
    PutLe32(out, offset);
    PutLe32(out, kBmpInfoHeaderBytes);
    PutLe32(out, width);
    PutLe32(out, height);  // positive: the bottom row comes first
    PutLe16(out, 1);       // planes
    PutLe16(out, kBytesPerPixel * 8);
    PutLe32(out, 0);  // no compression
    PutLe32(out, pixelBytes);
    PutLe32(out, kBmpPixelsPerMetre);
    PutLe32(out, kBmpPixelsPerMetre);
    PutLe32(out, 0);  // no palette
    PutLe32(out, 0);
    for (int y = picture.Height() - 1; y >= 0; --y) {
        std::size_t rowStart = out.size();
        for (int x = 0; x < picture.Width(); ++x) {
            char level = picture.IsBlack(x, y) ? '\0' : '\xFF';
            out.append(kBytesPerPixel, level);
        }
        out.append(rowBytes - (out.size() - rowStart), '\0');
    }
    return out;
}

std::string EncodeJpeg(const ScreenPicture& picture, int quality) {
    std::vector<unsigned char> rgb = RgbRows(picture);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    JpegErrors errors;
    bool ok =
        Compress(picture.Width(), picture.Height(), quality, rgb.data(), &buffer, &size, errors);
    std::string out;
    if (ok && buffer != nullptr) {
        out.assign(reinterpret_cast<const char*>(buffer), size);
    }
    std::free(buffer);
    if (!ok) {
        throw std::runtime_error(std::string("Cannot make the JPEG picture: ") + errors.message);
    }
    return out;
}

std::string EncodePng(const ScreenPicture& picture) {
    std::vector<unsigned char> grey;
    grey.reserve(static_cast<std::size_t>(picture.Width()) * picture.Height());
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            grey.push_back(picture.IsBlack(x, y) ? 0 : 255);
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.Width());
    image.height = static_cast<png_uint_32>(picture.Height());
    image.format = PNG_FORMAT_GRAY;
    // The first call only measures; the second fills a buffer of that size.
    png_alloc_size_t size = 0;
    std::string out;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, grey.data(), 0, nullptr) != 0) {
        out.resize(size);
        if (png_image_write_to_memory(&image, out.data(), &size, 0, grey.data(), 0, nullptr) != 0) {
            out.resize(size);
            return out;
        }
    }
    std::string message = image.message;
    png_image_free(&image);
    throw std::runtime_error("Cannot make the PNG picture: " + message);
}

bool WritePictureFile(const std::string& path, const ScreenPicture& picture, int* error) {
    if (error != nullptr) {
        *error = 0;
    }
    switch (PictureFormatFor(path)) {
        case PictureFormat::Bmp:
            return WriteWholeFile(path, EncodeBmp(picture), error);
        case PictureFormat::Jpeg:
            return WriteWholeFile(path, EncodeJpeg(picture), error);
        case PictureFormat::Png:
            return WriteWholeFile(path, EncodePng(picture), error);
        case PictureFormat::None:
            break;
    }
    return false;
}

}  // namespace vaddex
