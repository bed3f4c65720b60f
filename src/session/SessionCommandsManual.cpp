// The manual transfers and the screen capture: operations on the calculator's own XRECV,
// XSEND, screen sending and ROM loader, which use the line without its server.

#include <charconv>

#include "session/PromptTexts.h"
#include "session/SessionCommands.h"
#include "session/SessionPaths.h"
#include "session/TXModemServer.h"
#include "util/FileIo.h"
#include "util/ScopeExit.h"

namespace vaddex {
namespace {

constexpr const char* kCaptureAgainCaption = "Do Another Capture?";
// Why a manual transfer did not start: OpenForManual refused the port "Auto" (and said so).
constexpr const char* kNoManualPortText = "a manual transfer needs a port other than Auto";

int SpeedNumber(const std::string& text) {
    int speed = 0;
    std::from_chars(text.data(), text.data() + text.size(), speed);
    return speed;
}

}  // namespace

Outcome SessionCommands::ManualSend(const std::string& path, int promptBefore, int promptAfter) {
    calculatorDirectory_.clear();
    Outcome sent = Guarded([&] { return SendManually(path, promptBefore, promptAfter); });
    return Logged("sent " + path + " to XRECV", sent);
}

Outcome SessionCommands::SendManually(const std::string& path, int promptBefore, int promptAfter) {
    UiBridge& ui = Ui();
    if (ui.Connected()) {
        session_.Disconnect();
    }
    if (!session_.OpenForManual(SelectedPort)) {
        return Outcome::Fail(Outcome::Kind::PortUnavailable, kNoManualPortText);
    }
    Outcome sent;
    {
        ScopeExit disconnected([&] {
            ui.HidePrompt();
            ui.SetConnected(false);
        });
        ui.ShowPrompt(promptBefore, "");
        ui.ProcessEvents();
        sent = session_.SendToXRecv(path);
    }
    if (sent) {
        ui.ShowPrompt(promptAfter, "");
    }
    return sent.Saying(FileNameOf(path) + ": not sent");
}

Outcome SessionCommands::DownloadServer() {
    return ManualSend(ServerProgramPath(), kPromptServerBefore, kPromptServerAfter);
}

Outcome SessionCommands::UploadFile(const std::string& path) {
    calculatorDirectory_.clear();
    Outcome received = Guarded([&] {
        RequireWritable(path);
        return ReceiveManually(path);
    });
    return Logged("received " + path + " from XSEND", received);
}

Outcome SessionCommands::ReceiveManually(const std::string& path) {
    UiBridge& ui = Ui();
    ScopeExit cleanUp([&] { session_.Data.clear(); });
    std::string nothing = "nothing was received into " + path;
    if (!ui.ShowPrompt(kPromptXSend, "")) {
        return Outcome::Declined(nothing);
    }
    if (!session_.OpenForManual(SelectedPort)) {
        return Outcome::Fail(Outcome::Kind::PortUnavailable, nothing);
    }
    ScopeExit disconnected([&] {
        ui.SetConnected(false);
        ui.SetBusy(false);
    });
    ui.SetConnected(session_.IsConnected());
    ui.SetBusy(true);
    ui.ProcessEvents();
    session_.Data.clear();
    Outcome written = WritingUserFile(path, [&] {
        Outcome received = session_.ReceiveObject(path, 0);
        return WriteReceivedObject(path, received, false);
    });
    return written.Saying(nothing);
}

Outcome SessionCommands::PrepareCapture() {
    calculatorDirectory_.clear();
    UiBridge& ui = Ui();
    if (ui.Connected()) {
        if (Outcome left = Disconnect(); !left) {
            return left;
        }
    }
    int captureSpeed = CaptureSpeedFor(SelectedPort, SpeedNumber(session_.Speed));
    session_.State().captureSpeed = captureSpeed;
    if (captureSpeed == 0) {
        return Outcome::Done();
    }
    ui.Beep();
    std::string question = "Screen Capture requires that the calculator operate at \r\n" +
                           std::to_string(captureSpeed) + " baud  (see IOPAR in VAR).\r\n\r\n" +
                           "May I change the speed temporarily for the Screen Capture?";
    if (!ui.ShowTextPrompt(question, "Set the Calculator")) {
        return Outcome::Declined("the speed was not changed for the capture");
    }
    return Outcome::Done();
}

Outcome SessionCommands::CaptureOnce(bool firstRound, std::string& image) {
    image.clear();
    Outcome captured = Guarded([&] { return CaptureManually(firstRound, image); });
    return Logged("captured the screen", captured);
}

Outcome SessionCommands::CaptureManually(bool firstRound, std::string& image) {
    UiBridge& ui = Ui();
    if (!session_.OpenForManual(SelectedPort)) {
        return Outcome::Fail(Outcome::Kind::PortUnavailable, kNoManualPortText);
    }
    ScopeExit disconnected([&] {
        ui.HidePrompt();
        ui.SetConnected(false);
    });
    if (firstRound) {
        ui.ShowPrompt(kPromptCaptureFirst, "");
    } else {
        ui.ShowPrompt(kPromptCaptureAgain, kCaptureAgainCaption);
    }
    image = session_.CaptureScreen();
    // No screen: the user closed the prompt, or the capture window, before one arrived.
    return image.empty() ? Outcome::Cancelled() : Outcome::Done();
}

Outcome SessionCommands::DownloadRom(const std::string& path) {
    calculatorDirectory_.clear();
    Outcome sent = Guarded([&] { return SendRomManually(path); });
    return Logged("sent the ROM file " + path, sent);
}

Outcome SessionCommands::SendRomManually(const std::string& path) {
    UiBridge& ui = Ui();
    ScopeExit disconnected([&] {
        ui.SetConnected(false);
        ui.SetBusy(false);
    });
    if (ui.Connected()) {
        session_.Disconnect();
    }
    if (!ui.ShowPrompt(kPromptRom, "")) {
        return Outcome::Declined(FileNameOf(path) + ": not sent");
    }
    if (!session_.OpenForManual(SelectedPort)) {
        return Outcome::Fail(Outcome::Kind::PortUnavailable, kNoManualPortText);
    }
    Outcome sent = session_.SendRom(path);
    if (!sent) {
        ui.ShowMessage("Download Error", "Download of ROM file \r\n" + path + "\r\n" + "failed.");
    }
    return sent.Saying(FileNameOf(path) + ": not sent");
}

}  // namespace vaddex
