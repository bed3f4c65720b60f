#include "frontend/SessionStack.h"

#include <algorithm>
#include <cctype>

#include "link/CommLink.h"
#include "session/SessionCommands.h"
#include "session/TXModemServer.h"
#include "session/TXPObject.h"
#include "session/UiBridge.h"

namespace vaddex::frontend {
namespace {

constexpr const char* kAutoPort = "Auto";

bool SameInAnyCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::toupper(x) == std::toupper(y);
    });
}

bool KeepsUnlisted(const std::string& name, UnlistedPort unlisted) {
    switch (unlisted) {
        case UnlistedPort::KeepAbsolute:
            return !name.empty() && name.front() == '/';
        case UnlistedPort::KeepAnyPath:
            return name.find('/') != std::string::npos;
        case UnlistedPort::ToAuto:
            break;
    }
    return false;
}

}  // namespace

std::string ChooseRememberedPort(const std::string& remembered, UnlistedPort unlisted,
                                 const std::function<std::vector<std::string>()>& listPorts) {
    if (SameInAnyCase(remembered, kAutoPort)) {
        return kAutoPort;
    }
    if (KeepsUnlisted(remembered, unlisted)) {
        return remembered;
    }
    for (const std::string& name : listPorts()) {
        if (SameInAnyCase(name, remembered)) {
            return name;
        }
    }
    return kAutoPort;
}

SessionStack::SessionStack(UiBridge& ui, const StoredSettings& settings,
                           std::function<void(const std::string& text)> onStatus) {
    link_ = std::make_unique<CommLink>(ui);
    link_->SetUsbIds(settings.usbIds);
    // One name a line, so that the list splits into names.
    link_->SetPortListSeparator("\n");
    session_ = std::make_unique<TXModemServer>(*link_, ui);
    session_->OnStatus = [onStatus = std::move(onStatus)](TXModemServer&, const std::string& text) {
        if (onStatus) {
            onStatus(text);
        }
    };
    root_ = std::make_unique<TXPObject>();
    root_->MakeHome(*session_);
    commands_ = std::make_unique<SessionCommands>(*session_, *root_);
    commands_->AddExtension = settings.addExtension;
    session_->ChecksumPorts = settings.checksumPorts;
    session_->OnChecksumFallback = [this](const std::string& port) {
        rememberChecksumPort ? rememberChecksumPort(port) : (void)RememberChecksumPort(port);
    };
}

SessionStack::~SessionStack() = default;

std::vector<std::string> SessionStack::ListPorts() {
    std::vector<std::string> ports = commands_->ListPorts();
    for (const std::string& kept : keptPorts_) {
        if (std::find(ports.begin(), ports.end(), kept) == ports.end()) {
            ports.push_back(kept);
        }
    }
    return ports;
}

bool SessionStack::KeepPort(const std::string& port) {
    if (!KeepsUnlisted(port, UnlistedPort::KeepAbsolute)) {
        return false;
    }
    if (std::find(keptPorts_.begin(), keptPorts_.end(), port) == keptPorts_.end()) {
        keptPorts_.push_back(port);
    }
    return true;
}

std::string SessionStack::ChoosePort(const std::string& remembered, UnlistedPort unlisted) {
    return ChooseRememberedPort(remembered, unlisted, [this] { return ListPorts(); });
}

void SessionStack::SetSpeed(const std::string& text) {
    session_->SetSpeed(text);
}

Outcome SessionStack::Disconnect() {
    return commands_->Disconnect();
}

void SessionStack::ClosePort() {
    session_->Connect("");
}

}  // namespace vaddex::frontend
