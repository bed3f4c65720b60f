// The commands on the whole calculator (backup, restore) and the transfers its user starts on
// the calculator itself (XRECV, XSEND, screen sending, the ROM loader).

#include "cli/CliCommands.h"
#include "cli/CliErrors.h"
#include "cli/OutcomeLine.h"
#include "cli/ScreenFile.h"
#include "objects/CalcNames.h"
#include "session/PromptTexts.h"
#include "util/FileIo.h"

namespace vaddex::cli {

std::string CliCommands::SimVariableFor(const std::string& path) const {
    std::string name =
        options_.simName.empty() ? SessionCommands::ItemNameForFile(path) : options_.simName;
    return PcNameToCalc(name, false);
}

void CliCommands::PlayCalculatorSide(const std::string& path) {
    if (calculator_ == nullptr) {
        return;
    }
    BuiltInCalculator& calculator = *calculator_;
    std::string name = SimVariableFor(path);
    ui_.OnCalculatorPrompt = [&calculator, name](int kind) { calculator.PlayPrompt(kind, name); };
}

int CliCommands::Backup() {
    Connect();
    const std::string& path = options_.arguments[0];
    RequireDone(commands_.BackupToFile(path));
    out_ << "Wrote " << path << " (" << commands_.LastWrittenSize() << " bytes)\n";
    return kSuccess;
}

int CliCommands::Restore() {
    Connect();
    const std::string& path = options_.arguments[0];
    RequireDone(commands_.ConfirmRestore(path));
    MarkChanged();
    RequireDone(commands_.RestoreFromFile(path));
    // The calculator starts afresh after a restore.
    connection_->open = false;
    out_ << "Restored the calculator from " << path << "\n";
    return kSuccess;
}

int CliCommands::XRecv() {
    const std::string& path = options_.arguments[0];
    PlayCalculatorSide(path);
    // The calculator's own transfers use the line without the server: connect again after.
    connection_->open = false;
    MarkChanged();
    RequireDone(commands_.ManualSend(path, kPromptXRecvBefore, kPromptXRecvAfter));
    out_ << "Sent " << path << "\n";
    return kSuccess;
}

int CliCommands::XSend() {
    const std::string& path = options_.arguments[0];
    // Better said now than as a connection error once the wait for XSEND has run out.
    if (calculator_ != nullptr && !calculator_->HasVariable(SimVariableFor(path))) {
        throw CommandFailed("the built-in calculator has no variable " +
                            CalcNameToPc(SimVariableFor(path), false) +
                            " to send (name one with --sim-name)");
    }
    connection_->open = false;
    PlayCalculatorSide(path);
    RequireDone(commands_.UploadFile(path));
    out_ << "Wrote " << path << " (" << commands_.LastWrittenSize() << " bytes)\n";
    return kSuccess;
}

int CliCommands::Screen() {
    const std::string& path = options_.arguments[0];
    connection_->open = false;
    PlayCalculatorSide(path);
    RequireDone(commands_.PrepareCapture());
    std::string image;
    RequireDone(commands_.CaptureOnce(true, image));
    ScreenPicture picture = ScreenPicture::Render(image, border_);
    SaveScreenFile(path, picture);
    out_ << "Wrote " << path << " (" << picture.Width() << " x " << picture.Height()
         << " pixels)\n";
    return kSuccess;
}

int CliCommands::Rom() {
    const std::string& path = options_.arguments[0];
    connection_->open = false;
    if (!SessionCommands::IsUsbPort(commands_.SelectedPort)) {
        throw CommandFailed("the ROM goes to the USB calculator: -p ZQx8G+ (or -p sim:K8G+)");
    }
    PlayCalculatorSide(path);
    RequireDone(commands_.DownloadRom(path));
    out_ << "Sent " << path << "\n";
    return kSuccess;
}

}  // namespace vaddex::cli
