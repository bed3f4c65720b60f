#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "link/CommLink.h"
#include "session/TXModemServer.h"
#include "session/TXPObject.h"
#include "support/ScriptedUiBridge.h"
#include "util/Errors.h"

namespace vaddex::test {
namespace {

// One listing entry: name length, name, prolog low 16 bits (low byte first), 5 size bytes.
std::string Entry(const std::string& name, unsigned prolog, unsigned nibbles) {
    std::string entry(1, static_cast<char>(name.size()));
    entry += name;
    entry += static_cast<char>(prolog & 0xFF);
    entry += static_cast<char>((prolog >> 8) & 0xFF);
    entry += static_cast<char>(nibbles & 0xFF);
    entry += static_cast<char>((nibbles >> 8) & 0xFF);
    entry += static_cast<char>((nibbles >> 16) & 0x0F);
    entry += std::string(2, '\0');
    return entry;
}

constexpr unsigned kReal = 0x2933;
constexpr unsigned kDirectory = 0x2A96;
constexpr unsigned kString = 0x2A2C;
const std::string kEnd(1, '\0');

// Parses without any link: the listing parser works on the data alone.
class ListingTest : public ::testing::Test {
protected:
    ListingTest() : ui(state), link(ui), session(link, ui) {
        root.Name = "HOME";
        root.TypeCode = kDirectoryTypeCode;
    }
    std::size_t Parse(const std::string& data) {
        std::size_t cursor = 1;
        session.ParseListing(root, data, cursor);
        return cursor;
    }
    // Every item depth first as "path|type code|type name|size".
    std::vector<std::string> Items() const {
        std::vector<std::string> out;
        Collect(root, out);
        return out;
    }
    static void Collect(const TXPObject& node, std::vector<std::string>& out) {
        for (const auto& child : node.Children) {
            out.push_back(child->GetPath() + "|" + std::to_string(child->TypeCode) + "|" +
                          child->TypeName + "|" + std::to_string(child->Size));
            Collect(*child, out);
        }
    }

