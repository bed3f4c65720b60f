#include "SimServerFixture.h"
#include "sim/server/BlockCheck.h"

namespace zqsim::test {
namespace {

std::string Pattern(std::size_t size) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += static_cast<char>((i * 7 + 3) & 0xFF);
    }
    return out;
}

TEST(BlockCheckTest, ChecksMatchTheirReferenceValues) {
    EXPECT_EQ(Crc16Arc("123456789"), 0xBB3D);
    EXPECT_EQ(Crc16Kermit("123456789"), 0x2189);
    EXPECT_EQ(CheckBytes(CheckMode::Crc16, "123456789"), "\x3D\xBB");
    EXPECT_EQ(CheckBytes(CheckMode::Kermit, "123456789"), "\x21\x89");
    EXPECT_EQ(CheckBytes(CheckMode::Checksum, "\xFF\x02"), "\x01");
}

// The PC's receiver asks with NAK; a generic one may ask with "C" or "D".
class GetTest : public SimServerTest, public ::testing::WithParamInterface<char> {};

TEST_P(GetTest, ObjectComesInCheckedBlocksWithTheOldBufferAsPadding) {
    SimServerOptions options = Quick();
    options.blockSize = 128;
    Serve(options);
    calculator.variables["A"] = Pattern(200);
    std::string file = calculator.FileHeader() + Pattern(200);  // 208 bytes: two blocks
    Send('G', "A");
    ASSERT_EQ(pc.Read(1), std::string(1, kAckByte));
    char mode = GetParam();
    pc.WriteByte(mode == 'N' ? 0x15 : static_cast<std::uint8_t>(mode));
    std::string received;
    for (std::uint8_t number = 1; number <= 2; ++number) {
        std::string block = pc.Read(3 + 128 + (mode == 'N' ? 1 : 2));
        std::string payload = block.substr(3, 128);
        EXPECT_EQ(block, PcPeer::Block(number, payload, 128, mode)) << "block " << int(number);
        received += payload;
        pc.Write(std::string(1, kAckByte));
    }
    EXPECT_EQ(pc.Read(1), std::string(1, kEotByte));
    pc.Write(std::string(1, kAckByte));
    EXPECT_EQ(received.substr(0, 208), file);
    // The second block's tail still holds the first block's bytes 80 to 127.
    EXPECT_EQ(received.substr(208), file.substr(80, 48));
    EXPECT_TRUE(WaitFor([](const SimStats& s) { return s.objectsSent == 1; }));
}

INSTANTIATE_TEST_SUITE_P(CheckModes, GetTest, ::testing::Values('N', 'C', 'D'),
                         [](const auto& info) { return std::string(1, info.param); });

TEST_F(SimServerTest, ChecksumOnlySenderWaitsThroughCrcRequestsForNak) {
    SimServerOptions options = Quick();
    options.blockSize = 128;
    options.checksumOnly = true;
    Serve(options);
    calculator.variables["A"] = Pattern(20);
    Send('G', "A");
    ASSERT_EQ(pc.Read(1), std::string(1, kAckByte));
    pc.Write("DDDCCC");
    EXPECT_EQ(pc.Read(1, 300), "") << "a CRC request was answered";
    pc.WriteByte(0x15);
    std::string block = pc.Read(3 + 128 + 1);
    EXPECT_EQ(block, PcPeer::Block(1, block.substr(3, 128), 128, 'N'));
    EXPECT_EQ(block.substr(3, 28), calculator.FileHeader() + Pattern(20));
}

// The calculator's receiver in each mode it can be set to ask for.
class PutTest : public SimServerTest, public ::testing::WithParamInterface<CheckMode> {
protected:
    char Mode() const {
        return GetParam() == CheckMode::Crc16 ? 'C' : GetParam() == CheckMode::Kermit ? 'D' : 'N';
    }
    void StartPut(const std::string& name) {
        SimServerOptions options = Quick();
        options.receiveCheck = GetParam();
        Serve(options);
        Send('P', name);
        ASSERT_EQ(pc.Read(1), std::string(1, kAckByte));
        ASSERT_EQ(pc.Read(1), std::string(1, static_cast<char>(HandshakeByte(GetParam()))));
    }
    std::string SendBlock(std::uint8_t number, const std::string& data) {
        pc.Write(PcPeer::Block(number, data, 128, Mode()));
        return pc.Read(1);
    }
};

