#include <termios.h>

#include "SimServerFixture.h"
#include "sim/server/ManualModes.h"
#include "sim/server/ScreenImage.h"
#include "util/Ticks.h"

namespace zqsim::test {
namespace {

bool InMode(const SimStats& s, SimMode mode) {
    return s.mode == mode;
}

TEST_F(SimServerTest, XRecvAsksAgainAfterAPauseThenStores) {
    Serve();
    server->StartXRecv("X");
    EXPECT_EQ(pc.Read(1), "D");
    std::int64_t first = vaddex::TickMs();
    EXPECT_EQ(pc.Read(1, 10000), "D");
    EXPECT_GE(vaddex::TickMs() - first, 700) << "the request was repeated without a pause";
    pc.Write(PcPeer::Block(1,
                           "ZQZQK8-R"
                           "hello",
                           128, 'D'));
    EXPECT_EQ(pc.Read(1), std::string(1, kAckByte));
    pc.Write(std::string(1, kEotByte));
    EXPECT_EQ(pc.Read(1), std::string(1, kAckByte));
    ASSERT_TRUE(WaitFor(
        [](const SimStats& s) { return s.manualModesEnded == 1 && s.mode == SimMode::Server; }));
    EXPECT_EQ(server->Stats().lastStoredName, "X");
    EXPECT_EQ(server->Stats().lastStoredObject.substr(0, 5), "hello");
}

TEST_F(SimServerTest, XSendWaitsForThePcsNakAndSends) {
    Serve();
    calculator.variables["Y"] = "hello";
    server->StartXSend("Y");
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return InMode(s, SimMode::XSend); }));
    EXPECT_EQ(pc.Read(1, 300), "") << "XSEND must wait for the receiver";
    pc.WriteByte(0x15);
    std::string block = pc.Read(1028);
    ASSERT_EQ(block.size(), 1028u);
    EXPECT_EQ(block.substr(3, 13), "ZQZQK8-Rhello");
    pc.Write(std::string(1, kAckByte));
    EXPECT_EQ(pc.Read(1), std::string(1, kEotByte));
    pc.Write(std::string(1, kAckByte));
    EXPECT_TRUE(WaitFor([](const SimStats& s) { return s.lastOutcome == "xsend sent Y"; }));
}

struct ScreenRow {
    const char* fault;  // the case the row pins down
    ScreenVariant variant;
    std::size_t length;
};

class ScreenTest : public SimServerTest, public ::testing::WithParamInterface<ScreenRow> {};

TEST_P(ScreenTest, StreamHasTheLengthItsHeaderAnnounces) {
    Serve();
    server->StartScreen(GetParam().variant);
    std::string stream = pc.Read(GetParam().length);
    EXPECT_EQ(stream.size(), GetParam().length) << GetParam().fault;
    EXPECT_EQ(pc.ReadUntilQuiet(100), "") << GetParam().fault;
    if (stream.size() < 6) {
        return;
    }
    auto h = [&](int i) { return static_cast<unsigned char>(stream[static_cast<std::size_t>(i)]); };
    if (stream[0] == '\x1B') {
        EXPECT_EQ(stream.size(), 1u + 1080u);
    } else if (stream[1] == 'W' || stream[1] == 'G') {
        EXPECT_EQ(stream.size(), 1u + 5u + 1084u);
    } else {
        std::size_t announced = h(3) * h(4) * ((h(5) + 7u) / 8u);
        EXPECT_EQ(stream.size(), 6u + announced);
        EXPECT_EQ(announced > 2176, GetParam().variant == ScreenVariant::TooLarge);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Variants, ScreenTest,
    ::testing::Values(ScreenRow{"esc stream is ESC and 1080 bytes", ScreenVariant::Esc, 1081},
                      ScreenRow{"W header carries 1084 bytes", ScreenVariant::W, 1090},
                      ScreenRow{"G header carries 1084 bytes", ScreenVariant::G, 1090},
                      ScreenRow{"generic header sizes the image", ScreenVariant::Generic, 1094},
                      ScreenRow{"too large header is refused", ScreenVariant::TooLarge, 2726}),
    [](const auto& info) { return std::string(ScreenVariantName(info.param.variant)); });

TEST(ScreenImageTest, TextIsPaintedInBothLayouts) {
    ScreenImage image = ScreenImage::FromLines({"A", "", "", "", "", "", "", "      ."});
    // The glyph of "A": its first column is rows 1 to 6 dark.
    EXPECT_FALSE(image.Pixel(0, 0));
    EXPECT_TRUE(image.Pixel(0, 1));
    std::string bands = image.Bands();
    EXPECT_EQ(static_cast<unsigned char>(bands[1]), 0x7E);
    EXPECT_EQ(static_cast<unsigned char>(bands[0]), 0) << "a band's first byte is no column";
    std::string rows = image.Rows(64);
    EXPECT_EQ(rows[17] & 1, 1) << "row 1, column 0";
    // The full stop of the last line sits in band 7, cell 6.
    EXPECT_NE(bands[7 * 135 + 1 + 6 * 6 + 1], 0);
}

TEST_F(SimServerTest, ScreenWaitsForItsTriggerWhenNoDelayIsSet) {
    SimServerOptions options = Quick();
    options.screenDelayMs = -1;
    Serve(options);
    server->StartScreen(ScreenVariant::Esc);
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return InMode(s, SimMode::Screen); }));
    EXPECT_EQ(pc.Read(1, 400), "");
    server->TriggerScreen();
    EXPECT_EQ(pc.Read(1081).size(), 1081u);
    EXPECT_TRUE(WaitFor([](const SimStats& s) { return s.screensSent == 1; }));
}

