#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "session/TXModemServer.h"
#include "sim/calc/PersonalityInfo.h"
#include "support/FifoDevice.h"
#include "support/PtyPeer.h"
#include "support/SimFixture.h"
#include "util/Errors.h"

namespace vaddex::test {
namespace {

using zqsim::Personality;

constexpr const char* kNoDeviceDetected =
    "Error (No device detected. Check the cable connections and the calculator.)";

// The link's reason, when it gives one beyond the connection error, follows the port.
std::string UnableToOpen(const std::string& port, const std::string& reason = "") {
    return "Error (The Vaddex is unable to open communications to: " + port +
           (reason.empty() ? "" : " (" + reason + ")") + ")";
}

// The message of the error that `fn` raises, or "" when it raises none.
template <typename Fn>
std::string ErrorOf(Fn fn) {
    try {
        fn();
    } catch (const LinkError& e) {
        return e.what();
    }
    return "";
}

bool HasVariable(SimFixture& sim, const std::string& name) {
    for (const zqsim::SimVariableInfo& info : sim.Snapshot()) {
        if (info.name == name) {
            return true;
        }
    }
    return false;
}

// --- identification of each personality --------------------------------------------------

struct IdentifyRow {
    const char* name;
    Personality personality;
    int speed;
    const char* series;
    const char* model;
    const char* rom;
    int profile;
    int captureSpeed;
};

class IdentifyTest : public ::testing::TestWithParam<IdentifyRow> {};

TEST_P(IdentifyTest, ConnectIdentifiesTheCalculator) {
    const IdentifyRow& row = GetParam();
    SimFixtureOptions options;
    options.personality = row.personality;
    options.speed = row.speed;
    SimFixture sim(options);
    TXModemServer& session = sim.Session();
    const CalculatorState& state = sim.State();

    EXPECT_TRUE(session.IsConnected());
    EXPECT_EQ(session.PortName, sim.PortName()) << "the port name is kept as it was given";
    EXPECT_TRUE(sim.Ui().Connected());
    EXPECT_EQ(state.series, row.series);
    EXPECT_EQ(state.modelName, row.model);
    EXPECT_EQ(state.romVersion, row.rom);
    EXPECT_EQ(state.calculatorFlags, "10");  // flag -36 set, -51 clear
    EXPECT_EQ(state.captureSpeed, row.captureSpeed);
    EXPECT_EQ(sim.Link().TimingProfile(), row.profile);
    EXPECT_EQ(session.VersionText,
              std::string(zqsim::InfoOf(row.personality).serverVersion) + "   ROM: " + row.rom);
    EXPECT_FALSE(HasVariable(sim, "$$$t")) << "the identification variable is purged";
    EXPECT_FALSE(sim.Ui().IsConnectStatusVisible());
    EXPECT_EQ(sim.Ui().Count("ConnectStatus(true)"), 1);
    EXPECT_EQ(sim.Ui().Count("Working(true)"), 0) << "the connect status stands for it";
}

INSTANTIATE_TEST_SUITE_P(
    Personalities, IdentifyTest,
    ::testing::Values(
        IdentifyRow{"K7At9600", Personality::K7, 9600, "K7", "K7", "M", 1, 0},
        IdentifyRow{"K7At38400", Personality::K7, 38400, "K7", "K7", "M", 2, 9600},
        IdentifyRow{"K7At115200", Personality::K7, 115200, "K7", "K7", "M", 2, 9600},
        IdentifyRow{"K8At9600", Personality::K8, 9600, "K8", "K8", "R", 0, 0},
        IdentifyRow{"K8At38400", Personality::K8, 38400, "K8", "K8", "R", 0, 9600},
        IdentifyRow{"K8At115200", Personality::K8, 115200, "K8", "K8", "R", 0, 9600},
        IdentifyRow{"K7GIIAt9600IsAK8", Personality::K7GII, 9600, "K8", "K8", "C", 0, 0},
        IdentifyRow{"K7GIIAt38400", Personality::K7GII, 38400, "K8", "K7GII", "C", 0, 115200},
        IdentifyRow{"K7GIIAt115200", Personality::K7GII, 115200, "K8", "K7GII", "C", 0, 0},
        IdentifyRow{"K8GPlusOverUsb", Personality::K8GPlus, 9600, "K8", "K8G+", "X", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConnectTest, FlagsOfTheCalculatorBecomeOverwriteAndDecimalMark) {
    SimFixtureOptions options;
    options.calculator.flag36 = false;
    options.calculator.flag51 = true;
    SimFixture sim(options);
    EXPECT_EQ(sim.State().calculatorFlags, "01");
    EXPECT_FALSE(sim.State().OverwriteFlag());
    EXPECT_EQ(sim.State().DecimalMark(), ',');
}

TEST(ConnectTest, UsbLinkReportsItsOwnSpeed) {
    SimFixtureOptions options;
    options.personality = Personality::K8GPlus;
    SimFixture sim(options);
    EXPECT_EQ(sim.Session().GetSpeed(), "130000");
    sim.Session().Disconnect();
    EXPECT_EQ(sim.Session().GetSpeed(), "9600");
}

// --- connections that fail ------------------------------------------------------------------

class ConnectFailureTest : public ::testing::Test {
protected:
    static SimFixtureOptions Unconnected() {
        SimFixtureOptions options;
        options.connect = false;
        return options;
    }
    void ExpectDisconnected() {
        EXPECT_FALSE(sim.Session().IsConnected());
        EXPECT_FALSE(sim.Link().IsOpen());
        EXPECT_FALSE(sim.Ui().IsConnectStatusVisible());
        EXPECT_EQ(sim.Session().StatusText, "");
    }
    SimFixture sim{Unconnected()};
};

TEST_F(ConnectFailureTest, KermitServerIsRefusedWithWrongServer) {
    sim.Server().StartKermit();
    std::string port = sim.PortName();
    EXPECT_EQ(
        ErrorOf([&] { sim.Session().Connect(port); }),
        "Error (the calculator on " + port + " runs its Kermit server, not the XModem server)");
    std::vector<ScriptedUiBridge::Message> messages = sim.Ui().Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Wrong Server");
    EXPECT_EQ(messages[0].text,
              "Calculator is using the Kermit Server.\n\r\n\rStop the calculator.\n\rBe sure to "
              "release the right-shift before pressing right-arrow.");
    EXPECT_EQ(sim.Server().Stats().letters['V'], 0);
    ExpectDisconnected();
}

// The port opened: what failed is the calculator's answer, not the port.
TEST_F(ConnectFailureTest, SilentCalculatorFailsTheConnect) {
    sim.Server().EnterIdle();
    std::string port = sim.PortName();
    EXPECT_EQ(ErrorOf([&] { sim.Session().Connect(port); }),
              "Error (no calculator answered on " + port + ")");
    ExpectDisconnected();
}

TEST_F(ConnectFailureTest, PortThatDoesNotOpenNamesThePortAsGiven) {
    std::string port = sim.Files().File("No/Such/Port");
    EXPECT_EQ(ErrorOf([&] { sim.Session().Connect(port); }),
              UnableToOpen(port, std::strerror(ENOENT)));
    ExpectDisconnected();
}

TEST_F(ConnectFailureTest, SpeedThatIsNoNumberFailsTheOpen) {
    sim.Session().SetSpeed("96oo");
    std::string port = sim.PortName();
    EXPECT_EQ(ErrorOf([&] { sim.Session().Connect(port); }),
              UnableToOpen(port, "Speed is not a number: 96oo"));
    ExpectDisconnected();
    EXPECT_EQ(sim.Server().Stats().letters['V'], 0);
}

TEST_F(ConnectFailureTest, EmptyNameOnlyClosesThePort) {
    sim.Connect();
    ASSERT_TRUE(sim.Link().IsOpen());
    EXPECT_EQ(ErrorOf([&] { sim.Session().Connect(""); }), "");
    EXPECT_FALSE(sim.Link().IsOpen());
    EXPECT_FALSE(sim.Session().IsConnected());
}

TEST_F(ConnectFailureTest, DisconnectEndsTheServerAndKeepsThePortName) {
    sim.Connect();
    sim.Session().Disconnect();
    EXPECT_TRUE(
        sim.Server().WaitFor([](const zqsim::SimStats& s) { return s.letters['Q'] == 1; }, 5000));
    EXPECT_FALSE(sim.Link().IsOpen());
    EXPECT_FALSE(sim.Ui().Connected());
    EXPECT_EQ(sim.Session().PortName, sim.PortName());
}

// --- the automatic search -------------------------------------------------------------------

TEST_F(ConnectFailureTest, AutoSkipsASilentPortAndConnectsToTheNext) {
    PtyPeer silent;
    sim.SetExtraPorts({silent.SlavePath(), sim.PortName()});
    sim.Session().Connect("auto");
    EXPECT_EQ(sim.Session().PortName, sim.PortName());
    EXPECT_EQ(sim.State().series, "K8");
    int trySilent = sim.Ui().Find("Status(Trying " + silent.SlavePath() + ")");
    int tryLive = sim.Ui().Find("Status(Trying " + sim.PortName() + ")");
    EXPECT_GE(trySilent, 0);
    EXPECT_GT(tryLive, trySilent);
    EXPECT_EQ(sim.Ui().Count("Status(Trying Auto"), 0);
}

TEST_F(ConnectFailureTest, AutoWithNothingAnsweringReportsNoDevice) {
    PtyPeer silent;
    sim.SetExtraPorts({silent.SlavePath()});
    EXPECT_EQ(ErrorOf([&] { sim.Session().Connect("AUTO"); }), kNoDeviceDetected);
    EXPECT_EQ(sim.Session().StatusText,
              "No device detected. Check the cable connections and the calculator.");
    EXPECT_FALSE(sim.Ui().Connected());
    EXPECT_FALSE(sim.Session().IsConnected());
}

// The machine's own serial ports are listed too, so the search is compared with the list.
TEST_F(ConnectFailureTest, AutoTriesEveryListedPortButAutoAndNothingElse) {
    sim.Link().SetPortListSeparator("\n");
    std::string listing = sim.Link().ListPorts();
    std::vector<std::string> expected;
    for (std::size_t begin = listing.find('\n') + 1; begin < listing.size();) {
        std::size_t end = listing.find('\n', begin);
        expected.push_back("Trying " + listing.substr(begin, end - begin));
        begin = end + 1;
    }
    EXPECT_EQ(ErrorOf([&] { sim.Session().Connect("Auto"); }), kNoDeviceDetected);
    std::vector<std::string> tried;
    for (const std::string& status : sim.Ui().Statuses()) {
        if (status.rfind("Trying ", 0) == 0) {
            tried.push_back(status);
        }
    }
    EXPECT_EQ(tried, expected);
}

TEST_F(ConnectFailureTest, AutoShowsWrongServerButGoesOn) {
    sim.Server().StartKermit();
    PtyPeer silent;
    sim.SetExtraPorts({sim.PortName(), silent.SlavePath()});
    EXPECT_EQ(ErrorOf([&] { sim.Session().Connect("auto"); }), kNoDeviceDetected);
    EXPECT_EQ(sim.Ui().Count("Message(Wrong Server|"), 1);
    EXPECT_GE(sim.Ui().Find("Status(Trying " + silent.SlavePath() + ")"), 0);
}

// Closing "Looking for Calculator" while a silent port is asked for its version ends the
// search there: that port's retries stop at once and no further port is tried.
TEST_F(ConnectFailureTest, AutoStopsWhenTheUserClosesLookingForCalculator) {
    PtyPeer silent;
    PtyPeer second;
    sim.SetExtraPorts({silent.SlavePath(), second.SlavePath(), sim.PortName()});
    std::string asking = "Status(Begin dialog on port: " + silent.SlavePath() + ")";
    sim.Ui().SetOnIdle([&] {
        if (sim.Ui().IsConnectStatusVisible() && sim.Ui().Find(asking) >= 0) {
            sim.Ui().CloseConnectStatus();
        }
    });
    EXPECT_EQ(ErrorOf([&] { sim.Session().Connect("Auto"); }), "Canceled by user");
    sim.Ui().SetOnIdle({});

    EXPECT_EQ(silent.Read(8, 300), "V") << "the version was asked once and never again";
    EXPECT_EQ(sim.Ui().Count("Status(Trying " + second.SlavePath() + ")"), 0);
    EXPECT_EQ(sim.Server().Stats().letters['V'], 0);
    EXPECT_FALSE(sim.Session().IsConnected());
    EXPECT_FALSE(sim.Link().IsOpen());
    EXPECT_FALSE(sim.Ui().Connected());
}

TEST(AutoUsbTest, AutoTriesTheUsbDevicesInOrder) {
    SimFixtureOptions options;
    options.personality = Personality::K8GPlus;
    options.server.deviceName = "ZQx8G+_1";
    options.connect = false;
    SimFixture sim(options);
    FifoDevice silent(sim.UsbRoot(), "ZQx8G+");
    FifoDevice::MakeDeadFolder(sim.UsbRoot(), "ZQx8G+_2");  // nobody serves it: not listed
    sim.Session().Connect("AUTO");
    EXPECT_EQ(sim.Session().PortName, "ZQx8G+_1");
    EXPECT_EQ(sim.State().modelName, "K8G+");
    EXPECT_GE(sim.Ui().Find("Status(Trying ZQx8G+)"), 0);
    EXPECT_EQ(sim.Ui().Count("Status(Trying ZQx8G+_2)"), 0);
    // The listing opened and closed the device's pipes; the simulator still serves.
    EXPECT_NO_THROW(sim.Session().Execute("1 DROP", false, true));
}

// --- opening for a manual transfer ----------------------------------------------------------

TEST_F(ConnectFailureTest, ManualOpenRefusesAuto) {
    EXPECT_FALSE(sim.Session().OpenForManual("Auto"));
    std::vector<ScriptedUiBridge::Message> messages = sim.Ui().Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Com Setting Error");
    EXPECT_EQ(messages[0].text, "Com port cannot be auto for this operation");
    EXPECT_EQ(sim.Session().PortName, "Auto");
    EXPECT_FALSE(sim.Link().IsOpen());
}

TEST_F(ConnectFailureTest, ManualOpenWithoutSpeedOpensNothing) {
    sim.Session().SetSpeed("");
    EXPECT_TRUE(sim.Session().OpenForManual(sim.PortName()));
    EXPECT_FALSE(sim.Link().IsOpen());
}

TEST_F(ConnectFailureTest, ManualOpenTalksToNoServer) {
    EXPECT_TRUE(sim.Session().OpenForManual(sim.PortName()));
    EXPECT_TRUE(sim.Link().IsOpen());
    EXPECT_EQ(sim.Session().StatusText, "Device connected on " + sim.PortName());
    zqsim::SimStats stats = sim.Server().Stats();
    EXPECT_EQ(stats.letters['V'] + stats.letters['M'] + stats.letters['E'], 0);
}

TEST_F(ConnectFailureTest, ManualOpenFailureClosesEverything) {
    std::string port = sim.Files().File("gone");
    EXPECT_EQ(ErrorOf([&] { sim.Session().OpenForManual(port); }),
              UnableToOpen(port, std::strerror(ENOENT)));
    EXPECT_EQ(sim.Session().PortName, "");
    EXPECT_FALSE(sim.Link().IsOpen());
}

}  // namespace
}  // namespace vaddex::test
