#include "cli/ProgressBar.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace vaddex::cli {
namespace {

TEST(ProgressFigures, BytesPercentageAndTheRateSinceTheStart) {
    // 4000 bytes in the 2000 ms since the transfer began.
    EXPECT_EQ(ProgressBar::Figures(4000, 8000, 500, 2500), "4000/8000 bytes (50%) 2000 bytes/s");
    EXPECT_EQ(ProgressBar::Figures(10, 100, 500, 500), "10/100 bytes (10%)");
    EXPECT_EQ(ProgressBar::Figures(5, 0, 0, 0), "5/0 bytes (0%)");
}

TEST(ProgressFigures, BarIsFilledByTheShare) {
    EXPECT_EQ(ProgressBar::Bar(0, 100, 4), "[----]");
    EXPECT_EQ(ProgressBar::Bar(50, 100, 4), "[##--]");
    EXPECT_EQ(ProgressBar::Bar(300, 100, 4), "[####]");
    EXPECT_EQ(ProgressBar::Bar(1, 0, 4), "[----]");
}

struct FakeClock {
    std::int64_t now = 1000;
    ProgressBar::Clock Get() {
        return [this] { return now; };
    }
};

TEST(ProgressOutput, WithoutTerminalALineAtMostEverySecond) {
    std::ostringstream out;
    FakeClock clock;
    ProgressBar bar(out, false, 80, clock.Get());
    bar.Begin("Copying /home/u/BIG.zq");
    bar.Update("0/9000 bytes\r\n(0%)\r\n0 bytes/s", 0, 9000);
    clock.now += 400;
    bar.Update("1024/9000 bytes\r\n(11%)\r\n2560 bytes/s", 1024, 9000);
    EXPECT_EQ(out.str(), "");  // a short transfer leaves no line
    clock.now += 700;
    bar.Update("2048/9000 bytes\r\n(22%)\r\n1861 bytes/s", 2048, 9000);
    clock.now += 500;
    bar.Update("3072/9000 bytes\r\n(34%)\r\n1920 bytes/s", 3072, 9000);
    EXPECT_EQ(out.str(), "Copying BIG.zq: 2048/9000 bytes (22%) 1861 bytes/s\n");
    bar.End();  // the last state follows when it was not written yet
    EXPECT_EQ(out.str(),
              "Copying BIG.zq: 2048/9000 bytes (22%) 1861 bytes/s\n"
              "Copying BIG.zq: 3072/9000 bytes (34%) 1920 bytes/s\n");
}

TEST(ProgressOutput, OneUnitAndTheWholeTransfersRateOnAFastLink) {
    std::ostringstream out;
    FakeClock clock;
    ProgressBar bar(out, false, 80, clock.Get());
    bar.Begin("Copying $$$t");  // the program's own exchange: no bar
    clock.now += 2000;
    bar.Update("", 10, 20);
    bar.End();
    EXPECT_EQ(out.str(), "");
    bar.Begin("Copying BIG");
    clock.now += 1500;
    bar.Update("300/400 Kbytes\r\n(74%)\r\n400 Kbytes/s", 307200, 409600);
    EXPECT_EQ(out.str(), "Copying BIG: 307200/409600 bytes (75%) 204800 bytes/s\n");
}

TEST(ProgressOutput, OnTerminalTheLineIsRedrawnAndRemoved) {
    std::ostringstream out;
    FakeClock clock;
    ProgressBar bar(out, true, 80, clock.Get());
    bar.Begin("Copying X");
    bar.Update("", 50, 100);
    bar.Message("Switching to checksum");
    bar.Update("", 100, 100);
    bar.End();
    std::string shown = out.str();
    std::string first = "\rCopying X [############------------] 50/100 bytes (50%)";
    EXPECT_EQ(shown.find(first), 0u);
    EXPECT_NE(shown.find("\rSwitching to checksum\n"), std::string::npos);
    EXPECT_NE(shown.find("\rCopying X [########################] 100/100 bytes (100%)"),
              std::string::npos);
    // Nothing of the bar stays: the last character written returns to the line's start.
    EXPECT_EQ(shown.back(), '\r');
    EXPECT_EQ(shown.find('\n', shown.find("checksum\n") + 9), std::string::npos);
}

// Reports come before each block, so the last one falls short of the total.
TEST(ProgressOutput, ATransferThatWorkedEndsAtAHundredPercent) {
    for (bool terminal : {false, true}) {
        std::ostringstream out;
        FakeClock clock;
        ProgressBar bar(out, terminal, 80, clock.Get());
        bar.Begin("Copying BIG");
        clock.now += 1500;
        bar.Update("", 8192, 9000);
        clock.now += 300;
        bar.Worked();
        bar.End();
        std::string last = terminal ? "\rCopying BIG [########################] 9000/9000 bytes "
                                      "(100%) 5000 bytes/s\n"
                                    : "Copying BIG: 9000/9000 bytes (100%) 5000 bytes/s\n";
        ASSERT_GE(out.str().size(), last.size()) << terminal;
        EXPECT_EQ(out.str().substr(out.str().size() - last.size()), last) << terminal;
    }
}

TEST(ProgressOutput, RetriedBlocksAreCountedOnTheLineNotPrintedEach) {
    std::ostringstream out;
    FakeClock clock;
    ProgressBar bar(out, false, 80, clock.Get());
    bar.Begin("Copying BIG");
    bar.Update("", 1024, 4096);
    for (int i = 0; i < 3; ++i) {
        bar.Retried();
    }
    clock.now += 1000;
    bar.Update("", 2048, 4096);
    EXPECT_EQ(out.str(), "Copying BIG: 2048/4096 bytes (50%) 2048 bytes/s (3 retries)\n");
    bar.End();
    bar.Begin("Copying BIG");
    bar.Retried();
    clock.now += 1000;
    bar.Update("", 1024, 4096);
    EXPECT_NE(out.str().find("(1 retry)\n"), std::string::npos) << "a new transfer counts anew";
}

TEST(ProgressOutput, ReportsOutsideATransferAreIgnored) {
    std::ostringstream out;
    FakeClock clock;
    ProgressBar bar(out, false, 80, clock.Get());
    bar.Update("1/2 bytes", 1, 2);
    bar.End();
    EXPECT_EQ(out.str(), "");
}

TEST(ProgressOutput, CalculatorLineEndsBecomeLineFeeds) {
    EXPECT_EQ(ConsoleText("a\r\nb\n\r\n\rc\r\n"), "a\nb\n\nc");
}

}  // namespace
}  // namespace vaddex::cli
