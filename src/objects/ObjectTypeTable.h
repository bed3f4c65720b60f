#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vaddex {

// How the length of an object of one type is found, counted in nibbles from its prolog.
enum class SizeRule {
    Fixed,             // a constant number of nibbles
    LengthField,       // a five-nibble length after the prolog that counts itself
    TwoLengthFields,   // two length-field bodies one after the other
    FourLengthFields,  // two such pairs
    Name,              // a two-nibble character count and two nibbles per character
    Composite,         // objects up to and including a Semi
    Tagged,            // a name, then one object
    Directory,         // entries; ends where the last entry's object ends
};

struct ObjectType {
    std::uint32_t prolog;
    std::string_view typeName;
    SizeRule rule;
    int nibbles;  // the size for SizeRule::Fixed, else 0
};

inline constexpr int kObjectTypeCount = 36;
// Rows 0..28 are known to both series; the rest only to the second (K8) series.
inline constexpr int kFirstSeriesTypeCount = 29;

inline constexpr int kStringTypeIndex = 8;
inline constexpr int kDirectoryTypeIndex = 25;
inline constexpr int kAlgebraicTypeIndex = 26;

inline constexpr std::uint32_t kStringProlog = 0x02A2C;
inline constexpr std::uint32_t kSemiProlog = 0x0312B;

// The row number is the type index used throughout the program; the order is fixed.
inline constexpr std::array<ObjectType, kObjectTypeCount> ObjectTypeTable{{
    {0x02BAA, "Access Pointer", SizeRule::Fixed, 15},
    {0x029E8, "Array", SizeRule::LengthField, 0},
    {0x02B62, "Backup", SizeRule::LengthField, 0},
    {0x02911, "Binary Integer", SizeRule::Fixed, 10},
    {0x029BF, "Character", SizeRule::Fixed, 7},
    {0x02977, "Complex", SizeRule::Fixed, 37},
    {0x02DCC, "Code", SizeRule::LengthField, 0},
    {0x02D9D, "RPL", SizeRule::Composite, 0},
    {0x02A2C, "String", SizeRule::LengthField, 0},
    {0x0299D, "Long Complex", SizeRule::Fixed, 47},
    {0x02955, "Long Real", SizeRule::Fixed, 26},
    {0x02ADA, "Unit", SizeRule::Composite, 0},
    {0x02B88, "Library Data Object", SizeRule::LengthField, 0},
    {0x02BCC, "Font", SizeRule::LengthField, 0},
    {0x02BEE, "Ext3", SizeRule::LengthField, 0},
    {0x02C10, "Ext4", SizeRule::LengthField, 0},
    {0x02B1E, "Graphical Object", SizeRule::LengthField, 0},
    {0x02A4E, "Hex String", SizeRule::LengthField, 0},
    {0x02E48, "Global", SizeRule::Name, 0},
    {0x02E6D, "Local", SizeRule::Name, 0},
    {0x02B40, "Library", SizeRule::LengthField, 0},
    {0x02A74, "List", SizeRule::Composite, 0},
    {0x02A0A, "Linked Array", SizeRule::LengthField, 0},
    {0x02933, "Real", SizeRule::Fixed, 21},
    {0x02E92, "XLib", SizeRule::Fixed, 11},
    {0x02A96, "Directory", SizeRule::Directory, 0},
    {0x02AB8, "Algebraic", SizeRule::Composite, 0},
    {0x02AFC, "Tagged", SizeRule::Tagged, 0},
    {0x0312B, "Semi", SizeRule::Fixed, 5},
    {0x026D5, "Aplet", SizeRule::Fixed, 5},
    {0x026AC, "Flash Pointer", SizeRule::Fixed, 12},
    {0x02614, "Integer", SizeRule::LengthField, 0},
    {0x02660, "InfP Complex", SizeRule::FourLengthFields, 0},
    {0x0263A, "InfP Real", SizeRule::TwoLengthFields, 0},
    {0x02686, "Matrix", SizeRule::Composite, 0},
    {0x026FE, "Mini Font", SizeRule::Fixed, 5},
}};

struct TypeName {
    std::string name;          // empty when the prolog is unknown
    std::optional<int> index;  // the row, when found
};

// The type of a prolog, searched over all 36 rows, first match in row order.
TypeName TypeNameOf(std::uint32_t prolog);

// The first row among the first `rowCount` whose prolog matches, or -1.
int FindObjectType(std::uint32_t prolog, int rowCount);

// The number of rows in use for a series, given the sixth byte of a binary file header.
int ObjectTypeCountForSeries(char seriesDigit);

}  // namespace vaddex
