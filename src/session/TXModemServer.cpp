#include "session/TXModemServer.h"

#include <algorithm>
#include <exception>

#include "link/PortGoneError.h"
#include "objects/CalcNames.h"
#include "objects/CalculatorWords.h"
#include "util/Errors.h"
#include "util/Ticks.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

// Delays up to this long are slept in one piece; longer ones let window events run between.
constexpr std::int64_t kPauseSliceMs = 10;

constexpr const char* kNoDeviceConnectedText =
    "No device connected. Check you are in Xmodem server (RShift RightArrow)";

}  // namespace

TXModemServer::TXModemServer(CommLink& link, UiBridge& ui) : link_(link), ui_(ui) {
    link_.ResetLink();
    PortName.clear();
    ui_.SetTextMode(false);
    link_.OnHangUp = [this](int error) { PortHungUp(error); };
}

void TXModemServer::PortHungUp(int error) {
    // An operation under way meets the failure itself and reports it as its outcome. At rest
    // the windows are told at once; the port is let go by the next connect, since an
    // operation the session cannot see from here may sit between two of its reads.
    if (ui_.Busy() || link_.InUse() || !IsConnected() || !ui_.Connected()) {
        return;
    }
    Trace("the port " + PortName + " hung up while the program rested");
    ui_.SetConnected(false);
    ui_.ShowMessage("Connection Error", PortGoneError(PortName, error).what());
}

TXModemServer::~TXModemServer() {
    link_.OnHangUp = nullptr;
    // A destructor must not throw; closing a port that is already gone is only traced.
    try {
        Connect("");
    } catch (const std::exception& e) {
        Trace(std::string("TXModemServer: closing the port failed: ") + e.what());
    }
}

void TXModemServer::ResponsivePause(int ms) {
    if (ms <= kPauseSliceMs || !ui_.IsUiThread()) {
        SleepMs(ms);
        return;
    }
    const std::int64_t end = TickMs() + ms;
    for (std::int64_t left = ms; left > 0; left = end - TickMs()) {
        SleepMs(std::min(left, kPauseSliceMs));
        ui_.ProcessEvents();
    }
}

void TXModemServer::SetStatus(const std::string& text) {
    StatusText = text;
    if (OnStatus) {
        OnStatus(*this, text);
    }
    Trace("Status = " + text);
}

void TXModemServer::ForwardProgress(const std::string& text, int kind, std::int64_t position,
                                    std::int64_t maximum, std::int64_t extra) {
    ui_.UpdateStatus(text, kind, position, maximum, extra);
}

void TXModemServer::RequireConnected() {
    if (!IsConnected()) {
        RaiseError(kNoDeviceConnectedText, ErrorKind::NotConnected);
    }
}

bool TXModemServer::CheckName(const std::string& name) {
    NameCheck check = CheckCalcName(
        name,
        [this](const std::string& text, const std::string& caption) {
            return ui_.ShowTextPrompt(text, caption);
        },
        [this] { ui_.Beep(); });
    return check.goOn;
}

void TXModemServer::RequireSafeName(const std::string& name, bool makesVariable) {
    if (std::string why = IncompleteEscapeReason(name); !why.empty()) {
        RaiseError("the name " + name + " cannot be sent: " + why, ErrorKind::BadName);
    }
    std::string calcName = PcNameToCalc(name, false);
    std::string shown = CalcNameToPc(calcName, false);
    std::string reason = UnsafeNameReason(calcName);
    if (!reason.empty()) {
        RaiseError("the name " + shown + " cannot be sent in a calculator command: " + reason,
                   ErrorKind::BadName);
    }
    if (makesVariable && IsReservedName(calcName)) {
        RaiseError(shown + " is the calculator's top directory and cannot name a variable",
                   ErrorKind::BadName);
    }
}

void TXModemServer::RequireUserName(const std::string& name) {
    RequireSafeName(name, true);
    std::string calcName = PcNameToCalc(name, false);
    if (std::string why = ReservedNameReason(calcName); !why.empty()) {
        RaiseError(CalcNameToPc(calcName, false) + " cannot name a variable: " + why,
                   ErrorKind::BadName);
    }
}

}  // namespace vaddex
