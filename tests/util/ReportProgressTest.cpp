#include <gtest/gtest.h>

#include "link/ReportProgress.h"
#include "util/Ticks.h"

namespace vaddex {
namespace {

TEST(ProgressText, ByteFormBelowTenKilobytesPerSecond) {
    // 2048 of 5000 bytes after 999 ms.
    EXPECT_EQ(ProgressText(2048, 5000, 1000, 1999), "2048/5000 bytes\r\n(40%)\r\n2048 bytes/s");
    // The start of a transfer.
    EXPECT_EQ(ProgressText(0, 300, 1000, 1000), "0/300 bytes\r\n(0%)\r\n0 bytes/s");
}

TEST(ProgressText, KilobyteFormFollowsTheRateAndCountsFromDoneMinusOne) {
    // 200000 of 300000 bytes after 10000 ms: 19998 bytes/s.
    EXPECT_EQ(ProgressText(200000, 300000, 5000, 15000), "195/292 Kbytes\r\n(66%)\r\n19 Kbytes/s");
    // A fast small transfer still uses kilobytes: the rate decides, not the size.
    EXPECT_EQ(ProgressText(3000, 3000, 100, 199), "2/2 Kbytes\r\n(99%)\r\n29 Kbytes/s");
}

TEST(ProgressText, MultiMegabyteTransfersDoNotOverflow) {
    // 6 MiB after 10 minutes of a ROM download: done * 1000 passes 32 bits.
    std::int64_t done = 6 * 1024 * 1024;
    EXPECT_EQ(ProgressText(done, 8 * 1024 * 1024, 0, 600000 - 1),
              "6144/8192 Kbytes\r\n(74%)\r\n10 Kbytes/s");
    std::int64_t big = 3000000000LL;
    EXPECT_EQ(ProgressText(big, big, 0, 999999),
              "2929687/2929687 Kbytes\r\n(99%)\r\n2929 Kbytes/s");
}

TEST(ReportProgress, SendsAKindTwoReportAndNothingForAnEmptyTotal) {
    int calls = 0;
    std::string text;
    int kind = -1;
    std::int64_t position = -1;
    std::int64_t maximum = -1;
    ReportFn report = [&](const std::string& t, int k, std::int64_t p, std::int64_t m,
                          std::int64_t) {
        ++calls;
        text = t;
        kind = k;
        position = p;
        maximum = m;
    };
    ReportProgress(10, 0, TickMs(), report);
    ReportProgress(10, -5, TickMs(), report);
    EXPECT_EQ(calls, 0);
    ReportProgress(128, 1024, TickMs() - 100000, report);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(kind, kReportProgress);
    EXPECT_EQ(position, 128);
    EXPECT_EQ(maximum, 1024);
    EXPECT_NE(text.find("/1024 bytes\r\n(12%)\r\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace vaddex
