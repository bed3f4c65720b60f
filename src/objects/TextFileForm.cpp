#include "objects/TextFileForm.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "objects/CalcNames.h"
#include "objects/ObjectSize.h"
#include "objects/TextTranslation.h"
#include "util/Errors.h"

namespace vaddex {
namespace {

// The calculator reader's string literal: a backslash takes the quote or backslash after it
// literally, any other character stands for itself, and the first plain quote ends it. True
// when that quote is the last byte of `sent`, with `contents` the characters read.
bool ReadStringLiteral(std::string_view sent, std::string& contents) {
    contents.clear();
    if (sent.empty() || sent.front() != '"') {
        return false;
    }
    for (std::size_t pos = 1; pos < sent.size(); ++pos) {
        char c = sent[pos];
        if (c == '"') {
            return pos + 1 == sent.size();
        }
        if (c == '\\' && pos + 1 < sent.size() && (sent[pos + 1] == '"' || sent[pos + 1] == '\\')) {
            c = sent[++pos];
        }
        contents.push_back(c);
    }
    return false;
}

// Byte offset of a string object's first character in its binary file: the 8-byte header,
// then a five-nibble prolog and a five-nibble length.
constexpr std::size_t kStringTextOffset = 13;
constexpr std::size_t kFlagListMaxLength = 150;
// The longest text whose length field (2 nibbles per character + 5) fits in five nibbles.
constexpr std::size_t kMaxStringTextLength = (0xFFFFF - 5) / 2;
constexpr std::size_t kMaxInlineTextLength = 300;
// The header's ";" may stand at positions 1 to 21, its "A(" and "F(" at 1 to 20.
constexpr std::size_t kHeaderEndLimit = 21;
constexpr std::size_t kHeaderKeyLimit = 20;

std::uint32_t PrologOf(const std::string& file) {
    std::uint32_t prolog = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        prolog |= static_cast<std::uint32_t>(static_cast<unsigned char>(file[8 + i])) << (8 * i);
    }
    return prolog & 0xFFFFF;
}

std::string HeaderLine(int transIO, char angle, char fraction, const std::string& lineEnd) {
    return "%%ZQ: T(" + std::to_string(transIO) + ")A(" + angle + ")F(" + fraction + ");" + lineEnd;
}

// The character after `key` when the key starts within the first kHeaderKeyLimit characters.
char KeyValue(const std::string& header, std::string_view key) {
    std::size_t at = header.find(key);
    if (at == std::string::npos || at >= kHeaderKeyLimit || at + key.size() >= header.size()) {
        return '\0';
    }
    return header[at + key.size()];
}

}  // namespace

TextFileResult MakeTextFile(std::string objectFile, int typeIndex, int transIO, bool trans031,
                            bool addCR) {
    TextFileResult result;
    if (objectFile.size() < kStringTextOffset || PrologOf(objectFile) != kStringProlog) {
        result.message = "Not a string object";
        return result;
    }
    std::string head = objectFile.substr(kStringTextOffset, kFlagListMaxLength);
    std::size_t close = head.find('}');
    std::string digits = VersionDigits(head, 4);
    char angle = 'D';
    if (digits[0] == '0' && digits[1] == '1') {
        angle = 'G';
    } else if (digits[0] == '1' && digits[1] == '0') {
        angle = 'R';
    }
    char fraction = digits[2] == '1' ? ',' : '.';

    ObjectSizeResult sized = ObjectSize(objectFile);
    if (!sized.success) {
        // Without the string's true end the padding would become part of the text.
        result.message = sized.message;
        return result;
    }
    std::string body = objectFile.substr(kStringTextOffset);
    if (close != std::string::npos && close < body.size()) {
        body.erase(0, close + 1);
    }
    std::string quote;
    if (typeIndex == kStringTypeIndex) {
        quote = "\"";
    } else if (typeIndex == kAlgebraicTypeIndex && (body.empty() || body[0] != '\'')) {
        quote = "'";
    }
    const std::string lineEnd = addCR ? "\r\n" : "\n";
    result.text = HeaderLine(transIO, angle, fraction, lineEnd) + quote +
                  TextFromCalc(body, transIO, trans031, typeIndex == kStringTypeIndex, addCR) +
                  quote + lineEnd;
    result.success = true;
    return result;
}

