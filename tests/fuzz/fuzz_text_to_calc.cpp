// TextToCalc in both modes. The string-mode result is the body of a string literal whose
// value must be the plain decoding (carriage returns aside, which the two modes treat apart
// after an undecodable backslash). Utf8ToCalc never lengthens a text and keeps its ASCII.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "objects/TextTranslation.h"

namespace {

// The value of a literal body; nullopt when a quote is unescaped or a backslash dangles.
std::optional<std::string> LiteralValue(const std::string& body) {
    std::string value;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '"') {
            return std::nullopt;
        }
        if (body[i] == '\\') {
            if (++i == body.size()) {
                return std::nullopt;
            }
        }
        value.push_back(body[i]);
    }
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string plain = vaddex::TextToCalc(input, false);
    std::string literal = vaddex::TextToCalc(input, true);
    if (plain.size() > input.size()) {
        std::abort();
    }
    if (input.find('\r') == std::string::npos && LiteralValue(literal) != plain) {
        std::abort();
    }
    std::string typed = vaddex::Utf8ToCalc(input);
    auto ascii = [](const std::string& text) {
        std::string kept;
        for (char c : text) {
            if (static_cast<unsigned char>(c) < 0x80) {
                kept.push_back(c);
            }
        }
        return kept;
    };
    if (typed.size() > input.size() || ascii(typed) != ascii(input)) {
        std::abort();
    }
    return 0;
}
