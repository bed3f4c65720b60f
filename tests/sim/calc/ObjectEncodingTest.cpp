// Objects in the nibble format: what the walker measures, what memory keeps exactly, and
// what the listing says.
#include <gtest/gtest.h>

#include "SimTestHelpers.h"
#include "objects/ObjectSize.h"
#include "sim/calc/ObjectWalker.h"
#include "sim/calc/RplParser.h"

namespace zqsim::test {
namespace {

std::string Nibbles(const std::string& literal) {
    return EncodeObject(*ParseCommandLine(CalcBytes(literal), '.').at(0));
}

std::string Field(std::uint32_t value, int count) {
    std::string out;
    AppendField(out, value, count);
    return out;
}

TEST(ObjectEncoding, SizesFollowTheTypeRules) {
    const std::pair<const char*, std::size_t> rows[] = {
        {"1.5", 21},
        {"\"abc\"", 16},
        {"#26067h", 10},
        {"'AB'", 11},  // after the Quote of a body: the name alone below
        {"{ }", 10},
        {"{ { 1 } 2 }", 5 + 5 + 21 + 5 + 21 + 5},
        {"« DUP * »", 5 + 5 + 5 + 5},
        {"'X+1'", 5 + 9 + 21 + 5 + 5},
        {":IO:BACKUP", 5 + 2 + 4 + 5 + 2 + 12},
    };
    for (const auto& [literal, size] : rows) {
        std::vector<ObjPtr> items = ParseCommandLine(CalcBytes(literal), '.');
        std::string nibbles = EncodeObject(*items.back());
        EXPECT_EQ(nibbles.size(), size) << literal;
        EXPECT_EQ(MeasureObjectAt(nibbles + std::string(7, '\0'), 0), size) << literal;
    }
}

TEST(ObjectEncoding, RealIsBcdWithExponentMantissaAndSign) {
    std::string n = Nibbles("-12.5");
    EXPECT_EQ(n.substr(0, 5), Field(0x02933, 5));
    EXPECT_EQ(n.substr(5, 3), std::string("\1\0\0", 3));  // exponent 1
    EXPECT_EQ(n.substr(8, 12), std::string("\0\0\0\0\0\0\0\0\0\5\2\1", 12));
    EXPECT_EQ(n[20], 9);
    EXPECT_EQ(Nibbles("1E-3").substr(5, 3), std::string("\x07\x09\x09", 3));  // 1000 - 3
}

TEST(ObjectEncoding, DirectoryLayoutLinksItsEntries) {
    SimCalculator calc(Personality::K8, EmptyOptions());
    calc.Execute("'D' CRDIR D 1 'A' STO 2 'BB' STO");
    std::string d = calc.Snapshot().at(0).nibbles;
    // prolog, 000, offset from p+8 to the last entry's name count.
    std::size_t first = 13;  // first entry's link
    std::size_t second = first + 5 + 2 + 2 + 2 + 21;
    EXPECT_EQ(d.substr(0, 8), Field(0x02A96, 5) + std::string(3, '\0'));
    EXPECT_EQ(ReadField(d, 8, 5), second + 5 - 8);
    EXPECT_EQ(ReadField(d, first, 5), 0u);
    EXPECT_EQ(ReadField(d, second, 5), second - (first + 5));
    EXPECT_EQ(ReadField(d, second + 5, 2), 2u);
    EXPECT_EQ(d.size(), second + 5 + 2 + 4 + 2 + 21);
    EXPECT_EQ(MeasureObjectAt(d, 0), d.size());
    calc.Execute("HOME 'E' CRDIR");
    EXPECT_EQ(calc.Snapshot().at(0).nibbles.size(), kEmptyDirectorySize);
}

TEST(ObjectEncoding, FirstSeriesCountsLaterProlgsAsPointers) {
    std::string integer = Field(0x02614, 5) + Field(25, 5) + std::string(20, '\3');
    EXPECT_EQ(MeasureObjectAt(integer, 0, kAllRows), 30u);
    EXPECT_EQ(MeasureObjectAt(integer, 0, kFirstSeriesRows), 5u);
}

TEST(ObjectEncoding, DamagedObjectsAreRefusedNotReadPastTheEnd) {
    SimCalculator calc(Personality::K8, EmptyOptions());
    const std::string rows[] = {
        "",
        NibblesToBytes(Field(0x02A2C, 5) + Field(99, 5)),  // string longer than data
        NibblesToBytes(Field(0x02A74, 5) + Nibbles("1")),  // list without its Semi
        NibblesToBytes(Field(0x02A96, 5) + Field(0, 3) + Field(40, 5) + std::string(8, '\0')),
        NibblesToBytes(Field(0x02A2C, 5) + Field(2, 5) + "xx"),  // length below 5
    };
    for (const std::string& bytes : rows) {
        EXPECT_FALSE(calc.StoreObject("BAD", bytes));
    }
    EXPECT_TRUE(calc.Snapshot().empty());
}

TEST(ObjectEncoding, ReceivedObjectsAreKeptExactlyAndPaddingIsCut) {
    SimCalculator calc(Personality::K8, EmptyOptions());
    // A graphic (length field) the simulator does not decode, and a real with junk padding.
    std::string graphic =
        Field(0x02B1E, 5) + Field(15, 5) + std::string("\1\2\3\4\5\6\7\10\11\12", 10);
    ASSERT_TRUE(calc.StoreObject("G", NibblesToBytes(graphic) + std::string(40, '\x1A')));
    EXPECT_EQ(calc.FindObject("HOME G"), NibblesToBytes(graphic));
    std::string real = Nibbles("2.5");
    std::string padded = NibblesToBytes(real + "\xF") + std::string(9, '\xFF');
    ASSERT_TRUE(calc.StoreObject("R", padded));
    std::string file = *calc.RecallFile("R");
    EXPECT_EQ(file, calc.FileHeader() + NibblesToBytes(real));
    EXPECT_EQ(static_cast<unsigned char>(file.back()) >> 4, 0);  // odd end: high half 0
    auto listing = calc.Listing();
    EXPECT_EQ(listing, std::string("\x01R\x33\x29\x15\0\0\0\0", 9) +
                           std::string("\x01G\x1E\x2B\x14\0\0\0\0", 9) + std::string(1, '\0'));
}

TEST(ObjectEncoding, ListingNestsDirectoriesNewestFirst) {
    SimCalculator calc(Personality::K8, EmptyOptions());
    calc.Execute("1 'A' STO 'D' CRDIR D \"xy\" 'S' STO HOME 'E' CRDIR");
    std::string expected;
    expected += std::string(
                    "\x01"
                    "E\x96\x2A\x0D\0\0\0\0",
                    9) +
                std::string(1, '\0');
    std::size_t dSize = calc.Snapshot().at(1).nibbles.size();
    expected += std::string(
                    "\x01"
                    "D\x96\x2A",
                    4) +
                static_cast<char>(dSize) + std::string(4, '\0');
    expected += std::string(
                    "\x01"
                    "S\x2C\x2A\x0E\0\0\0\0",
                    9) +
                std::string(1, '\0');
    expected += std::string(
                    "\x01"
                    "A\x33\x29\x15\0\0\0\0",
                    9) +
                std::string(1, '\0');
    EXPECT_EQ(calc.Listing(), expected);
}

TEST(ObjectEncoding, ProgramsObjectSizeAgreesWithTheWalker) {
    SimCalculator calc(Personality::K8);  // the demo memory
    calc.Execute("1 'fLaG' STO");
    std::vector<std::string> files;
    for (const SimVariableInfo& info : calc.Snapshot()) {
        files.push_back(calc.FileHeader() + info.bytes);
    }
    ExecResult archive = calc.Execute(":IO:X ARCHIVE");
    ASSERT_TRUE(archive.transmit);
    files.push_back(*archive.transmit);
    for (const std::string& exact : files) {
        std::string received = exact + std::string(100, '\x1A');
        vaddex::ObjectSizeResult result = vaddex::ObjectSize(received);
        EXPECT_TRUE(result.success) << result.message;
        EXPECT_EQ(received, exact);
    }
    SimCalculator k7(Personality::K7);
    for (const SimVariableInfo& info : k7.Snapshot()) {
        std::string received = k7.FileHeader() + info.bytes + "padding";
        EXPECT_TRUE(vaddex::ObjectSize(received).success);
        EXPECT_EQ(received, k7.FileHeader() + info.bytes) << info.name;
    }
}

}  // namespace
}  // namespace zqsim::test
