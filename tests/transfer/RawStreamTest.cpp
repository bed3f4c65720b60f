#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "transfer/TSRX.h"
#include "transfer/TSTX.h"
#include "transfer/TransferHarness.h"
#include "util/FileIo.h"

namespace vaddex::test {
namespace {

const std::string kEsc(1, 0x1B);
const std::string kReadError = "ShowMessage(Read Error|Cannot read Calculator screen.)";

using ScreenTest = PtyLinkTest;

TEST_F(ScreenTest, EscFirstByteReadsExactly1080ImageBytes) {
    std::string image = Pattern(1080, 20);
    PeerScript calculator([&] { peer_.Write(image + "trailing"); });
    TSRX rx(link_, kEsc, log_.Callback());
    RunLikeSession(ui_, rx, log_, 20000);
    EXPECT_TRUE(rx.Success());
    EXPECT_EQ(rx.ScreenData(), kEsc + image);
    EXPECT_TRUE(traces_.Contains("Screen capture, first = 0x1B"));
    auto progress = log_.Progress();
    ASSERT_EQ(progress.size(), 2u);
    EXPECT_EQ(progress[0].position, 10);
    EXPECT_EQ(progress[1].position, 90);
    EXPECT_EQ(progress[1].maximum, 100);
    ExpectWellFormed(log_);
}

struct HeaderRow {
    const char* name;
    std::string header;        // h1 to h5 as the calculator sends them
    std::string storedHeader;  // as kept in the screen data
    std::size_t imageSize;
};

// Names the row in test listings instead of a byte dump.
void PrintTo(const HeaderRow& row, std::ostream* os) {
    *os << row.name;
}

class ScreenHeaderTest : public PtyLinkTest, public ::testing::WithParamInterface<HeaderRow> {};

TEST_P(ScreenHeaderTest, HeaderDecidesStoredHeaderAndImageSize) {
    const HeaderRow& row = GetParam();
    std::string image = Pattern(row.imageSize, 21);
    PeerScript calculator([&] { peer_.Write(row.header + image); });
    TSRX rx(link_, "x", log_.Callback());
    RunLikeSession(ui_, rx, log_, 20000);
    EXPECT_TRUE(rx.Success());
    EXPECT_EQ(rx.ScreenData(), "x" + row.storedHeader + image);
    EXPECT_EQ(ui_.Count(kReadError), 0);
    ExpectWellFormed(log_);
}

INSTANTIATE_TEST_SUITE_P(
    Screen, ScreenHeaderTest,
    ::testing::Values(
        // "W" and "G" get the fixed insert and 1084 bytes, whatever h2 to h5 say.
        HeaderRow{"W", std::string("W\x09\x01\x01\x01", 5),
                  std::string("W\x00\x01\x40\x83\x09\x01\x01\x01", 9), 1084},
        HeaderRow{"G", std::string("G\xFF\xFF\xFF\xFF", 5),
                  std::string("G\x00\x01\x40\x83\xFF\xFF\xFF\xFF", 9), 1084},
        // Other headers are kept as they came; 64 x 2 x 17 is the largest screen accepted.
        HeaderRow{"OtherAtTheLimit", std::string("B\x00\x40\x02\x83", 5),
                  std::string("B\x00\x40\x02\x83", 5), 2176},
        HeaderRow{"OtherSmall", std::string("B\x00\x08\x02\x09", 5),
                  std::string("B\x00\x08\x02\x09", 5), 32}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScreenTest, SizeOver2176IsRefusedWithTheReadErrorBox) {
    PeerScript calculator([&] { peer_.Write(std::string("B\x00\x40\x02\x89", 5)); });
    TSRX rx(link_, "x", log_.Callback());
    RunLikeSession(ui_, rx, log_, 20000);
    EXPECT_FALSE(rx.Success());
    EXPECT_EQ(rx.ScreenData(), "");
    EXPECT_EQ(ui_.Count(kReadError), 1);
    EXPECT_EQ(ui_.CallsOffUiThread(), 0);
    EXPECT_EQ(log_.Count(kReportProgress), 0);  // no image was read
    // The first kind-3 report closes the progress window before the box is shown.
    ExpectWellFormed(log_, 2);
}

TEST_F(ScreenTest, ShortImageIsPaddedWithZeros) {
    std::string part = Pattern(500, 22);
    PeerScript calculator([&] { peer_.Write(part); });
    TSRX rx(link_, kEsc, log_.Callback());
    RunLikeSession(ui_, rx, log_, 20000);
    EXPECT_TRUE(rx.Success());
    EXPECT_EQ(rx.ScreenData(), kEsc + part + std::string(580, '\0'));
    ExpectWellFormed(log_);
}

TEST_F(ScreenTest, HeaderThatNeverArrivesInFullIsAReadError) {
    PeerScript calculator([&] { peer_.Write("B\x00", 2); });
    TSRX rx(link_, "x", log_.Callback());
    RunLikeSession(ui_, rx, log_, 20000);
    EXPECT_FALSE(rx.Success());
    EXPECT_EQ(rx.ScreenData(), "");
    EXPECT_EQ(ui_.Count(kReadError), 1);
    ExpectWellFormed(log_, 2);
}

using RomTest = PtyLinkTest;

TEST_F(RomTest, FileGoesAfterItsSizeInPiecesOf2048) {
    std::string content = Pattern(5000, 23);
    std::string path = dir_.File("rom.bin");
    ASSERT_TRUE(WriteWholeFile(path, content));
    std::string stream;
    PeerScript calculator([&] {
        stream = peer_.Read(5004, 5000);
        stream += peer_.Read(1, 200);  // nothing may follow
    });
    TSTX tx(link_, path, log_.Callback());
    RunLikeSession(ui_, tx, log_, 20000);
    calculator.Join();
    EXPECT_TRUE(tx.Success());
    ASSERT_EQ(stream.size(), 5004u);
    EXPECT_EQ(stream.substr(0, 4), std::string("\x88\x13\x00\x00", 4));
    EXPECT_EQ(stream.substr(4), content);
    // Progress at piece boundaries, coalesced, from the start to the whole stream.
    std::vector<std::int64_t> positions;
    for (const auto& report : log_.Progress()) {
        positions.push_back(report.position);
        EXPECT_EQ(report.maximum, 5004);
        EXPECT_TRUE(report.position % 2048 == 0 || report.position == 5004) << report.position;
    }
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.front(), 0);
    EXPECT_EQ(positions.back(), 5004);
    EXPECT_EQ(log_.CountText(kReportStatus, "Connecting ..."), 1);
    EXPECT_FALSE(link_.IsOpen());
    ExpectWellFormed(log_);
}

TEST_F(RomTest, MissingFileSendsNothingAndClosesThePort) {
    std::string heard = "unset";
    TSTX tx(link_, dir_.File("missing.bin"), log_.Callback());
    RunLikeSession(ui_, tx, log_, 20000);
    heard = peer_.Read(1, 300);
    EXPECT_EQ(heard, "");
    EXPECT_FALSE(tx.Success());
    EXPECT_FALSE(link_.IsOpen());
    EXPECT_EQ(link_.SendFile(), -1);
    ExpectWellFormed(log_);
}

TEST_F(RomTest, PulledCableIsAFailureNotADownload) {
    std::string path = dir_.File("rom.bin");
    ASSERT_TRUE(WriteWholeFile(path, Pattern(100000, 24)));
    peer_.Close();
    TSTX tx(link_, path, log_.Callback());
    RunLikeSession(ui_, tx, log_, 20000);
    EXPECT_FALSE(tx.Success());
    EXPECT_FALSE(link_.IsOpen());
    EXPECT_EQ(ui_.Count("SetConnected(false)"), 1);
    ExpectWellFormed(log_);
}

}  // namespace
}  // namespace vaddex::test
