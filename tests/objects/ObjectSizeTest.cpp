#include <gtest/gtest.h>

#include "objects/ObjectBuilder.h"
#include "objects/ObjectSize.h"
#include "objects/ObjectTypeTable.h"

namespace vaddex {
namespace {

using test::Field;
using test::ObjectFile;

// Padding as the last transfer block leaves it; read as objects it would mislead the walk.
const std::string kPadding(40, '\x1A');

// The size in bytes a file holding `object` must be cut to.
std::size_t CutSize(const std::string& object) {
    return 8 + (object.size() + 1) / 2;
}

void ExpectMeasured(const std::string& object, std::string_view series = "K8") {
    std::string file = ObjectFile(object, kPadding, series);
    ObjectSizeResult result = ObjectSize(file);
    ASSERT_TRUE(result.success) << result.message;
    EXPECT_EQ(file.size(), CutSize(object));
    EXPECT_EQ(result.odd, object.size() % 2 == 1);
}

void ExpectDamaged(const std::string& file) {
    std::string copy = file;
    ObjectSizeResult result = ObjectSize(copy);
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.message, kObjectPastEndText);
    EXPECT_EQ(copy, file);
}

TEST(ObjectTypes, TypeNameOfFindsRowsAndLeavesUnknownPrologsNameless) {
    EXPECT_EQ(ObjectTypeTable.size(), 36u);
    TypeName dir = TypeNameOf(0x2A96);
    EXPECT_EQ(dir.name, "Directory");
    EXPECT_EQ(dir.index, 25);
    EXPECT_EQ(TypeNameOf(0x26FE).index, 35);
    TypeName unknown = TypeNameOf(0x1234);
    EXPECT_EQ(unknown.name, "");
    EXPECT_FALSE(unknown.index.has_value());
    // Second-series rows are hidden from a first-series walk only.
    EXPECT_EQ(FindObjectType(0x02614, kFirstSeriesTypeCount), -1);
    EXPECT_EQ(FindObjectType(0x02614, kObjectTypeCount), 31);
}

TEST(ObjectSizeCut, RealIsCutToNineteenBytesWithTheUnusedHalfCleared) {
    std::string file = ObjectFile(test::Real(0xFFFFFFFF), kPadding);
    file[18] = '\xFF';  // the half-byte after the object, as padding may leave it
    ObjectSizeResult result = ObjectSize(file);
    ASSERT_TRUE(result.success);
    EXPECT_TRUE(result.odd);
    ASSERT_EQ(file.size(), 19u);
    EXPECT_EQ(static_cast<unsigned char>(file[18]) >> 4, 0);
    EXPECT_EQ(static_cast<unsigned char>(file[18]) & 0x0F, 0x0F);
}

TEST(ObjectSizeCut, ThreeCharacterStringEndsOnAByteBoundary) {
    std::string file = ObjectFile(test::String("abc"), kPadding);
    ObjectSizeResult result = ObjectSize(file);
    ASSERT_TRUE(result.success);
    EXPECT_FALSE(result.odd);
    EXPECT_EQ(file.size(), 16u);
}

TEST(ObjectSizeCut, SecondSeriesPrologIsFiveNibblesOnTheFirstSeries) {
    std::string integer = Field(0x02614, 5) + Field(9, 5) + Field(0x7, 4);
    ExpectMeasured(integer, "K8");
    std::string file = ObjectFile(integer, kPadding, "K7");
    ASSERT_TRUE(ObjectSize(file).success);
    EXPECT_EQ(file.size(), 8u + 3u);
}

TEST(ObjectSizeRules, CompositesNestAndEndAtTheirOwnSemi) {
    ExpectMeasured(test::List({}));
    ExpectMeasured(test::List({test::List({test::Real()}), test::Real(), test::List({})}));
    // A program holding an algebraic and a unit.
    ExpectMeasured(test::Composite(
        0x02D9D, {test::Composite(0x02AB8, {test::Real()}), test::Composite(0x02ADA, {})}));
}

TEST(ObjectSizeRules, DirectoryEndsWithItsLastEntrysObject) {
    std::string inner = test::Directory({{"X", test::Real()}, {"LST", test::List({})}});
    ExpectMeasured(test::Directory({{"A", test::Real()}, {"BC", test::String("hi")}}));
    ExpectMeasured(test::Directory({{"A", test::String("s")}, {"SUB", inner}}));
    ExpectMeasured(test::List({inner, test::Real()}));
}

TEST(ObjectSizeRules, EmptyDirectoryEndsAfterItsOffsetField) {
    std::string empty = test::Directory({});
    ASSERT_EQ(empty.size(), 13u);
    ExpectMeasured(empty);
    ExpectMeasured(test::List({empty, test::Real()}));
    ExpectMeasured(test::Directory({{"E", empty}}));
}

TEST(ObjectSizeRules, NamesAndTaggedObjects) {
    ExpectMeasured(test::Named(0x02E48, "XYZ"));
    ExpectMeasured(test::Tagged("lbl", test::Real()));
    ExpectMeasured(test::Tagged("t", test::List({test::Tagged("", test::String("x"))})));
    // A nameless global is the whole data: its count must be read without running past it.
    std::string global = test::Named(0x02E6D, "");
    std::string file = ObjectFile(global);
    ASSERT_TRUE(ObjectSize(file).success);
    EXPECT_EQ(file.size(), 12u);
}

TEST(ObjectSizeRules, TwoAndFourLengthFields) {
    std::string body1 = Field(8, 5) + Field(0xABC, 3);
    std::string body2 = Field(6, 5) + Field(0x1, 1);
    ExpectMeasured(Field(0x0263A, 5) + body1 + body2);
    ExpectMeasured(Field(0x02660, 5) + body1 + body2 + body2 + body1);
    // Unknown to the first series: 5 nibbles.
    std::string file = ObjectFile(Field(0x0263A, 5) + body1 + body2, kPadding, "K7");
    ASSERT_TRUE(ObjectSize(file).success);
    EXPECT_EQ(file.size(), 11u);
}

TEST(ObjectSizeDamaged, LengthFieldsPointingPastTheDataFail) {
    ExpectDamaged(ObjectFile(Field(0x02A2C, 5) + Field(0xFFFFF, 5)));
    ExpectDamaged(ObjectFile(Field(0x0263A, 5) + Field(10, 5) + Field(0, 5) + Field(0xFFFF, 5)));
    ExpectDamaged(ObjectFile(Field(0x02A96, 5) + Field(0, 3) + Field(0xFFFF0, 5)));
    ExpectDamaged(ObjectFile(test::Tagged("", "") + Field(0x02AFC, 5) + Field(0xFF, 2)));
    ExpectDamaged(ObjectFile(Field(0x02E48, 5) + Field(200, 2) + test::Chars("abc")));
}

TEST(ObjectSizeDamaged, TruncatedObjectsFail) {
    for (std::size_t bytes = 0; bytes < 11; ++bytes) {
        ExpectDamaged(std::string("ZQZQK8-C\x33\x29\x00", 11).substr(0, bytes));
    }
    std::string list = test::List({test::Real(), test::String("abcdef")});
    std::string file = ObjectFile(list);
    for (std::size_t bytes = 8; bytes < file.size(); ++bytes) {
        ExpectDamaged(file.substr(0, bytes));
    }
}

TEST(ObjectSizeDamaged, DeepNestingNeedsNoCallStack) {
    const int depth = 300000;
    std::string open;
    for (int i = 0; i < depth; ++i) {
        open += Field(0x02A74, 5);
    }
    std::string closed = open;
    for (int i = 0; i < depth; ++i) {
        closed += Field(0x0312B, 5);
    }
    ExpectDamaged(ObjectFile(open));
    ExpectMeasured(closed);
}

std::int64_t gFakeNow = 0;
std::int64_t SteppingClock() {
    return ++gFakeNow;  // a millisecond passes at every look at the clock
}

TEST(ObjectSizeTimeLimit, TimesOutAndLeavesThePaddingInPlace) {
    std::vector<std::string> reals(5000, test::Real());
    const std::string file = ObjectFile(test::List(reals), kPadding);

    std::string copy = file;
    ObjectSizeResult late = ObjectSize(copy, TickMs() - kMeasureTimeLimitMs - 1);
    EXPECT_FALSE(late.success);
    EXPECT_EQ(late.message, kDecompTimeOutText);
    EXPECT_EQ(copy, file);

    gFakeNow = 0;
    ObjectSizeResult slow = ObjectSize(copy, 0, &SteppingClock);
    EXPECT_EQ(slow.message, kDecompTimeOutText);
    EXPECT_EQ(copy, file);
    EXPECT_GT(gFakeNow, kMeasureTimeLimitMs);

    std::string small = ObjectFile(test::List(std::vector<std::string>(2000, test::Real())));
    gFakeNow = 0;
    EXPECT_TRUE(ObjectSize(small, 0, &SteppingClock).success);
}

TEST(MeasureObjectStep, AdvancesFromAnyPrologAndCountsObjects) {
    std::string data = PackNibbles(Field(0, 3) + test::List({test::Real(), test::Real()}));
    std::size_t position = 3;
    MeasureResult result = MeasureObject(data, position, MeasureLimits{36, TickMs(), &TickMs});
    ASSERT_TRUE(result.success);
    EXPECT_EQ(position, 3u + 5 + 42 + 5);
    EXPECT_EQ(result.objectCount, 3u);
}

}  // namespace
}  // namespace vaddex