TEST_P(PutTest, BlocksAreCheckedAndTheObjectStoredWithoutItsHeader) {
    StartPut("B");
    // The PC pauses before it reads the request: no repeat piles up meanwhile.
    EXPECT_EQ(pc.Read(1, 1000), "");
    std::string file = "ZQZQK8-R" + Pattern(200);
    EXPECT_EQ(SendBlock(1, file.substr(0, 128)), std::string(1, kAckByte));
    EXPECT_EQ(SendBlock(2, file.substr(128)), std::string(1, kAckByte));
    pc.Write(std::string(1, kEotByte));
    EXPECT_EQ(pc.Read(1), std::string(1, kAckByte));
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return s.objectsStored == 1; }));
    std::string padded = file;
    padded.resize(256, '\x1A');
    server->WithCalculator(
        [&](CalculatorModel&) { EXPECT_EQ(calculator.variables["B"], padded.substr(8)); });
}

TEST_P(PutTest, RepeatedBlockIsAcknowledgedAndDiscarded) {
    StartPut("C");
    std::string file = "ZQZQK8-R" + Pattern(150);
    EXPECT_EQ(SendBlock(1, file.substr(0, 128)), std::string(1, kAckByte));
    EXPECT_EQ(SendBlock(1, file.substr(0, 128)), std::string(1, kAckByte));
    EXPECT_EQ(SendBlock(2, file.substr(128)), std::string(1, kAckByte));
    pc.Write(std::string(1, kEotByte));
    EXPECT_EQ(pc.Read(1), std::string(1, kAckByte));
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return s.objectsStored == 1; }));
    EXPECT_EQ(server->Stats().duplicateBlocks, 1);
    EXPECT_EQ(server->Stats().lastStoredObject.size(), 256u - 8u);
}

TEST_P(PutTest, DamagedBlockIsRejectedAndTakenWhenRepeated) {
    StartPut("D");
    std::string good = PcPeer::Block(1, "ZQZQK8-R" + Pattern(20), 128, Mode());
    std::string bad = good;
    bad[40] = static_cast<char>(bad[40] ^ 0x10);
    pc.Write(bad);
    EXPECT_EQ(pc.Read(1), std::string(1, kNakByte));
    pc.Write(good);
    EXPECT_EQ(pc.Read(1), std::string(1, kAckByte));
    pc.Write(std::string(1, kEotByte));
    EXPECT_EQ(pc.Read(1), std::string(1, kAckByte));
    EXPECT_TRUE(WaitFor([](const SimStats& s) { return s.objectsStored == 1; }));
    EXPECT_EQ(server->Stats().blocksRejected, 1);
}

INSTANTIATE_TEST_SUITE_P(CheckModes, PutTest,
                         ::testing::Values(CheckMode::Checksum, CheckMode::Crc16,
                                           CheckMode::Kermit),
                         [](const auto& info) { return std::string(CheckModeName(info.param)); });

TEST_F(SimServerTest, TransmittingCommandSendsAfterThePcsNakEvenWhileBusy) {
    SimServerOptions options = Quick();
    options.busyMs = 400;
    Serve(options);
    calculator.variables["A"] = "12345";
    Send('E', "ARCHIVE");
    ASSERT_EQ(pc.Read(1), std::string(1, kAckByte));
    pc.WriteByte(0x15);  // the backup's receiver asks at once, before the work is done
    std::string block = pc.Read(3 + 1024 + 1);
    ASSERT_EQ(block.size(), 1028u);
    EXPECT_EQ(block.substr(3, 13), calculator.FileHeader() + "12345");
    pc.Write(std::string(1, kAckByte));
    EXPECT_EQ(pc.Read(1), std::string(1, kEotByte));
    pc.Write(std::string(1, kAckByte));
    EXPECT_TRUE(WaitFor([](const SimStats& s) { return s.lastOutcome == "transmitted"; }));
}

TEST_F(SimServerTest, BlockNumbersWrapFrom255ToZero) {
    SimServerOptions options = Quick();
    options.blockSize = 128;
    Serve(options);
    calculator.variables["BIG"] = Pattern(256 * 128);
    Send('G', "BIG");
    ASSERT_EQ(pc.Read(1), std::string(1, kAckByte));
    pc.WriteByte(0x15);
    std::string numbers;
    for (int i = 0; i < 257; ++i) {
        std::string block = pc.Read(132);
        ASSERT_EQ(block.size(), 132u) << "block " << i + 1;
        numbers += block.substr(1, 2);
        pc.Write(std::string(1, kAckByte));
    }
    EXPECT_EQ(numbers.substr(254 * 2, 6), std::string("\xFF\x00\x00\xFF\x01\xFE", 6));
}

}  // namespace
}  // namespace zqsim::test
