#include "sim/server/ScreenStream.h"

namespace zqsim {
namespace {

constexpr char kEsc = 0x1B;
// The first byte of the header forms: neither ESC nor the Kermit server's 0x01.
constexpr char kLeadByte = 0x1D;

// Lead byte and header h1..h5 of the generic form: h3 planes of h4 rows of h5 columns.
std::string GenericHeader(int planes, int rows) {
    return {kLeadByte,
            'B',
            0,
            static_cast<char>(planes),
            static_cast<char>(rows),
            static_cast<char>(ScreenImage::kColumns)};
}

}  // namespace

std::optional<ScreenVariant> ParseScreenVariant(const std::string& word) {
    if (word == "esc" || word.empty()) {
        return ScreenVariant::Esc;
    }
    if (word == "w") {
        return ScreenVariant::W;
    }
    if (word == "g") {
        return ScreenVariant::G;
    }
    if (word == "generic") {
        return ScreenVariant::Generic;
    }
    if (word == "large") {
        return ScreenVariant::TooLarge;
    }
    return std::nullopt;
}

const char* ScreenVariantName(ScreenVariant variant) {
    switch (variant) {
        case ScreenVariant::Esc:
            return "esc";
        case ScreenVariant::W:
            return "w";
        case ScreenVariant::G:
            return "g";
        case ScreenVariant::Generic:
            return "generic";
        case ScreenVariant::TooLarge:
            return "large";
    }
    return "?";
}

std::string ScreenStream(ScreenVariant variant, const ScreenImage& image) {
    switch (variant) {
        case ScreenVariant::Esc:
            return kEsc + image.Bands();
        case ScreenVariant::W:
        case ScreenVariant::G: {
            // h2..h5 and the 1084 bytes after them are the 64 rows of 17 bytes together.
            std::string rows = image.Rows(ScreenImage::kRows);
            char letter = variant == ScreenVariant::W ? 'W' : 'G';
            return std::string{kLeadByte, letter} + rows;
        }
        case ScreenVariant::Generic:
            return GenericHeader(1, ScreenImage::kRows) + image.Rows(ScreenImage::kRows);
        case ScreenVariant::TooLarge: {
            // Two planes of 80 rows: 2720 bytes, more than the 2176 the PC takes.
            std::string plane = image.Rows(80);
            return GenericHeader(2, 80) + plane + plane;
        }
    }
    return {};
}

}  // namespace zqsim
