// Transfers the user starts on the calculator (XRECV, XSEND, screen sending, the ROM loader),
// and the receive that the backup shares with them.

#include <memory>

#include "session/TXModemServer.h"
#include "session/TransferRun.h"
#include "transfer/TSRX.h"
#include "transfer/TSTX.h"
#include "transfer/TYModemRX.h"
#include "transfer/TYModemTX.h"
#include "util/FileIo.h"
#include "util/ScopeExit.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

// While the operator prompt is up before a ROM download, the UI is looked at this often.
constexpr int kPromptPollMs = 100;

}  // namespace

Outcome TXModemServer::ReceiveObject(const std::string& fileName, int size) {
    SetStatus("Copying " + FileNameOf(fileName));
    // Nameless: the receiver would delete the file it is named after when it fails, and the
    // user's file is kept or replaced only by whoever writes Data.
    Trace("Receive for " + fileName);
    bool askCrc = ReceiveWithCrc();
    auto receiver = std::make_unique<TYModemRX>(link_, "", size, SessionReports(*this), askCrc);
    ModalResult answer = RunTransfer(ui_, *receiver, "Copying " + fileName);
    ResponsivePause(link_.Timing().RxEndDelay);
    bool success = receiver->Success();
    if (success) {
        NoteReceiveMode(askCrc, *receiver);
    }
    Data = success ? receiver->ReceivedData() : std::string();
    return TransferOutcome(answer, success);
}

Outcome TXModemServer::SendToXRecv(const std::string& fileName) {
    std::string first(1, '\0');
    SetStatus("Copying " + FileNameOf(fileName));
    bool gotByte = WaitFirstByte(first);
    if (!gotByte || !ui_.IsPromptVisible()) {
        return Outcome::Cancelled();  // the user closed the prompt before the calculator asked
    }
    ui_.HidePrompt();
    ui_.SetBusy(true);
    ScopeExit notBusy([&] { ui_.SetBusy(false); });
    auto sender =
        std::make_unique<TYModemTX>(link_, fileName, true, first[0], SessionReports(*this));
    ModalResult answer = RunTransfer(ui_, *sender, "Copying " + fileName);
    SetStatus("");
    return TransferOutcome(answer, sender->Success());
}

std::string TXModemServer::CaptureScreen() {
    std::string first(1, '\0');
    std::string result;
    SetStatus("Capturing screen");
    // Not switched back: the next OpenForManual or Connect reopens the port at Speed.
    if (State().captureSpeed != 0) {
        link_.ChangeSpeed(State().captureSpeed);
    }
    bool gotByte = WaitFirstByte(first);
    if (gotByte && ui_.IsPromptVisible()) {
        ui_.HidePrompt();
        ui_.SetBusy(true);
        ScopeExit notBusy([&] { ui_.SetBusy(false); });
        auto receiver = std::make_unique<TSRX>(link_, first, SessionReports(*this));
        ModalResult answer = RunTransfer(ui_, *receiver, "Capturing Screen");
        if (answer == ModalResult::OK) {
            result = receiver->ScreenData();
        }
    }
    return result;
}

Outcome TXModemServer::SendRom(const std::string& fileName) {
    SetStatus("Copying " + FileNameOf(fileName));
    while (ui_.IsPromptVisible()) {
        ui_.FocusPrompt();
        ui_.ProcessEvents();
        ResponsivePause(kPromptPollMs);
    }
    ui_.SetBusy(true);
    ScopeExit notBusy([&] { ui_.SetBusy(false); });
    auto sender = std::make_unique<TSTX>(link_, fileName, SessionReports(*this));
    ModalResult answer = RunTransfer(ui_, *sender, "Copying " + fileName);
    SetStatus("");
    return TransferOutcome(answer, sender->Success());
}

}  // namespace vaddex
