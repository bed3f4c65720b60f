#include "objects/TextTranslation.h"

#include <string_view>

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

}  // namespace

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
