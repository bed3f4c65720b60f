#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace vaddex {

// A calculator character that has a two-letter mnemonic.
struct CharTranslation {
    unsigned char code;
    std::string_view mnemonic;  // always two characters
    bool fileNameSafe;          // the mnemonic may stand in a PC file name
};

inline constexpr std::array<CharTranslation, 40> CharTranslationTable{{
    {0x80, "<)", false}, {0x81, "x-", true},  {0x82, ".V", true},  {0x83, "v/", false},
    {0x84, ".S", true},  {0x85, "GS", true},  {0x86, "|>", false}, {0x87, "pi", true},
    {0x88, ".d", true},  {0x89, "<=", false}, {0x8A, ">=", false}, {0x8B, "=/", false},
    {0x8C, "Ga", true},  {0x8D, "->", false}, {0x8E, "<-", false}, {0x8F, "|v", false},
    {0x90, "|^", false}, {0x91, "Gg", true},  {0x92, "Gd", true},  {0x93, "Ge", true},
    {0x94, "Gn", true},  {0x95, "Gh", true},  {0x96, "Gl", true},  {0x97, "Gr", true},
    {0x98, "Gs", true},  {0x99, "Gt", true},  {0x9A, "Gw", true},  {0x9B, "GD", true},
    {0x9C, "PI", true},  {0x9D, "GW", true},  {0x9E, "[]", true},  {0x9F, "oo", true},
    {0xAB, "<<", false}, {0xB0, "^o", true},  {0xB5, "Gm", true},  {0xBB, ">>", false},
    {0xD7, ".x", true},  {0xD8, "0/", false}, {0xDF, "Gb", true},  {0xF7, ":-", false},
}};

// The table row of a character code; nullptr for the 216 codes without a mnemonic.
const CharTranslation* TranslationOfCode(unsigned char code);

// The character code a mnemonic pair stands for; 0 when the pair is no mnemonic.
unsigned char CodeOfMnemonic(char first, char second);

// The code as exactly three decimal digits, "000" to "255".
std::string DecimalCode(unsigned char code);

// True when the three characters at `at` are decimal digits; stores their value modulo 256.
bool ReadDecimalCode(std::string_view text, std::size_t at, unsigned char& code);

}  // namespace vaddex
