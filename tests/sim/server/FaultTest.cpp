#include <sys/stat.h>

#include "SimServerFixture.h"
#include "sim/server/FaultInjector.h"
#include "sim/server/FaultPlan.h"

namespace zqsim::test {
namespace {

TEST(FaultPlanTest, WordsRoundTripAndBadWordsAreNamed) {
    FaultPlan plan = ParseFaultPlan(
        "seed=7 corrupt-out=0.25 drop=0.5 lose-ack=3 bad-packet=2 "
        "silence-after=200 pull-after=9");
    EXPECT_EQ(plan.seed, 7u);
    EXPECT_EQ(plan.dropIn, 0.5);
    EXPECT_EQ(ParseFaultPlan(DescribeFaultPlan(plan)), plan);
    EXPECT_EQ(DescribeFaultPlan(ParseFaultPlan("none")), "none");
    EXPECT_THROW(ParseFaultPlan("corrupt=2"), std::invalid_argument);
    EXPECT_THROW(ParseFaultPlan("lose-ack"), std::invalid_argument);
    EXPECT_THROW(ParseFaultPlan("melt=1"), std::invalid_argument);
}

TEST(FaultInjectorTest, SameSeedHitsTheSameBytes) {
    std::string stream(4000, 'a');
    auto run = [&](std::uint64_t seed) {
        FaultInjector faults;
        faults.SetPlan(ParseFaultPlan("corrupt-out=0.02 drop-out=0.01"), seed);
        bool pull = false;
        std::string out;
        // Chunking must not change which bytes are hit.
        for (std::size_t at = 0; at < stream.size(); at += 333) {
            out += faults.FilterOut(std::string_view(stream).substr(at, 333), pull);
        }
        return out;
    };
    std::string first = run(7);
    EXPECT_EQ(first, run(7));
    EXPECT_NE(first, run(8));
    EXPECT_LT(first.size(), stream.size()) << "some bytes dropped";
    EXPECT_NE(first.find_first_not_of('a'), std::string::npos) << "some bytes damaged";
}

TEST_F(SimServerTest, SeededPlanDamagesTheSameAnswerBytesEachRun) {
    std::string answers[2];
    for (std::string& answer : answers) {
        Serve();
        server->SetFaultPlan(ParseFaultPlan("corrupt-out=0.3 seed=7"));
        pc.Write("V");
        answer = pc.ReadUntilQuiet(300);
        server->Stop();
    }
    EXPECT_EQ(answers[0], answers[1]);
    EXPECT_NE(answers[0], PcPeer::Packet("FAKE SERVER 1.0"));
}

TEST_F(SimServerTest, LostAckMakesThePcRepeatTheBlock) {
    Serve();
    server->SetFaultPlan(ParseFaultPlan("lose-ack=1"));
    Send('P', "L");
    ASSERT_EQ(pc.Read(1), std::string(1, kAckByte));
    ASSERT_EQ(pc.Read(1), "D");
    std::string block = PcPeer::Block(1, "ZQZQK8-Rdata", 128, 'D');
    pc.Write(block);
    EXPECT_EQ(pc.Read(1, 1000), "") << "the ACK of block 1 is lost";
    pc.Write(block);
    EXPECT_EQ(pc.Read(1), std::string(1, kAckByte));
    pc.Write(std::string(1, kEotByte));
    EXPECT_EQ(pc.Read(1), std::string(1, kAckByte));
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return s.objectsStored == 1; }));
    EXPECT_EQ(server->Stats().duplicateBlocks, 1);
}

TEST_F(SimServerTest, BadChecksumPacketFailsThatManyTimes) {
    Serve();
    server->SetFaultPlan(ParseFaultPlan("bad-packet=2"));
    pc.Write("V");
    std::string good = PcPeer::Packet("FAKE SERVER 1.0");
    for (int bad = 0; bad < 2; ++bad) {
        std::string packet = pc.Read(good.size());
        EXPECT_EQ(packet.substr(0, good.size() - 1), good.substr(0, good.size() - 1));
        EXPECT_NE(packet.back(), good.back());
        pc.Write(std::string(1, kNakByte));
    }
    EXPECT_EQ(pc.Read(good.size()), good);
    pc.Write(std::string(1, kAckByte));
    EXPECT_TRUE(WaitFor([](const SimStats& s) { return s.packetResends == 2; }));
}

TEST_F(SimServerTest, SilenceAfterNBytesCutsTheAnswer) {
    Serve();
    server->SetFaultPlan(ParseFaultPlan("silence-after=5"));
    pc.Write("V");
    EXPECT_EQ(pc.ReadUntilQuiet(500), PcPeer::Packet("FAKE SERVER 1.0").substr(0, 5));
}

TEST_F(SimServerTest, PulledCableClosesThePty) {
    Serve();
    server->PullCable();
    EXPECT_TRUE(pc.WaitHangUp(3000));
    EXPECT_TRUE(WaitFor([](const SimStats& s) { return s.mode == SimMode::Pulled; }));
}

TEST_F(SimServerTest, PullFaultClosesTheUsbDeviceMidAnswer) {
    SimServerOptions options = Quick();
    options.transport = TransportKind::Fifo;
    Serve(options);
    std::string folder = usbRoot.Path() + server->PortName();
    server->SetFaultPlan(ParseFaultPlan("pull-after=3"));
    pc.Write("V");
    EXPECT_EQ(pc.Read(3), PcPeer::Packet("FAKE SERVER 1.0").substr(0, 3));
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return s.mode == SimMode::Pulled; }));
    struct stat info {};
    EXPECT_NE(::stat(folder.c_str(), &info), 0) << "the device folder is gone";
}

}  // namespace
}  // namespace zqsim::test
