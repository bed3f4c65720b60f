// Transfers the user starts on the calculator: XRECV, XSEND, the screen and the ROM loader.

#include <gtest/gtest.h>

#include <cstdint>

#include "session/PromptTexts.h"
#include "session/SessionBTestSupport.h"
#include "session/SessionCommands.h"
#include "util/AppPaths.h"

namespace vaddex::test {
namespace {

using zqsim::ScreenVariant;
using zqsim::TransportKind;

std::uint32_t Fnv1a(const std::string& bytes) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : bytes) {
        hash = (hash ^ c) * 16777619u;
    }
    return hash;
}

SimFixtureOptions OnLink(TransportKind transport, int speed = 9600) {
    SimFixtureOptions options;
    options.transport = transport;
    options.speed = speed;
    if (transport == TransportKind::Fifo) {
        options.personality = zqsim::Personality::K8GPlus;
    }
    return options;
}

class SessionManualTest : public ::testing::Test {
protected:
    explicit SessionManualTest(SimFixtureOptions options = OnLink(TransportKind::Pty))
        : sim(std::move(options)), commands(sim.Session(), sim.Root()) {
        commands.SelectedPort = sim.PortName();
    }

    // The calculator starts its side as soon as the prompt of `kind` tells the user to.
    void StartOnPrompt(int kind, std::function<void()> start) {
        sim.Ui().SetOnPromptShown([kind, start](int shown) {
            if (shown == kind) {
                start();
            }
        });
    }

    std::string Home(const std::string& name) {
        return sim.FindObject("HOME " + name).value_or("");
    }

    // The screen CaptureOnce captured; empty when none.
    std::string Capture(bool firstRound) {
        std::string image;
        commands.CaptureOnce(firstRound, image);
        return image;
    }

    SimFixture sim;
    SessionCommands commands;
};

class SessionXRecvTest : public SessionManualTest,
                         public ::testing::WithParamInterface<TransportKind> {
protected:
    SessionXRecvTest() : SessionManualTest(OnLink(GetParam())) {}
};

TEST_P(SessionXRecvTest, ManualSendStoresTheFileWhereXRecvWasStarted) {
    std::string path = sim.Files().File("greeting.zq");
    PutFileBytes(path, "ZQZQK8-C" + Home("GREETING"));
    StartOnPrompt(kPromptXRecvBefore, [this] { sim.Server().StartXRecv("GOT"); });

    EXPECT_TRUE(commands.ManualSend(path, kPromptXRecvBefore, kPromptXRecvAfter));
    ASSERT_TRUE(
        sim.Server().WaitFor([](const zqsim::SimStats& s) { return s.objectsStored > 0; }, 5000));
    EXPECT_EQ(Home("GOT"), Home("GREETING"));
    EXPECT_FALSE(sim.Ui().Connected());
    ASSERT_EQ(sim.Ui().Prompts().size(), 2u);
    EXPECT_EQ(sim.Ui().Prompts()[1].kind, kPromptXRecvAfter);
    EXPECT_FALSE(sim.Ui().IsPromptVisible());
}

INSTANTIATE_TEST_SUITE_P(Links, SessionXRecvTest,
                         ::testing::Values(TransportKind::Pty, TransportKind::Fifo),
                         [](const auto& info) {
                             return info.param == TransportKind::Pty ? "Pty" : "Fifo";
                         });

TEST_F(SessionManualTest, ClosingThePromptBeforeTheCalculatorStartsSendsNothing) {
    std::string path = sim.Files().File("x.zq");
    PutFileBytes(path, "ZQZQK8-C" + Home("X"));
    sim.Ui().CancelWhenPromptShown(kPromptXRecvBefore);
    sim.Ui().ClearRecords();
    zqsim::SimStats before = sim.Server().Stats();

    EXPECT_FALSE(commands.ManualSend(path, kPromptXRecvBefore, kPromptXRecvAfter));
    EXPECT_EQ(sim.Ui().Count("StatusWindow("), 0) << "no transfer was started";
    EXPECT_EQ(sim.Server().Stats().blocksReceived, before.blocksReceived);
    EXPECT_EQ(sim.Ui().Prompts().size(), 1u) << "no closing instruction";
    EXPECT_FALSE(sim.Ui().Connected());
}

TEST_F(SessionManualTest, DownloadServerSendsTheServerProgramInSmallBlocks) {
    StartOnPrompt(kPromptServerBefore, [this] { sim.Server().StartXRecv("XS"); });
    EXPECT_TRUE(commands.DownloadServer());
    ASSERT_TRUE(
        sim.Server().WaitFor([](const zqsim::SimStats& s) { return s.objectsStored > 0; }, 5000));
    std::string file = FileBytes(DataFolder() + "XSrvrK7.zq");
    EXPECT_EQ(Home("XS"), file.substr(8));
    EXPECT_EQ(sim.Ui().Prompts().back().kind, kPromptServerAfter);
}

TEST_F(SessionManualTest, UploadWritesWhatXSendSentCutToTheObject) {
    std::string path = sim.Files().File("up.zq");
    sim.Server().StartXSend("LIST1");
    EXPECT_TRUE(commands.UploadFile(path));
    std::string file = FileBytes(path);
    EXPECT_EQ(file.substr(0, 6), "ZQZQK8");
    EXPECT_EQ(file.substr(8), Home("LIST1"));
    EXPECT_TRUE(sim.Session().Data.empty());
    EXPECT_FALSE(sim.Ui().Connected());
    EXPECT_EQ(sim.Ui().Prompts().back().kind, kPromptXSend);
}

