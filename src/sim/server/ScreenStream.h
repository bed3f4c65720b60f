#pragma once

#include <optional>
#include <string>

#include "sim/server/ScreenImage.h"

namespace zqsim {

// The forms in which the calculator can send its screen.
enum class ScreenVariant {
    Esc,       // ESC, then 1080 bytes of bands
    W,         // a lead byte, the header "W" h2..h5, then 1084 bytes
    G,         // the same with "G"
    Generic,   // a lead byte, a 5-byte header h1..h5, then h3 x h4 x ((h5 + 7) div 8) bytes
    TooLarge,  // a generic header announcing more than the PC accepts
};

std::optional<ScreenVariant> ParseScreenVariant(const std::string& word);
const char* ScreenVariantName(ScreenVariant variant);

// Every byte the calculator sends for the image in that variant, first byte included.
std::string ScreenStream(ScreenVariant variant, const ScreenImage& image);

}  // namespace zqsim