// Only lower bounds here: the pty starts at 9600 bit/s, so a simulator that kept that pace
// instead of the PC's 4800 would finish in half the time. How closely a fast line keeps its
// pace is measured by bench_sim_pacing.
TEST_F(SimServerTest, PacedOutputFollowsTheSpeedThePcSet) {
    SimServerOptions options = Quick();
    options.pacing = true;
    options.screenDelayMs = -1;
    Serve(options);
    pc.SetSpeed(B4800);
    server->StartScreen(ScreenVariant::Esc);
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return InMode(s, SimMode::Screen); }));
    server->TriggerScreen();
    EXPECT_EQ(pc.Read(1), "\x1B");
    std::int64_t start = vaddex::TickMs();
    EXPECT_EQ(pc.Read(1080).size(), 1080u);
    EXPECT_GE(vaddex::TickMs() - start, 2000) << "4800 bit/s is 480 bytes per second";
}

TEST_F(SimServerTest, PacedInputArrivesNoFasterThanTheLine) {
    SimServerOptions options = Quick();
    options.pacing = true;
    Serve(options);
    pc.SetSpeed(B9600);
    server->StartRom();
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return InMode(s, SimMode::Rom); }));
    std::int64_t start = vaddex::TickMs();
    pc.Write(std::string("\xC0\x03\x00\x00", 4) + std::string(960, 'r'));
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return s.rom.finished; }, 8000));
    EXPECT_GE(vaddex::TickMs() - start, 900) << "964 bytes at 960 bytes per second";
    EXPECT_TRUE(server->Stats().rom.complete);
}

TEST_F(SimServerTest, RomLoaderCountsAndChecksWhatArrives) {
    SimServerOptions options = Quick();
    options.transport = TransportKind::Fifo;
    Serve(options);
    server->StartRom();
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return InMode(s, SimMode::Rom); }));
    std::string rom = std::string("\x88\x13\x00\x00", 4) + std::string(5000, '\0');
    std::uint32_t fnv = 2166136261u;
    for (std::size_t i = 4; i < rom.size(); ++i) {
        rom[i] = static_cast<char>(i * 13);
        fnv = (fnv ^ static_cast<unsigned char>(rom[i])) * 16777619u;
    }
    pc.Write(rom);
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return s.rom.finished; }));
    RomReceipt receipt = server->Stats().rom;
    EXPECT_EQ(receipt.announcedSize, 5000u);
    EXPECT_EQ(receipt.receivedSize, 5000u);
    EXPECT_EQ(receipt.fnv1a, fnv);
    EXPECT_TRUE(receipt.complete);
}

TEST_F(SimServerTest, RomLoaderReportsAShortDownload) {
    Serve();
    server->StartRom();
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return InMode(s, SimMode::Rom); }));
    pc.Write(std::string("\x64\x00\x00\x00", 4) + std::string(50, 'r'));
    ASSERT_TRUE(WaitFor([](const SimStats& s) { return s.rom.finished; }, 8000));
    EXPECT_EQ(server->Stats().rom.receivedSize, 50u);
    EXPECT_FALSE(server->Stats().rom.complete);
}

TEST_F(SimServerTest, KermitServerSendsItsPacketsAndAnswersNoLetter) {
    Serve();
    server->StartKermit();
    EXPECT_EQ(pc.Read(6), KermitNakPacket(0));
    EXPECT_EQ(KermitNakPacket(0), std::string("\x01# N3\r"));
    pc.Write("V");
    std::string more = pc.Read(12, 1000);
    ASSERT_EQ(more.size(), 12u);
    EXPECT_EQ(more.substr(0, 6), KermitNakPacket(1));
    EXPECT_EQ(more[6], '\x01') << "no version packet between Kermit packets";
}

}  // namespace
}  // namespace zqsim::test
