#include "objects/CharTranslationTable.h"

#include <cstdint>

namespace vaddex {
namespace {

struct Lookups {
    std::array<std::int8_t, 256> rowOfCode{};
    std::array<unsigned char, 256 * 256> codeOfPair{};

    Lookups() {
        rowOfCode.fill(-1);
        for (std::size_t row = 0; row < CharTranslationTable.size(); ++row) {
            const CharTranslation& t = CharTranslationTable[row];
            rowOfCode[t.code] = static_cast<std::int8_t>(row);
            codeOfPair[PairIndex(t.mnemonic[0], t.mnemonic[1])] = t.code;
        }
    }

    static std::size_t PairIndex(char first, char second) {
        return static_cast<unsigned char>(first) * 256u + static_cast<unsigned char>(second);
    }
};

const Lookups& TheLookups() {
    static const Lookups lookups;
    return lookups;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

const CharTranslation* TranslationOfCode(unsigned char code) {
    int row = TheLookups().rowOfCode[code];
    return row < 0 ? nullptr : &CharTranslationTable[static_cast<std::size_t>(row)];
}

unsigned char CodeOfMnemonic(char first, char second) {
    return TheLookups().codeOfPair[Lookups::PairIndex(first, second)];
}

std::string DecimalCode(unsigned char code) {
    return {static_cast<char>('0' + code / 100), static_cast<char>('0' + code / 10 % 10),
            static_cast<char>('0' + code % 10)};
}

bool ReadDecimalCode(std::string_view text, std::size_t at, unsigned char& code) {
    if (at > text.size() || text.size() - at < 3) {
        return false;
    }
    if (!IsDigit(text[at]) || !IsDigit(text[at + 1]) || !IsDigit(text[at + 2])) {
        return false;
    }
    int value = (text[at] - '0') * 100 + (text[at + 1] - '0') * 10 + (text[at + 2] - '0');
    code = static_cast<unsigned char>(value % 256);
    return true;
}

}  // namespace vaddex