ParsedTextFile ParseTextFile(const std::string& content) {
    ParsedTextFile parsed;
    parsed.stringMode = content.size() <= kMaxInlineTextLength;
    std::string header;
    std::string body = content;
    std::size_t semicolon = content.find(';');
    if (semicolon != std::string::npos && semicolon < kHeaderEndLimit) {
        header = content.substr(0, semicolon + 1);
        // The character right after the ";" is skipped whatever it is.
        std::size_t start = semicolon + 2;
        while (start < content.size() && static_cast<unsigned char>(content[start]) < 33) {
            ++start;
        }
        body = start < content.size() ? content.substr(start) : std::string();
    }
    parsed.body = TextToCalc(body, parsed.stringMode);
    if (parsed.stringMode) {
        parsed.literal = "\"" + CalcNameToPc(parsed.body, false) + "\"";
        // Inside the command line a NUL would reach the calculator as the digits "000", and a
        // literal the reader would close early would run its rest: such a text travels the long
        // way, as a string object, whose characters are exactly what OBJ\x8D parses.
        bool exact = parsed.body.find('\0') == std::string::npos &&
                     ReadStringLiteral(PcNameToCalc(parsed.literal, false), parsed.objectText);
        if (!exact) {
            parsed.stringMode = false;
            parsed.literal.clear();
            parsed.body = TextToCalc(body, false);
        }
    }
    if (!parsed.stringMode) {
        parsed.objectText = parsed.body;
    }

    switch (KeyValue(header, "A(")) {
        case 'D':
            parsed.angle = "DEG ";
            break;
        case 'G':
            parsed.angle = "GRAD ";
            break;
        case 'R':
            parsed.angle = "RAD ";
            break;
        default:
            break;
    }
    switch (KeyValue(header, "F(")) {
        case ',':
            parsed.fraction = "-51 SF ";
            break;
        case '.':
            parsed.fraction = "-51 CF ";
            break;
        default:
            break;
    }
    return parsed;
}

std::string WrapAsStringObject(const std::string& text, const std::string& series) {
    if (text.size() > kMaxStringTextLength) {
        // The length would wrap around in its five nibbles and the calculator would take
        // the text that follows as further objects.
        RaiseError("Text too long for a string object");
    }
    const std::size_t length = 2 * text.size() + 5;
    std::string file = "ZQZQ" + series + "-C" + ",*";
    file.push_back(static_cast<char>((length % 16) * 16));
    file.push_back(static_cast<char>((length / 16) % 256));
    file.push_back(static_cast<char>((length / 4096) % 256));
    file += text;
    return file;
}

std::string StringObjectText(const std::string& file) {
    constexpr std::size_t kHeader = 8;
    constexpr std::size_t kCharsAt = kStringTextOffset;
    if (file.size() < kCharsAt) {
        return "";
    }
    auto nibble = [&](std::size_t index) {
        auto byte = static_cast<unsigned char>(file[kHeader + index / 2]);
        return index % 2 == 0 ? byte & 0x0F : byte >> 4;
    };
    std::size_t length = 0;
    for (std::size_t i = 0; i < 5; ++i) {
        length |= static_cast<std::size_t>(nibble(5 + i)) << (4 * i);
    }
    std::size_t count = length > 5 ? (length - 5) / 2 : 0;
    return file.substr(kCharsAt, std::min(count, file.size() - kCharsAt));
}

std::string VersionDigits(const std::string& input, std::size_t count) {
    std::string digits(count, '0');
    std::string_view text = input;
    text = text.substr(0, text.find('}'));
    std::size_t dot = text.find('.');
    std::size_t comma = text.find(',');
    char separator = ' ';
    if (dot != std::string_view::npos || comma != std::string_view::npos) {
        separator = dot < comma ? '.' : ',';
    }
    std::size_t brace = text.find('{');
    if (brace != std::string_view::npos) {
        text.remove_prefix(brace + 1);
    }
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    std::size_t found = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator)) {
        // A mark with nothing before it still uses up its place in the list.
        if (found < count && at > 0) {
            digits[found] = text[at - 1];
        }
        ++found;
        text.remove_prefix(at + 1);
    }
    return digits;
}

}  // namespace vaddex
