#include "support/SimFixture.h"

#include <cstdlib>
#include <utility>

namespace vaddex::test {

// Sets an environment variable for its lifetime and puts the previous value back.
class SimFixture::EnvSetting {
public:
    EnvSetting(std::string name, const std::string& value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) {
            previous_ = old;
        }
        ::setenv(name_.c_str(), value.c_str(), 1);
    }
    ~EnvSetting() {
        if (previous_) {
            ::setenv(name_.c_str(), previous_->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }
    EnvSetting(const EnvSetting&) = delete;
    EnvSetting& operator=(const EnvSetting&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

SimFixture::SimFixture(SimFixtureOptions options) : options_(std::move(options)) {
    usbRoot_ = usbFolder_.Path();
    usbRoot_.pop_back();  // no trailing "/": device folders are root + "/" + name
    usbRootEnv_ = std::make_unique<EnvSetting>("VADDEX_USB_ROOT", usbRoot_);
    // Only the ports a test names are searched, never the machine's own serial ports' peers.
    extraPortsEnv_ = std::make_unique<EnvSetting>("VADDEX_EXTRA_PORTS", "");

    zqsim::SimServerOptions& server = options_.server;
    server.personality = options_.personality;
    if (options_.personality == zqsim::Personality::K8GPlus) {
        options_.transport = zqsim::TransportKind::Fifo;
    }
    server.transport = options_.transport;
    server.usbRoot = usbRoot_;

    calculator_ = std::make_unique<zqsim::SimCalculator>(options_.personality, options_.calculator);
    server_ = std::make_unique<zqsim::SimServer>(*calculator_, server);
    server_->Start();

    ui_ = std::make_unique<ScriptedUiBridge>(state_);
    link_ = std::make_unique<CommLink>(*ui_);
    session_ = std::make_unique<TXModemServer>(*link_, *ui_);
    session_->OnStatus = [this](TXModemServer&, const std::string& text) {
        ui_->RecordStatus(text);
    };
    session_->SetSpeed(std::to_string(options_.speed));

    root_.MakeHome(*session_);

    if (options_.connect) {
        Connect();
    }
}

SimFixture::~SimFixture() {
    // The session closes the port before the simulator's end of it goes away.
    root_.ClearChildren();
    session_.reset();
    link_.reset();
    server_->Stop();
    server_.reset();
    ui_.reset();
    calculator_.reset();
}

void SimFixture::Connect() {
    session_->SetSpeed(std::to_string(options_.speed));
    session_->Connect(PortName());
}

void SimFixture::WithCalculator(const std::function<void(zqsim::SimCalculator&)>& fn) {
    server_->WithCalculator([&](zqsim::CalculatorModel&) { fn(*calculator_); });
}

std::vector<zqsim::SimVariableInfo> SimFixture::Snapshot() {
    std::vector<zqsim::SimVariableInfo> result;
    WithCalculator([&](zqsim::SimCalculator& calculator) { result = calculator.Snapshot(); });
    return result;
}

std::optional<std::string> SimFixture::FindObject(const std::string& path) {
    std::optional<std::string> result;
    WithCalculator([&](zqsim::SimCalculator& calculator) { result = calculator.FindObject(path); });
    return result;
}

bool SimFixture::StoreAt(const std::string& path, const std::string& objectBytes) {
    bool stored = false;
    WithCalculator(
        [&](zqsim::SimCalculator& calculator) { stored = calculator.StoreAt(path, objectBytes); });
    return stored;
}

void SimFixture::SetExtraPorts(const std::vector<std::string>& paths) {
    std::string joined;
    for (const std::string& path : paths) {
        joined += (joined.empty() ? "" : ":") + path;
    }
    extraPortsEnv_.reset();
    extraPortsEnv_ = std::make_unique<EnvSetting>("VADDEX_EXTRA_PORTS", joined);
}

}  // namespace vaddex::test
