#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/CommLink.h"
#include "session/CalculatorState.h"
#include "session/TXModemServer.h"
#include "session/TXPObject.h"
#include "sim/calc/SimCalculator.h"
#include "sim/server/SimServer.h"
#include "support/ScriptedUiBridge.h"
#include "support/TempDir.h"

namespace vaddex::test {

// How a SimFixture sets up the simulated calculator and the session.
struct SimFixtureOptions {
    zqsim::Personality personality = zqsim::Personality::K8;
    // The K8G+ always runs on the FIFO pair (the USB device), whatever is chosen here.
    zqsim::TransportKind transport = zqsim::TransportKind::Pty;
    int speed = 9600;     // the session's Speed; ignored by the USB link
    bool connect = true;  // Connect at construction
    zqsim::SimCalculatorOptions calculator;
    // The simulator's own options. The fixture sets personality, transport and usbRoot; its
    // defaults make busy times short so a test does not sit out the calculator's real pace.
    zqsim::SimServerOptions server = QuickServer();

    static zqsim::SimServerOptions QuickServer() {
        zqsim::SimServerOptions options;
        options.timeScale = 0.05;
        options.screenDelayMs = 0;
        return options;
    }
};

// An in-process simulated calculator (SimServer with a SimCalculator) on a pty or a FIFO pair
// under a private VADDEX_USB_ROOT, and the program's side over the real link: CommLink,
// ScriptedUiBridge, CalculatorState and TXModemServer, with the root item "HOME". The thread
// that makes it is the UI thread. The environment variables it sets are restored when it
// goes, so fixtures must not overlap in time.
class SimFixture {
public:
    // Starts the simulator and, with options.connect, connects (failures are thrown).
    explicit SimFixture(SimFixtureOptions options = {});
    ~SimFixture();
    SimFixture(const SimFixture&) = delete;
    SimFixture& operator=(const SimFixture&) = delete;

    // Session().Connect on the simulator's port at options.speed; blocks until connected.
    void Connect();

    const SimFixtureOptions& Options() const { return options_; }
    // The pty slave path or the USB device name, as a user would pick it from the port list.
    std::string PortName() const { return server_->PortName(); }
    // The folder of the FIFO-pair devices (VADDEX_USB_ROOT while the fixture lives).
    const std::string& UsbRoot() const { return usbRoot_; }
    // A folder for the test's PC files.
    const TempDir& Files() const { return files_; }

    zqsim::SimServer& Server() { return *server_; }
    // Runs fn on the simulated calculator under the server's lock.
    void WithCalculator(const std::function<void(zqsim::SimCalculator&)>& fn);
    std::vector<zqsim::SimVariableInfo> Snapshot();
    // The object at a path such as "HOME A X" (packed bytes, no header).
    std::optional<std::string> FindObject(const std::string& path);
    // Stores packed object bytes at a path such as "HOME X".
    bool StoreAt(const std::string& path, const std::string& objectBytes);

    ScriptedUiBridge& Ui() { return *ui_; }
    CalculatorState& State() { return state_; }
    CommLink& Link() { return *link_; }
    TXModemServer& Session() { return *session_; }
    // The root item "HOME" that ReadDirectoryTree fills.
    TXPObject& Root() { return root_; }

    // Sets VADDEX_EXTRA_PORTS to the paths, joined by ":" (restored when the fixture goes).
    void SetExtraPorts(const std::vector<std::string>& paths);

private:
    class EnvSetting;

    SimFixtureOptions options_;
    TempDir files_;
    TempDir usbFolder_;
    std::string usbRoot_;
    std::unique_ptr<EnvSetting> usbRootEnv_;
    std::unique_ptr<EnvSetting> extraPortsEnv_;
    std::unique_ptr<zqsim::SimCalculator> calculator_;
    std::unique_ptr<zqsim::SimServer> server_;
    CalculatorState state_;
    std::unique_ptr<ScriptedUiBridge> ui_;
    std::unique_ptr<CommLink> link_;
    std::unique_ptr<TXModemServer> session_;
    TXPObject root_;
};

}  // namespace vaddex::test
