#include "frontend/BuiltInCalculator.h"

#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "session/PromptTexts.h"
#include "sim/calc/SimCalculator.h"
#include "sim/server/SimServer.h"

namespace vaddex::frontend {
namespace {

constexpr const char* kUsbRootVariable = "VADDEX_USB_ROOT";
// The screen is sent this long after the prompt asked for it, as a user would press the keys.
constexpr std::int64_t kScreenDelayMs = 1000;
// The built-in calculator thinks ten times faster than a real one, so that trying it is quick.
constexpr double kTimeScale = 0.1;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

zqsim::Personality ModelOf(const std::string& port) {
    std::string upper = Upper(port);
    std::string model = upper.size() > 4 ? upper.substr(4) : "K8";
    if (model == "K7") {
        return zqsim::Personality::K7;
    }
    if (model == "K8") {
        return zqsim::Personality::K8;
    }
    if (model == "K7GII") {
        return zqsim::Personality::K7GII;
    }
    if (model == "K8G+") {
        return zqsim::Personality::K8GPlus;
    }
    throw UnknownSimModel("unknown simulated calculator '" + port +
                          "' (sim, sim:K7, sim:K8, sim:K7GII or sim:K8G+)");
}

std::string MakePrivateFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/vaddex-usb-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(),
                                "cannot make a folder for the simulated USB device");
    }
    return pattern;
}

}  // namespace

bool BuiltInCalculator::IsSimPort(const std::string& port) {
    std::string upper = Upper(port);
    return upper == "SIM" || upper.rfind("SIM:", 0) == 0;
}

BuiltInCalculator::BuiltInCalculator(const std::string& port) {
    zqsim::SimServerOptions options;
    options.personality = ModelOf(port);
    options.screenDelayMs = kScreenDelayMs;
    options.timeScale = kTimeScale;
    firstSeries_ = options.personality == zqsim::Personality::K7;
    if (options.personality == zqsim::Personality::K8GPlus) {
        usbRoot_ = MakePrivateFolder();
        if (const char* previous = std::getenv(kUsbRootVariable)) {
            previousUsbRoot_ = previous;
        }
        ::setenv(kUsbRootVariable, usbRoot_.c_str(), 1);
        options.transport = zqsim::TransportKind::Fifo;
        options.usbRoot = usbRoot_;
    }
    try {
        calculator_ = std::make_unique<zqsim::SimCalculator>(options.personality);
        server_ = std::make_unique<zqsim::SimServer>(*calculator_, options);
        server_->Start();
    } catch (...) {
        RemoveUsbRoot();
        throw;
    }
}

BuiltInCalculator::~BuiltInCalculator() {
    server_->Stop();
    server_.reset();
    RemoveUsbRoot();
}

void BuiltInCalculator::RemoveUsbRoot() {
    if (!usbRoot_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(usbRoot_, ignored);
        if (previousUsbRoot_) {
            ::setenv(kUsbRootVariable, previousUsbRoot_->c_str(), 1);
        } else {
            ::unsetenv(kUsbRootVariable);
        }
    }
}

std::string BuiltInCalculator::PortName() const {
    return server_->PortName();
}

void BuiltInCalculator::PlayXRecv(const std::string& name) {
    server_->StartXRecv(name);
}

void BuiltInCalculator::PlayXSend(const std::string& name) {
    server_->StartXSend(name);
}

bool BuiltInCalculator::HasVariable(const std::string& name) const {
    return calculator_->RecallFile(name).has_value();
}

void BuiltInCalculator::PlayScreen() {
    // The first series sends ESC and the bands; the second a header and the rows.
    server_->StartScreen(firstSeries_ ? zqsim::ScreenVariant::Esc : zqsim::ScreenVariant::W);
}

void BuiltInCalculator::PlayRom() {
    server_->StartRom();
}

void BuiltInCalculator::PlayPrompt(int kind, const std::string& name) {
    switch (kind) {
        case kPromptServerBefore:
        case kPromptXRecvBefore:
            PlayXRecv(name);
            break;
        case kPromptXSend:
            PlayXSend(name);
            break;
        case kPromptCaptureFirst:
        case kPromptCaptureAgain:
            PlayScreen();
            break;
        case kPromptRom:
            PlayRom();
            break;
        default:
            break;
    }
}

}  // namespace vaddex::frontend