TEST_F(SessionManualTest, UploadCancelledAtThePromptOpensNothing) {
    sim.Ui().QueuePromptAnswer(false);
    std::string path = sim.Files().File("none.zq");
    EXPECT_FALSE(commands.UploadFile(path));
    EXPECT_FALSE(FileExists(path));
}

// --- the screen --------------------------------------------------------------------------

struct ScreenRow {
    const char* name;
    ScreenVariant variant;
    std::size_t size;
    std::size_t headAt;  // the first byte is a lead byte of the calculator's choice
    std::string head;
};

class SessionScreenTest : public SessionManualTest,
                          public ::testing::WithParamInterface<ScreenRow> {};

TEST_P(SessionScreenTest, CaptureReturnsFirstByteHeaderAndImage) {
    const ScreenRow& row = GetParam();
    ASSERT_TRUE(commands.PrepareCapture());
    StartOnPrompt(kPromptCaptureFirst, [&] { sim.Server().StartScreen(row.variant); });
    std::string screen = Capture(true);
    ASSERT_EQ(screen.size(), row.size);
    EXPECT_EQ(screen.substr(row.headAt, row.head.size()), row.head);
    EXPECT_FALSE(sim.Ui().Connected());
    EXPECT_FALSE(sim.Ui().IsPromptVisible());
}

INSTANTIATE_TEST_SUITE_P(Variants, SessionScreenTest,
                         ::testing::Values(ScreenRow{"Esc", ScreenVariant::Esc, 1081, 0, "\x1b"},
                                           ScreenRow{"W", ScreenVariant::W, 1094, 1,
                                                     std::string("W\0\x01\x40\x83", 5)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionManualTest, SecondCaptureAsksAnotherAndClosingItEndsWithoutPicture) {
    ASSERT_TRUE(commands.PrepareCapture());
    sim.Ui().CancelWhenPromptShown(kPromptCaptureAgain);
    sim.Ui().ClearRecords();
    EXPECT_TRUE(Capture(false).empty());
    ASSERT_EQ(sim.Ui().Prompts().size(), 1u);
    EXPECT_EQ(sim.Ui().Prompts()[0].kind, kPromptCaptureAgain);
    EXPECT_EQ(sim.Ui().Prompts()[0].caption, "Do Another Capture?");
    EXPECT_EQ(sim.Ui().Count("StatusWindow("), 0);
}

TEST_F(SessionManualTest, CaptureCancelledInTheProgressWindowDropsTheImage) {
    ASSERT_TRUE(commands.PrepareCapture());
    sim.Ui().CancelWhenReportPasses(10);
    StartOnPrompt(kPromptCaptureFirst, [this] { sim.Server().StartScreen(ScreenVariant::Esc); });
    EXPECT_TRUE(Capture(true).empty());
    EXPECT_EQ(sim.Ui().Count("StatusWindow(Capturing Screen|true)"), 1);
}

class SessionCaptureSpeedTest : public SessionManualTest {
protected:
    SessionCaptureSpeedTest() : SessionManualTest(OnLink(TransportKind::Pty, 57600)) {}
};

TEST_F(SessionCaptureSpeedTest, SerialLineAt57600AsksFor115200AndDecliningEndsTheCapture) {
    sim.Ui().QueuePromptAnswer(false);
    EXPECT_FALSE(commands.PrepareCapture());
    EXPECT_EQ(sim.State().captureSpeed, 115200);
    ASSERT_EQ(sim.Ui().Prompts().size(), 1u);
    EXPECT_EQ(sim.Ui().Prompts()[0].caption, "Set the Calculator");
    EXPECT_EQ(sim.Ui().Prompts()[0].text,
              "Screen Capture requires that the calculator operate at \r\n115200 baud  (see "
              "IOPAR in VAR).\r\n\r\nMay I change the speed temporarily for the Screen Capture?");
    EXPECT_FALSE(sim.Ui().Connected()) << "disconnected before asking";
}

// --- the ROM loader on the USB device ------------------------------------------------------

class SessionRomTest : public SessionManualTest {
protected:
    SessionRomTest() : SessionManualTest(OnLink(TransportKind::Fifo)) {}
};

TEST_F(SessionRomTest, RomFileStreamsWholeBehindItsLength) {
    std::string rom = PatternText(70000);
    std::string path = sim.Files().File("rom.bin");
    PutFileBytes(path, rom);
    sim.Session().Disconnect();
    sim.Server().StartRom();

    EXPECT_TRUE(commands.DownloadRom(path));
    ASSERT_TRUE(
        sim.Server().WaitFor([](const zqsim::SimStats& s) { return s.rom.finished; }, 5000));
    zqsim::RomReceipt receipt = sim.Server().Stats().rom;
    EXPECT_EQ(receipt.announcedSize, rom.size());
    EXPECT_EQ(receipt.receivedSize, rom.size());
    EXPECT_TRUE(receipt.complete);
    EXPECT_EQ(receipt.fnv1a, Fnv1a(rom));
    EXPECT_FALSE(sim.Link().IsOpen()) << "the ROM sender closes the port";
    EXPECT_EQ(sim.Ui().Count("Message("), 0);
}

TEST_F(SessionRomTest, MissingRomFileShowsTheDownloadError) {
    std::string path = sim.Files().File("missing.bin");
    EXPECT_FALSE(commands.DownloadRom(path));
    ASSERT_EQ(sim.Ui().Messages().size(), 1u);
    EXPECT_EQ(sim.Ui().Messages()[0].caption, "Download Error");
    EXPECT_EQ(sim.Ui().Messages()[0].text, "Download of ROM file \r\n" + path + "\r\nfailed.");
    EXPECT_FALSE(sim.Ui().Connected());
    EXPECT_FALSE(sim.Ui().Busy());
}

}  // namespace
}  // namespace vaddex::test
