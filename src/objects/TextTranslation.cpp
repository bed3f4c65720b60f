#include "objects/TextTranslation.h"

#include <string_view>
#include <utility>

#include "objects/CharTranslationTable.h"

namespace vaddex {
namespace {

int UpperLimitOf(int mode) {
    switch (mode) {
        case 2:
            return 159;
        case 3:
            return 255;
        default:
            return 0;
    }
}

// Writes a character inside a string literal body.
void PutLiteral(std::string& out, char ch, bool stringMode) {
    if (stringMode && (ch == '"' || ch == '\\')) {
        out.push_back('\\');
    }
    out.push_back(ch);
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// The calculator's symbols with a character of their own in Unicode.
struct UnicodeOfCode {
    char32_t unicode;
    unsigned char code;
};
constexpr UnicodeOfCode kUnicodeOfCode[] = {
    {U'\u2220', 0x80}, {U'\u2207', 0x82}, {U'\u221A', 0x83}, {U'\u222B', 0x84}, {U'\u03A3', 0x85},
    {U'\u25B6', 0x86}, {U'\u03C0', 0x87}, {U'\u2202', 0x88}, {U'\u2264', 0x89}, {U'\u2265', 0x8A},
    {U'\u2260', 0x8B}, {U'\u03B1', 0x8C}, {U'\u2192', 0x8D}, {U'\u2190', 0x8E}, {U'\u2193', 0x8F},
    {U'\u2191', 0x90}, {U'\u03B3', 0x91}, {U'\u03B4', 0x92}, {U'\u03B5', 0x93}, {U'\u03B7', 0x94},
    {U'\u03B8', 0x95}, {U'\u03BB', 0x96}, {U'\u03C1', 0x97}, {U'\u03C3', 0x98}, {U'\u03C4', 0x99},
    {U'\u03C9', 0x9A}, {U'\u0394', 0x9B}, {U'\u03A0', 0x9C}, {U'\u03A9', 0x9D}, {U'\u25A0', 0x9E},
    {U'\u221E', 0x9F},
};

// The code point of the UTF-8 sequence at `at` and its length; length 0 when the bytes there
// are no well-formed sequence of two to four bytes.
std::pair<char32_t, std::size_t> DecodeUtf8(std::string_view text, std::size_t at) {
    auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                         : lead >= 0xE0                 ? 3
                         : lead >= 0xC2 && lead <= 0xDF ? 2
                                                        : 0;
    if (lead >= 0xF5 || length == 0 || at + length > text.size()) {
        return {0, 0};
    }
    char32_t point = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return {0, 0};
        }
        point = (point << 6) | (next & 0x3F);
    }
    // Over-long forms and surrogates are no characters.
    bool overlong = (length == 3 && point < 0x800) || (length == 4 && point < 0x10000);
    if (overlong || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) {
        return {0, 0};
    }
    return {point, length};
}

}  // namespace

std::string Utf8ToCalc(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        auto [point, length] = DecodeUtf8(text, i);
        if (length == 0) {
            out.push_back(text[i++]);
            continue;
        }
        int code = point >= 0x80 && point <= 0xFF ? static_cast<int>(point) : -1;
        for (const auto& row : kUnicodeOfCode) {
            code = row.unicode == point ? row.code : code;
        }
        if (code < 0) {
            out.append(text, i, length);
        } else {
            out.push_back(static_cast<char>(code));
        }
        i += length;
    }
    return out;
}

std::string CalcToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto code = static_cast<unsigned char>(ch);
        char32_t point = code >= 0xA0 ? code : 0;
        for (const auto& row : kUnicodeOfCode) {
            point = row.code == code ? row.unicode : point;
        }
        if (point == 0) {
            out.push_back(ch);
        } else if (point < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (point >> 6)));
            out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (point >> 12)));
            out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
        }
    }
    return out;
}

std::string TextFromCalc(const std::string& text, int mode, bool trans031, bool stringMode,
                         bool addCR) {
    const int upper = UpperLimitOf(mode);
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (stringMode && (ch == '"' || ch == '\\')) {
            out.push_back('\\');
        }
        bool translate =
            (c >= 128 && c <= upper) || (trans031 && ((c < 32 && c != '\n') || c == 127));
        if (!translate) {
            out.push_back(ch);
            continue;
        }
        out.push_back('\\');
        const CharTranslation* t = TranslationOfCode(c);
        out.append(t ? std::string(t->mnemonic) : DecimalCode(c));
    }
    if (!addCR) {
        return out;
    }
    std::string crlf;
    crlf.reserve(out.size() + out.size() / 16);
    for (char ch : out) {
        if (ch == '\n') {
            crlf.push_back('\r');
        }
        crlf.push_back(ch);
    }
    return crlf;
}

std::string TextToCalc(const std::string& input, bool stringMode) {
    std::string_view text = TrimRight(input);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char ch = text[i];
        std::size_t following = text.size() - i - 1;
        if (ch == '\\' && following >= 1) {
            unsigned char code = 0;
            if (ReadDecimalCode(text, i + 1, code)) {
                PutLiteral(out, static_cast<char>(code), stringMode);
                i += 4;
            } else if (following >= 2 && (code = CodeOfMnemonic(text[i + 1], text[i + 2]))) {
                out.push_back(static_cast<char>(code));
                i += 3;
            } else if (stringMode) {
                // A backslash that escapes nothing stands for itself.
                out.append("\\\\");
                if (text[i + 1] == '\\') {
                    out.append("\\\\");
                    i += 2;
                } else {
                    i += 1;
                }
            } else {
                out.append(text.substr(i, 2));
                i += 2;
            }
            continue;
        }
        ++i;
        if (ch == '\r') {
            continue;
        }
        // In string mode this escapes a quote, and a backslash at the very end, which would
        // otherwise escape the literal's closing quote.
        PutLiteral(out, ch, stringMode);
    }
    return out;
}

}  // namespace vaddex
