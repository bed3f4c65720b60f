#include <gtest/gtest.h>

#include "transfer/TransferHarness.h"

#include <random>

#include "support/OneByteSum.h"

namespace vaddex::test {

ReportFn ReportLog::Callback() {
    return [this](const std::string& text, int kind, std::int64_t position, std::int64_t maximum,
                  std::int64_t spare) {
        reports_.push_back({text, kind, position, maximum, spare});
    };
}

bool ReportLog::Finished() const {
    return Count(kReportFinished) > 0;
}

int ReportLog::Count(int kind) const {
    int n = 0;
    for (const auto& report : reports_) {
        n += report.kind == kind ? 1 : 0;
    }
    return n;
}

int ReportLog::CountText(int kind, const std::string& text) const {
    int n = 0;
    for (const auto& report : reports_) {
        n += report.kind == kind && report.text == text ? 1 : 0;
    }
    return n;
}

std::vector<ReportRecord> ReportLog::Progress() const {
    std::vector<ReportRecord> progress;
    for (const auto& report : reports_) {
        if (report.kind == kReportProgress) {
            progress.push_back(report);
        }
    }
    return progress;
}

void RunLikeSession(TestLinkUi& ui, TransferThread& thread, const ReportLog& log,
                    std::int64_t timeoutMs, const std::function<bool()>& cancelWhen) {
    bool closed =
        ui.PumpUntil([&] { return log.Finished() || (cancelWhen && cancelWhen()); }, timeoutMs);
    EXPECT_TRUE(closed) << "the progress window was never closed";
    thread.RequestTerminate();
    thread.WaitFor();
    EXPECT_TRUE(thread.Finished());
}

void ExpectWellFormed(const ReportLog& log, int finishedReports) {
    const auto& all = log.All();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back().kind, kReportFinished) << "the finishing report is not the last";
    EXPECT_EQ(all.back().text, "");
    EXPECT_EQ(log.Count(kReportFinished), finishedReports);
    std::int64_t last = 0;
    for (const auto& report : log.Progress()) {
        EXPECT_GE(report.position, last) << "progress went back";
        last = report.position;
    }
}

std::string Pattern(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

std::string ChecksumBlock(unsigned number, const std::string& data) {
    return ChecksumBlock(number, data, static_cast<unsigned char>(255 - (number & 0xFF)));
}

std::string ChecksumBlock(unsigned number, const std::string& data, unsigned char complement) {
    std::string block(1, data.size() == 128 ? kTestSOH : kTestSTX);
    block += static_cast<char>(number & 0xFF);
    block += static_cast<char>(complement);
    block += data;
    block += OneByteSum(data);
    return block;
}

namespace {

// Both CRCs are reflected, start at 0 and have no final inversion; they differ in polynomial.
unsigned ReflectedCrc(const std::string& data, unsigned polynomial) {
    unsigned crc = 0;
    for (unsigned char c : data) {
        crc ^= c;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? (crc >> 1) ^ polynomial : crc >> 1;
        }
    }
    return crc;
}

}  // namespace

std::string KermitBlock(unsigned number, const std::string& data) {
    unsigned crc = ReflectedCrc(data, 0x8408);
    std::string block = ChecksumBlock(number, data);
    block.back() = static_cast<char>(crc >> 8);
    return block + static_cast<char>(crc & 0xFF);
}

std::string ArcBlock(unsigned number, const std::string& data) {
    unsigned crc = ReflectedCrc(data, 0xA001);
    std::string block = ChecksumBlock(number, data);
    block.back() = static_cast<char>(crc & 0xFF);
    return block + static_cast<char>(crc >> 8);
}

}  // namespace vaddex::test
