#pragma once

#include <cstdint>
#include <string>

namespace zqsim {

// Prologs of the objects the simulator builds and reads.
inline constexpr std::uint32_t kPrologReal = 0x02933;
inline constexpr std::uint32_t kPrologBinary = 0x02911;
inline constexpr std::uint32_t kPrologString = 0x02A2C;
inline constexpr std::uint32_t kPrologList = 0x02A74;
inline constexpr std::uint32_t kPrologProgram = 0x02D9D;
inline constexpr std::uint32_t kPrologAlgebraic = 0x02AB8;
inline constexpr std::uint32_t kPrologGlobal = 0x02E48;
inline constexpr std::uint32_t kPrologTagged = 0x02AFC;
inline constexpr std::uint32_t kPrologDirectory = 0x02A96;
inline constexpr std::uint32_t kPrologBackup = 0x02B62;
inline constexpr std::uint32_t kPrologLibrary = 0x02B40;
inline constexpr std::uint32_t kPrologGraphic = 0x02B1E;
inline constexpr std::uint32_t kPrologSemi = 0x0312B;

// How the length of an object of one type is found.
enum class SizeRule {
    Fixed,        // a constant number of nibbles
    LengthField,  // prolog, then a length field that counts itself
    TwoLengths,   // two length-field bodies one after the other
    FourLengths,  // two pairs of them
    Name,         // prolog, 2-nibble count, two nibbles per character
    Composite,    // objects up to the "Semi"
    Tagged,       // a name, then one object
    Directory,    // entries up to the last one, found through the offset field
};

struct PrologRow {
    std::uint32_t prolog;
    const char* typeName;
    SizeRule rule;
    int fixedSize;  // nibbles, for SizeRule::Fixed
};

// Rows a first-series calculator knows; the second series knows all of them.
inline constexpr int kFirstSeriesRows = 29;
inline constexpr int kAllRows = 36;

// The row of a prolog among the first `rowCount` rows; nullptr when it is not one of them.
const PrologRow* FindPrologRow(std::uint32_t prolog, int rowCount = kAllRows);

// The type name of a prolog ("" when unknown).
std::string PrologTypeName(std::uint32_t prolog);

}  // namespace zqsim
