#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <string>

#include "support/WatchedSerialPort.h"
#include "transfer/TYModemRX.h"
#include "transfer/TransferHarness.h"
#include "util/Errors.h"
#include "util/FileIo.h"
#include "util/Ticks.h"

namespace vaddex::test {
namespace {

using ReceiverTest = PtyLinkTest;

TEST_F(ReceiverTest, EotAtOnceSucceedsWithNoData) {
    PeerScript calculator([&] {
        EXPECT_EQ(peer_.Read(1, 5000), kNak);  // the receiver asks for checksum mode
        peer_.Write(kEot);
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
    });
    TYModemRX rx(link_, dir_.File("x.zq"), 0, log_.Callback());
    RunLikeSession(ui_, rx, log_, 20000);
    EXPECT_TRUE(rx.Success());
    EXPECT_EQ(rx.ReceivedData(), "");
    ExpectWellFormed(log_);
    EXPECT_TRUE(traces_.Contains("TX Receive begins for " + dir_.File("x.zq")));
}

TEST_F(ReceiverTest, TwoLargeBlocksKeepThePaddingAndShowTheExpectedSize) {
    std::string data = Pattern(2048, 1);
    PeerScript calculator([&] {
        EXPECT_EQ(peer_.Read(1, 5000), kNak);
        for (unsigned n = 1; n <= 2; ++n) {
            peer_.Write(ChecksumBlock(n, data.substr((n - 1) * 1024, 1024)));
            EXPECT_EQ(peer_.Read(1, 5000), kAck) << "block " << n;
        }
        peer_.Write(kEot);
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
    });
    TYModemRX rx(link_, "", 1900, log_.Callback());
    RunLikeSession(ui_, rx, log_, 20000);
    EXPECT_TRUE(rx.Success());
    EXPECT_EQ(rx.ReceivedData(), data);
    ExpectWellFormed(log_);
    auto progress = log_.Progress();
    ASSERT_EQ(progress.size(), 2u);
    EXPECT_EQ(progress[0].position, 0);
    EXPECT_EQ(progress[1].position, 1024);
    EXPECT_EQ(progress[1].maximum, 1900);
}

TEST_F(ReceiverTest, Block256IsNumberedZero) {
    const unsigned blocks = 258;
    std::string data = Pattern(blocks * 128, 2);
    PeerScript calculator([&] {
        EXPECT_EQ(peer_.Read(1, 5000), kNak);
        for (unsigned n = 1; n <= blocks; ++n) {
            peer_.Write(ChecksumBlock(n, data.substr((n - 1) * 128, 128)));
            if (peer_.Read(1, 5000) != kAck) {
                ADD_FAILURE() << "block " << n << " refused";
                return;
            }
        }
        peer_.Write(kEot);
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
    });
    TYModemRX rx(link_, "", 0, log_.Callback());
    RunLikeSession(ui_, rx, log_, 60000);
    EXPECT_TRUE(rx.Success());
    EXPECT_EQ(rx.ReceivedData(), data);
    ExpectWellFormed(log_);
    // Without an expected size the maximum is what the block under way would bring. Reports
    // are coalesced, but the one of the last block always arrives.
    auto progress = log_.Progress();
    ASSERT_FALSE(progress.empty());
    EXPECT_LE(progress.size(), blocks);
    EXPECT_EQ(progress.front().position, 0);
    EXPECT_EQ(progress.back().position, (blocks - 1) * 128);
    EXPECT_EQ(progress.back().maximum, blocks * 128);
}

struct DamagedBlock {
    const char* fault;
    std::string (*make)(const std::string& data);
};

// Names the row in test listings instead of a byte dump.
void PrintTo(const DamagedBlock& row, std::ostream* os) {
    *os << row.fault;
}

class DamagedBlockTest : public PtyLinkTest, public ::testing::WithParamInterface<DamagedBlock> {};

TEST_P(DamagedBlockTest, IsAnsweredWithNakAndTheSameBlockIsExpectedAgain) {
    std::string data = Pattern(128, 3);
    PeerScript calculator([&] {
        EXPECT_EQ(peer_.Read(1, 5000), kNak);
        peer_.Write(GetParam().make(data));
        EXPECT_EQ(peer_.Read(1, 5000), kNak);
        peer_.Write(ChecksumBlock(1, data));
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
        peer_.Write(kEot);
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
    });
    TYModemRX rx(link_, "", 0, log_.Callback());
    RunLikeSession(ui_, rx, log_, 20000);
    EXPECT_TRUE(rx.Success());
    EXPECT_EQ(rx.ReceivedData(), data);
    EXPECT_EQ(log_.CountText(kReportMessage, kConnectionErrorText), 1);
    // One before each try of block 1; the second, held back so soon after the first, still
    // arrives before the end.
    EXPECT_EQ(log_.Count(kReportProgress), 2);
    ExpectWellFormed(log_);
}

INSTANTIATE_TEST_SUITE_P(
    Receiver, DamagedBlockTest,
    ::testing::Values(
        DamagedBlock{"BadComplement",
                     [](const std::string& d) { return ChecksumBlock(1, d, 0xFF); }},
        DamagedBlock{"BadChecksum",
                     [](const std::string& d) {
                         std::string b = ChecksumBlock(1, d);
                         b.back() = static_cast<char>(b.back() + 1);
                         return b;
                     }},
        DamagedBlock{"BlockNumberAhead", [](const std::string& d) { return ChecksumBlock(2, d); }},
        // No header block 0 comes first: one would be neither data nor a repeat.
        DamagedBlock{"BlockZeroFirst", [](const std::string& d) { return ChecksumBlock(0, d); }},
        // The read of the block ends at the time-out with what came.
        DamagedBlock{"Truncated",
                     [](const std::string& d) { return ChecksumBlock(1, d).substr(0, 100); }}),
    [](const auto& info) { return std::string(info.param.fault); });

TEST_F(ReceiverTest, LostAckRepeatIsAcknowledgedOnceAndNotAppended) {
    std::string data = Pattern(256, 4);
    PeerScript calculator([&] {
        EXPECT_EQ(peer_.Read(1, 5000), kNak);
        std::string first = ChecksumBlock(1, data.substr(0, 128));
        peer_.Write(first);
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
        peer_.Write(first);                    // as if that ACK had been lost
        EXPECT_EQ(peer_.Read(1, 5000), kAck);  // a NAK after it would answer block 2 below
        peer_.Write(ChecksumBlock(2, data.substr(128)));
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
        peer_.Write(kEot);
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
    });
    TYModemRX rx(link_, "", 0, log_.Callback());
    RunLikeSession(ui_, rx, log_, 20000);
    EXPECT_TRUE(rx.Success());
    EXPECT_EQ(rx.ReceivedData(), data);
    EXPECT_EQ(log_.Count(kReportMessage), 0);
    ExpectWellFormed(log_);
}

TEST_F(ReceiverTest, CanFromTheSenderFailsAndDeletesTheTargetFile) {
    std::string target = dir_.File("target.zq");
    ASSERT_TRUE(WriteWholeFile(target, "stale"));
    PeerScript calculator([&] {
        EXPECT_EQ(peer_.Read(1, 5000), kNak);
        peer_.Write(ChecksumBlock(1, Pattern(128, 5)));
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
        peer_.Write(std::string(1, kTestCAN));
        EXPECT_EQ(peer_.Read(4, 5000), std::string(4, kTestCAN));
    });
    TYModemRX rx(link_, target, 0, log_.Callback());
    RunLikeSession(ui_, rx, log_, 20000);
    EXPECT_FALSE(rx.Success());
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(log_.CountText(kReportMessage, kConnectionErrorText), 1);
    EXPECT_TRUE(traces_.Contains("sending CAN"));
    EXPECT_EQ(ui_.Count("SetConnected(false)"), 1);
    EXPECT_EQ(ui_.CallsOffUiThread(), 0);
    ExpectWellFormed(log_);
}

// Two bytes changed by +1 and -1 leave the one-byte sum as it was: only a CRC sees them.
TEST_F(ReceiverTest, CrcModeRejectsABlockWhoseDamageTheChecksumWouldPass) {
    std::string data = Pattern(128, 8);
    std::string damaged = KermitBlock(1, data);
    damaged[3 + 10] = static_cast<char>(damaged[3 + 10] + 1);
    damaged[3 + 70] = static_cast<char>(damaged[3 + 70] - 1);
    std::string asChecksum = ChecksumBlock(1, data);
    asChecksum.replace(3, 128, damaged.substr(3, 128));
    ASSERT_EQ(asChecksum, ChecksumBlock(1, asChecksum.substr(3, 128))) << "the sum must pass";
    PeerScript calculator([&] {
        EXPECT_EQ(peer_.Read(1, 5000), "D");  // the calculator's CRC is asked for first
        peer_.Write(damaged);
        EXPECT_EQ(peer_.Read(1, 5000), kNak);
        peer_.Write(KermitBlock(1, data));
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
        peer_.Write(kEot);
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
    });
    TYModemRX rx(link_, "", 0, log_.Callback(), true);
    RunLikeSession(ui_, rx, log_, 20000);
    EXPECT_TRUE(rx.Success());
    EXPECT_EQ(rx.ReceivedData(), data);
    EXPECT_EQ(log_.CountText(kReportMessage, kConnectionErrorText), 1);
    ExpectWellFormed(log_);
}

// A sender that answers no CRC request in time gets "D" three times, "C" three times, then the
// NAK of the checksum mode. One that was only busy may still take the first "D" late: its
// blocks then carry the calculator's CRC and are taken in that mode.
TEST_F(ReceiverTest, CrcRequestsFallBackToNakAndALateCrcBlockIsStillTaken) {
    std::string data = Pattern(256, 9);
    std::string heard;
    PeerScript calculator([&] {
        heard = peer_.Read(7, 30000);
        peer_.Write(KermitBlock(1, data.substr(0, 128)));
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
        peer_.Write(KermitBlock(2, data.substr(128)));
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
        peer_.Write(kEot);
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
    });
    TYModemRX rx(link_, "", 0, log_.Callback(), true);
    RunLikeSession(ui_, rx, log_, 40000);
    calculator.Join();
    EXPECT_EQ(heard, "DDDCCC" + kNak);
    EXPECT_TRUE(rx.Success());
    EXPECT_EQ(rx.ReceivedData(), data);
    EXPECT_EQ(traces_.Count("Rx Error #"), 0);  // the requests are no failures
    EXPECT_EQ(log_.Count(kReportMessage), 0);
    ExpectWellFormed(log_);
}

TEST_F(ReceiverTest, SenderThatKnowsOnlyCrc16IsServedInThatMode) {
    std::string data = Pattern(1024, 10);
    std::string heard;
    PeerScript calculator([&] {
        heard = peer_.Read(4, 20000);
        peer_.Write(ArcBlock(1, data));
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
        peer_.Write(kEot);
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
    });
    TYModemRX rx(link_, "", 0, log_.Callback(), true);
    RunLikeSession(ui_, rx, log_, 30000);
    calculator.Join();
    EXPECT_EQ(heard, "DDDC");
    EXPECT_TRUE(rx.Success());
    EXPECT_EQ(rx.ReceivedData(), data);
    ExpectWellFormed(log_);
}

TEST(ReceiverDelay, FailureDelayOfTheSlowProfileIsWaitedBeforeTheEnd) {
    TestLinkUi ui;
    PtyPeer peer;
    CommLink link(ui);
    link.OpenPort(peer.SlavePath(), 9600);  // the profile with the 1000 ms FailureDelay
    ReportLog log;
    std::int64_t canSent = 0;
    PeerScript calculator([&] {
        EXPECT_EQ(peer.Read(1, 5000), kNak);
        canSent = TickMs();
        peer.Write(std::string(1, kTestCAN));
    });
    TYModemRX rx(link, "", 0, log.Callback());
    RunLikeSession(ui, rx, log, 20000);
    calculator.Join();
    EXPECT_FALSE(rx.Success());
    EXPECT_GE(TickMs() - canSent, 1000);
    ExpectWellFormed(log);
}

TEST_F(ReceiverTest, SixSilencesEndInTheConnectionError) {
    std::string target = dir_.File("target.zq");
    ASSERT_TRUE(WriteWholeFile(target, "stale"));
    std::string heard;
    PeerScript calculator([&] { heard = peer_.Read(7 + 4, 40000); });
    std::int64_t start = TickMs();
    TYModemRX rx(link_, target, 0, log_.Callback());
    RunLikeSession(ui_, rx, log_, 40000);
    calculator.Join();
    // Every empty read is answered with another NAK; after the sixth the transfer ends.
    EXPECT_EQ(heard, std::string(7, kTestNAK) + std::string(4, kTestCAN));
    EXPECT_GE(TickMs() - start, 6 * 2500);
    EXPECT_EQ(traces_.Count("Rx Error #"), 6);
    EXPECT_TRUE(traces_.Contains("Rx Error #6 Reply was 0x00"));
    EXPECT_FALSE(rx.Success());
    EXPECT_FALSE(FileExists(target));
    ExpectWellFormed(log_);
}

// Reopens the link on the same pseudo-terminal through a port that tells when a read begins:
// the receiver checks for Cancel before each read of a block's first byte, so a test that
// cancels "during the read" must know the read has begun.
WatchedSerialPort& WatchReads(CommLink& link, const PtyPeer& peer) {
    link.ClosePort();
    auto port = WatchedSerialPort::Open(peer.SlavePath());
    WatchedSerialPort& watched = *port;
    link.OpenPortOn(std::move(port), 115200);
    return watched;
}

TEST_F(ReceiverTest, CancelDuringATransferSendsCanTwiceAndFails) {
    WatchedSerialPort& port = WatchReads(link_, peer_);
    std::atomic<bool> waitingForBlock2{false};
    std::string heard;
    TYModemRX rx(link_, "", 0, log_.Callback());
    PeerScript calculator([&] {
        EXPECT_EQ(peer_.Read(1, 5000), kNak);
        peer_.Write(ChecksumBlock(1, Pattern(128, 6)));
        EXPECT_EQ(peer_.Read(1, 5000), kAck);
        EXPECT_TRUE(port.WaitForReadAfterWrite(10000));
        waitingForBlock2 = true;
        while (!rx.TerminationRequested()) {
            SleepMs(5);
        }
        peer_.Write(ChecksumBlock(2, Pattern(128, 7)));
        heard = peer_.Read(9, 5000);
    });
    RunLikeSession(ui_, rx, log_, 20000, [&] { return waitingForBlock2.load(); });
    calculator.Join();
    // Block 2 was already awaited; then four CAN on noticing Cancel and four in the clean-up.
    EXPECT_EQ(heard, kAck + std::string(8, kTestCAN));
    EXPECT_FALSE(rx.Success());
    ExpectWellFormed(log_);
}

TEST_F(ReceiverTest, DestroyingARunningReceiverCancelsAndJoins) {
    WatchedSerialPort& port = WatchReads(link_, peer_);
    std::string heard;
    PeerScript calculator([&] { heard = peer_.Read(2 + 8, 10000); });
    {
        TYModemRX rx(link_, "", 0, log_.Callback());
        ASSERT_TRUE(port.WaitForReadAfterWrite(10000));
    }
    calculator.Join();
    // The read under way ends in silence (one more NAK) before Cancel is noticed.
    EXPECT_EQ(heard, std::string(2, kTestNAK) + std::string(8, kTestCAN));
    ExpectWellFormed(log_);
}

}  // namespace
}  // namespace vaddex::test
