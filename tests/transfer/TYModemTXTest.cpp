#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

#include "support/OneByteSum.h"
#include "transfer/BlockCheck.h"
#include "transfer/TYModemTX.h"
#include "transfer/TransferHarness.h"
#include "util/Errors.h"
#include "util/FileIo.h"
#include "util/Ticks.h"

namespace vaddex::test {
namespace {

// One block as the calculator reads it off the link.
struct SeenBlock {
    char header = 0;
    unsigned number = 0;
    unsigned complement = 0;
    std::string data;
    std::string check;
};

// Reads one block of `dataSize` bytes with a check of `checkLength` bytes; false on a short read.
bool ReadBlock(PtyPeer& peer, std::size_t dataSize, std::size_t checkLength, SeenBlock& block) {
    std::string raw = peer.Read(3 + dataSize + checkLength, 5000);
    if (raw.size() != 3 + dataSize + checkLength) {
        return false;
    }
    block.header = raw[0];
    block.number = static_cast<unsigned char>(raw[1]);
    block.complement = static_cast<unsigned char>(raw[2]);
    block.data = raw.substr(3, dataSize);
    block.check = raw.substr(3 + dataSize);
    return true;
}

// Plays a calculator that accepts every block of the given sizes, then the EOT.
std::string AcceptBlocks(PtyPeer& peer, const std::vector<std::size_t>& sizes) {
    std::string data;
    unsigned number = 1;
    for (std::size_t size : sizes) {
        SeenBlock block;
        if (!ReadBlock(peer, size, 1, block)) {
            ADD_FAILURE() << "block " << number << " incomplete";
            return data;
        }
        EXPECT_EQ(block.header, size == 128 ? kTestSOH : kTestSTX) << "block " << number;
        EXPECT_EQ(block.number, number & 0xFF);
        EXPECT_EQ(block.complement, 255 - (number & 0xFF));
        data += block.data;
        peer.Write(kAck);
        ++number;
    }
    EXPECT_EQ(peer.Read(1, 5000), kEot);
    peer.Write(kAck);
    return data;
}

class TransmitterTest : public PtyLinkTest {
protected:
    std::string MakeFile(std::size_t size, unsigned seed) {
        content_ = Pattern(size, seed);
        std::string path = dir_.File("send.zq");
        EXPECT_TRUE(WriteWholeFile(path, content_));
        return path;
    }
    std::string content_;
};

struct ModeRow {
    const char* name;
    char request;
    bool givenByCaller;  // the caller read the request byte already
    std::string (*check)(const std::string& data);
};

// Names the row in test listings instead of a byte dump.
void PrintTo(const ModeRow& row, std::ostream* os) {
    *os << row.name;
}

class CheckModeTest : public TransmitterTest, public ::testing::WithParamInterface<ModeRow> {};

TEST_P(CheckModeTest, TheRequestByteChoosesTheCheck) {
    const ModeRow& row = GetParam();
    std::string path = MakeFile(100, 8);
    std::string expectedCheck;
    SeenBlock block;
    PeerScript calculator([&] {
        if (!row.givenByCaller) {
            peer_.Write(std::string(1, row.request));
        }
        std::size_t checkLength = row.request == kTestNAK ? 1 : 2;
        ASSERT_TRUE(ReadBlock(peer_, 128, checkLength, block));
        peer_.Write(kAck);
        EXPECT_EQ(peer_.Read(1, 5000), kEot);
        peer_.Write(kAck);
    });
    TYModemTX tx(link_, path, false, row.givenByCaller ? row.request : '\0', log_.Callback());
    RunLikeSession(ui_, tx, log_, 20000);
    calculator.Join();
    EXPECT_TRUE(tx.Success());
    EXPECT_EQ(block.header, kTestSOH);  // 100 bytes go as one small block
    EXPECT_EQ(block.data.substr(0, 100), content_);
    EXPECT_EQ(block.check, row.check(block.data));
    EXPECT_EQ(log_.CountText(kReportStatus, "Copying " + path), 1);
    EXPECT_EQ(link_.SendFile(), -1);
    EXPECT_EQ(traces_.Count("Tx needs CRC Flag #"), 0);
    ExpectWellFormed(log_);
}

INSTANTIATE_TEST_SUITE_P(
    Transmitter, CheckModeTest,
    ::testing::Values(ModeRow{"NakAsksForTheSum", kTestNAK, false,
                              [](const std::string& d) { return std::string(1, OneByteSum(d)); }},
                      ModeRow{"CAsksForArcLowByteFirst", 'C', false,
                              [](const std::string& d) {
                                  unsigned crc = Crc16Arc(d);
                                  return std::string{char(crc & 0xFF), char(crc >> 8)};
                              }},
                      ModeRow{"DAsksForKermitHighByteFirst", 'D', false,
                              [](const std::string& d) {
                                  unsigned crc = Crc16Kermit(d);
                                  return std::string{char(crc >> 8), char(crc & 0xFF)};
                              }},
                      ModeRow{"RequestGivenByTheCallerIsNotReadAgain", 'C', true,
                              [](const std::string& d) {
                                  unsigned crc = Crc16Arc(d);
                                  return std::string{char(crc & 0xFF), char(crc >> 8)};
                              }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransmitterTest, File3000GoesAsTwoLargeAndEightSmallBlocks) {
    std::string path = MakeFile(3000, 9);
    std::string received;
    PeerScript calculator([&] {
        peer_.Write(kNak);
        received = AcceptBlocks(peer_, {1024, 1024, 128, 128, 128, 128, 128, 128, 128, 128});
    });
    TYModemTX tx(link_, path, false, '\0', log_.Callback());
    RunLikeSession(ui_, tx, log_, 20000);
    calculator.Join();
    EXPECT_TRUE(tx.Success());
    ASSERT_EQ(received.size(), 3072u);
    EXPECT_EQ(received.substr(0, 3000), content_);
    // Coalesced reports, the first and the one of the last block among them.
    auto progress = log_.Progress();
    ASSERT_FALSE(progress.empty());
    EXPECT_LE(progress.size(), 10u);
    EXPECT_EQ(progress.front().position, 0);
    EXPECT_EQ(progress.back().position, 2048 + 7 * 128);
    EXPECT_EQ(progress.back().maximum, 3000);
    ExpectWellFormed(log_);
}

// On a noisy line most large blocks are hit: after two rejections of one, the same block
// number goes again with its first 128 bytes, and the rest of the transfer stays small.
TEST_F(TransmitterTest, LargeBlockRejectedTwiceIsSentAgainAsSmallBlocks) {
    std::string path = MakeFile(3000, 21);
    std::vector<char> headers;
    std::string received;
    PeerScript calculator([&] {
        peer_.Write(kNak);
        SeenBlock block;
        for (int rejection = 0; rejection < 2; ++rejection) {
            ASSERT_TRUE(ReadBlock(peer_, 1024, 1, block));
            headers.push_back(block.header);
            peer_.Write(kNak);
        }
        received = AcceptBlocks(peer_, std::vector<std::size_t>(24, 128));
    });
    TYModemTX tx(link_, path, false, '\0', log_.Callback());
    RunLikeSession(ui_, tx, log_, 30000);
    calculator.Join();
    EXPECT_TRUE(tx.Success());
    EXPECT_EQ(headers, std::vector<char>(2, kTestSTX));
    EXPECT_EQ(received.substr(0, 3000), content_);
    ExpectWellFormed(log_);
}

TEST_F(TransmitterTest, SmallBlocksOnlyAndTheNumberWrapAt256) {
    const std::size_t blocks = 257;
    std::string path = MakeFile(blocks * 128, 13);
    std::string received;
    PeerScript calculator([&] {
        peer_.Write(kNak);
        received = AcceptBlocks(peer_, std::vector<std::size_t>(blocks, 128));
    });
    TYModemTX tx(link_, path, true, '\0', log_.Callback());
    RunLikeSession(ui_, tx, log_, 30000);
    calculator.Join();
    EXPECT_TRUE(tx.Success());
    EXPECT_EQ(received, content_);
    ExpectWellFormed(log_);
}

TEST_F(TransmitterTest, UnsuitableHandshakeBytesAreCountedAndTheSixthEndsIt) {
    std::string path = MakeFile(10, 14);
    std::string tail;
    PeerScript calculator([&] {
        peer_.Write("abcdef");
        tail = peer_.Read(3, 5000);
    });
    TYModemTX tx(link_, path, false, '\0', log_.Callback());
    RunLikeSession(ui_, tx, log_, 20000);
    calculator.Join();
    EXPECT_EQ(tail, std::string(3, kTestCAN));
    EXPECT_EQ(traces_.Count("Tx needs CRC Flag #"), 6);
    EXPECT_FALSE(tx.Success());
    ExpectWellFormed(log_);
}

TEST_F(TransmitterTest, EmptyFileSendsOnlyEot) {
    std::string path = MakeFile(0, 0);
    PeerScript calculator([&] {
        peer_.Write(kNak);
        EXPECT_EQ(peer_.Read(1, 5000), kEot);
        peer_.Write(kAck);
    });
    TYModemTX tx(link_, path, false, '\0', log_.Callback());
    RunLikeSession(ui_, tx, log_, 20000);
    EXPECT_TRUE(tx.Success());
    EXPECT_EQ(log_.Count(kReportProgress), 0);
    ExpectWellFormed(log_);
}

TEST_F(TransmitterTest, EotNeverAcknowledgedIsWrittenFiveTimesThenCan) {
    std::string path = MakeFile(0, 0);
    std::string heard;
    PeerScript calculator([&] {
        peer_.Write(kNak);
        heard = peer_.Read(5 + 3, 30000);
    });
    TYModemTX tx(link_, path, false, '\0', log_.Callback());
    RunLikeSession(ui_, tx, log_, 30000);
    calculator.Join();
    EXPECT_EQ(heard, std::string(5, kTestEOT) + std::string(3, kTestCAN));
    EXPECT_EQ(traces_.Count("Tx No ACK for EOT error #"), 5);
    EXPECT_TRUE(traces_.Contains("Tx No ACK for EOT error #6"));
    EXPECT_FALSE(tx.Success());
    EXPECT_EQ(link_.SendFile(), -1);
    ExpectWellFormed(log_);
}

TEST_F(TransmitterTest, SixNaksForOneBlockEndTheTransfer) {
    std::string path = MakeFile(100, 10);
    int blocksSeen = 0;
    std::string tail;
    PeerScript calculator([&] {
        peer_.Write(kNak);
        SeenBlock block;
        while (ReadBlock(peer_, 128, 1, block) && block.header == kTestSOH) {
            ++blocksSeen;
            peer_.Write(kNak);
            if (blocksSeen == 6) {
                break;
            }
        }
        tail = peer_.Read(3, 5000);
    });
    TYModemTX tx(link_, path, false, '\0', log_.Callback());
    RunLikeSession(ui_, tx, log_, 20000);
    calculator.Join();
    EXPECT_EQ(blocksSeen, 6);
    EXPECT_EQ(tail, std::string(3, kTestCAN));
    EXPECT_FALSE(tx.Success());
    // Five repeats announced, then the failure itself.
    EXPECT_EQ(log_.CountText(kReportMessage, kConnectionErrorText), 6);
    ExpectWellFormed(log_);
}

TEST_F(TransmitterTest, CanFromTheCalculatorClosesTheFileAndFails) {
    std::string path = MakeFile(2000, 11);
    std::string tail;
    PeerScript calculator([&] {
        peer_.Write(std::string(1, 'D'));
        SeenBlock block;
        EXPECT_TRUE(ReadBlock(peer_, 1024, 2, block));
        peer_.Write(std::string(1, kTestCAN));
        tail = peer_.Read(3, 5000);
    });
    TYModemTX tx(link_, path, false, '\0', log_.Callback());
    RunLikeSession(ui_, tx, log_, 20000);
    calculator.Join();
    EXPECT_EQ(tail, std::string(3, kTestCAN));
    EXPECT_FALSE(tx.Success());
    EXPECT_EQ(link_.SendFile(), -1);
    ExpectWellFormed(log_);
}

TEST_F(TransmitterTest, MissingFileIsReportedAfterTheHandshake) {
    std::string path = dir_.File("missing.zq");
    std::string tail;
    PeerScript calculator([&] {
        peer_.Write(kNak);
        tail = peer_.Read(3, 5000);
    });
    TYModemTX tx(link_, path, false, '\0', log_.Callback());
    RunLikeSession(ui_, tx, log_, 20000);
    calculator.Join();
    EXPECT_EQ(tail, std::string(3, kTestCAN));
    EXPECT_FALSE(tx.Success());
    EXPECT_EQ(log_.CountText(kReportMessage, "Error (Unable to open file " + path + " 2)"), 1);
    ExpectWellFormed(log_);
}

TEST_F(TransmitterTest, CancelWhileABlockAwaitsItsAnswer) {
    std::string path = MakeFile(3000, 12);
    std::atomic<bool> blockSeen{false};
    std::string tail;
    TYModemTX tx(link_, path, false, '\0', log_.Callback());
    PeerScript calculator([&] {
        peer_.Write(kNak);
        SeenBlock block;
        EXPECT_TRUE(ReadBlock(peer_, 1024, 1, block));
        blockSeen = true;
        while (!tx.TerminationRequested()) {
            SleepMs(5);
        }
        peer_.Write(kAck);  // the answer comes, but Cancel is looked at first
        tail = peer_.Read(3, 5000);
    });
    RunLikeSession(ui_, tx, log_, 20000, [&] { return blockSeen.load(); });
    calculator.Join();
    EXPECT_EQ(tail, std::string(3, kTestCAN));
    EXPECT_FALSE(tx.Success());
    EXPECT_EQ(link_.SendFile(), -1);
    ExpectWellFormed(log_);
}

}  // namespace
}  // namespace vaddex::test
