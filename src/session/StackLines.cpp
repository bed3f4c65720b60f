#include "session/StackLines.h"

#include "objects/TextTranslation.h"
#include "util/Nibbles.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

// Nibbles before the first element of the received list: the file header and the list prolog.
constexpr std::size_t kListElementsNibble = 21;
// Nibbles of an empty list's file: header, list prolog and the closing Semi.
constexpr std::size_t kEmptyListNibbles = 26;
constexpr std::size_t kStringHeadBytes = 5;  // prolog and length field of a packed string
constexpr std::size_t kStackLinesShown = 7;
constexpr int kStackTransIO = 3;

unsigned Byte(const std::string& bytes, std::size_t index) {
    return static_cast<unsigned char>(bytes[index]);
}

// The string elements of a packed list body, as stack lines ": text" (quoted for strings).
std::vector<std::string> StackElements(const std::string& packed) {
    std::vector<std::string> lines;
    std::size_t position = 0;
    while (packed.size() - position >= 6) {
        if (packed[position] != ',' || packed[position + 1] != '*') {
            break;  // not a string prolog: the list has ended
        }
        long length = (Byte(packed, position + 2) >> 4) + 16 * Byte(packed, position + 3) +
                      4096 * Byte(packed, position + 4);
        std::size_t count = length > 5 ? static_cast<std::size_t>((length - 5) / 2) : 0;
        std::size_t start = position + kStringHeadBytes;
        if (count > packed.size() - start) {
            Trace("ReadStackLines: an element runs past the data");
            break;
        }
        std::string text = packed.substr(start, count);
        bool marked = text.rfind(kStackStringMarker, 0) == 0;
        if (marked) {
            text.erase(0, 3);
        }
        std::string pcText = TextFromCalc(text, kStackTransIO, true, marked, false);
        lines.push_back(": " + (marked ? "\"" + pcText + "\"" : pcText));
        position = start + count;
    }
    return lines;
}

}  // namespace

std::vector<std::string> StackLinesFromList(const std::string& file) {
    std::string units = SpreadNibbles(file);
    std::size_t n = units.size();
    std::size_t keep = n > kEmptyListNibbles ? 2 * (n - kEmptyListNibbles) : 0;
    std::string packed =
        n > kListElementsNibble ? PackNibbles(units.substr(kListElementsNibble, keep)) : "";
    std::vector<std::string> lines = StackElements(packed);
    std::vector<std::string> result;
    std::size_t first = lines.size() > kStackLinesShown ? lines.size() - kStackLinesShown : 0;
    for (std::size_t j = first; j < lines.size(); ++j) {
        result.push_back(std::to_string(lines.size() - j) + lines[j]);
    }
    return result;
}

}  // namespace vaddex
