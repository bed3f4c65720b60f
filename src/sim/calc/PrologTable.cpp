#include "sim/calc/PrologTable.h"

#include <array>

namespace zqsim {

namespace {

constexpr std::array<PrologRow, kAllRows> kRows = {{
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
    {0x02660, "InfP Complex", SizeRule::FourLengths, 0},
    {0x0263A, "InfP Real", SizeRule::TwoLengths, 0},
    {0x02686, "Matrix", SizeRule::Composite, 0},
    {0x026FE, "Mini Font", SizeRule::Fixed, 5},
}};

}  // namespace

const PrologRow* FindPrologRow(std::uint32_t prolog, int rowCount) {
    for (int i = 0; i < rowCount && i < kAllRows; ++i) {
        if (kRows[i].prolog == prolog) {
            return &kRows[i];
        }
    }
    return nullptr;
}

std::string PrologTypeName(std::uint32_t prolog) {
    const PrologRow* row = FindPrologRow(prolog);
    return row ? row->typeName : "";
}

}  // namespace zqsim