    CalculatorState state;
    ScriptedUiBridge ui;
    CommLink link;
    TXModemServer session;
    TXPObject root;
};

TEST_F(ListingTest, OneRealGivesOneItemOfEightBytes) {
    std::string data("\x01\x41\x33\x29\x10\x00\x00\x00\x00\x00", 10);
    EXPECT_EQ(Parse(data), 11u);
    EXPECT_EQ(Items(), std::vector<std::string>{"HOME A|32|Real|8"});
    const TXPObject& item = *root.Children.at(0);
    EXPECT_EQ(item.Parent, &root);
    EXPECT_EQ(item.Server, &session);
    EXPECT_FALSE(item.IsDirectory());
}

TEST_F(ListingTest, DirectoriesNestInPlace) {
    std::string data = Entry("D", kDirectory, 40) + Entry("IN", kReal, 21) + kEnd +
                       Entry("E", kDirectory, 20) + kEnd + Entry("OUT", kString, 16) + kEnd;
    EXPECT_EQ(Parse(data), data.size() + 1);
    EXPECT_EQ(Items(),
              (std::vector<std::string>{"HOME D|34|Directory|20", "HOME D IN|32|Real|11",
                                        "HOME E|34|Directory|10", "HOME OUT|17|String|8"}));
}

TEST_F(ListingTest, SizeIsTwentyBitsOfNibblesRoundedUpToBytes) {
    std::string huge = Entry("H", kString, 0);
    huge.replace(4, 3, "\xFF\xFF\xFF");  // the high half of the third byte is not used
    Parse(Entry("ONE", kReal, 1) + Entry("NONE", kReal, 0) + huge);
    EXPECT_EQ(Items(), (std::vector<std::string>{"HOME ONE|32|Real|1", "HOME NONE|32|Real|0",
                                                 "HOME H|17|String|524288"}));
}

TEST_F(ListingTest, UnknownPrologIsNoDirectory) {
    // Even after a directory, whose row a careless parser would keep for the unknown entry.
    std::string data =
        Entry("D", kDirectory, 10) + kEnd + Entry("U", 0x1234, 10) + Entry("AFTER", kReal, 21);
    Parse(data);
    ASSERT_EQ(root.Children.size(), 3u);
    const TXPObject& unknown = *root.Children[1];
    EXPECT_EQ(unknown.TypeName, "");
    EXPECT_NE(unknown.TypeCode, kDirectoryTypeCode);
    EXPECT_TRUE(unknown.Children.empty());
    EXPECT_EQ(root.Children[2]->Name, "AFTER");
}

TEST_F(ListingTest, TruncatedListingStopsCleanly) {
    std::string whole = Entry("A", kReal, 21) + Entry("D", kDirectory, 30) + Entry("B", kReal, 21);
    struct Row {
        const char* fault;
        std::string data;
        std::vector<std::string> items;
    };
    for (const Row& row : {
             Row{"ends inside the size field",
                 whole.substr(0, whole.size() - 3),
                 {"HOME A|32|Real|11", "HOME D|34|Directory|15"}},
             Row{"ends inside a name",
                 whole + "\x05"
                         "AB",
                 {"HOME A|32|Real|11", "HOME D|34|Directory|15", "HOME D B|32|Real|11"}},
             Row{"name length past the end", std::string("\xFF", 1), {}},
             Row{"directory never closed",
                 whole,
                 {"HOME A|32|Real|11", "HOME D|34|Directory|15", "HOME D B|32|Real|11"}},
         }) {
        root.ClearChildren();
        EXPECT_EQ(Parse(row.data), row.data.size() + 1) << row.fault;
        EXPECT_EQ(Items(), row.items) << row.fault;
    }
}

TEST_F(ListingTest, NamesArriveInDisplayForm) {
    Parse(Entry("A\x8D"
                "B",
                kReal, 21) +
          Entry("C\\", kReal, 21));
    ASSERT_EQ(root.Children.size(), 2u);
    EXPECT_EQ(root.Children[0]->Name, "A\\->B");
    EXPECT_EQ(root.Children[1]->Name, "C\\\\");
}

TEST_F(ListingTest, RootSizeAddsItsShareToItsChildren) {
    Parse(Entry("A", kString, 20) + Entry("D", kDirectory, 40) + Entry("X", kString, 1000) + kEnd);
    ASSERT_EQ(root.Children.size(), 2u);
    EXPECT_EQ(root.GetSize(), 100 + 10 + 20) << "only direct children count";
    const TXPObject& inner = *root.Children[1]->Children.at(0);
    EXPECT_EQ(inner.GetPath(), "HOME D X");
    EXPECT_EQ(inner.GetSize(), 500);
}

TEST_F(ListingTest, CommandsWithoutAConnectionFailWithoutTouchingTheLink) {
    const std::string noDevice =
        "Error (No device connected. Check you are in Xmodem server (RShift RightArrow))";
    for (auto command : std::initializer_list<std::function<void()>>{
             [&] { session.Execute("1", false, true); },
             [&] { session.ReadDirectoryTree(root); },
             [&] { session.ChangeDir("HOME"); },
         }) {
        try {
            command();
            ADD_FAILURE() << "no error";
        } catch (const OperationError& e) {
            EXPECT_EQ(e.what(), noDevice);
        }
    }
    // FreeMemory makes no connection test of its own: the closed port fails its first write.
    EXPECT_THROW(session.FreeMemory(), ConnectionError);
}

TEST(ItemTest, PathOfAnItemUnderAnUnnamedParentIsItsName) {
    TXPObject parent;
    TXPObject& child = parent.AddChild(std::make_unique<TXPObject>("A", 32, 8, nullptr));
    EXPECT_EQ(child.Parent, &parent);
    EXPECT_EQ(child.GetPath(), "A");
}

}  // namespace
}  // namespace vaddex::test
