#include "app/WholeCalculatorCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <exception>

#include "app/WindowContext.h"
#include "session/CalculatorState.h"
#include "session/PromptTexts.h"
#include "session/SessionCommands.h"
#include "util/ReplacingWriter.h"
#include "util/ScopeExit.h"
#include "windows/TFCapture.h"
#include "windows/TFDownLd.h"

namespace vaddex::gui {
namespace {

const char* const kArchiveTitle = "Archive Calculator to PC";
const char* const kRestoreTitle = "Restore Calculator from PC";
const char* const kDownloadFileTitle = "Download File to Calculator";
const char* const kUploadTitle = "Upload File to PC";
const char* const kRomTitle = "Download ROM";
// A backup typed without extension stays recognisable as an archive when dropped back.
const char* const kArchiveSuffix = "zqbackup";
const char* const kObjectSuffix = "zq";

std::string LocalPath(const QString& path) {
    // Names are bytes on this system; the local 8-bit form is what open() takes.
    return QFile::encodeName(path).toStdString();
}

FileQuestion OpenQuestion(const QString& title, const QString& filter) {
    FileQuestion question;
    question.title = title;
    question.filter = filter;
    return question;
}

FileQuestion SaveQuestion(const QString& title, const QString& filter, const QString& suffix,
                          const QString& proposedName = {}) {
    FileQuestion question = OpenQuestion(title, filter);
    question.save = true;
    question.defaultSuffix = suffix;
    question.proposedName = proposedName;
    return question;
}

std::chrono::year_month_day Today() {
    return std::chrono::year_month_day(
        std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
}

}  // namespace

WholeCalculatorCommands::WholeCalculatorCommands(WindowContext& window, TFDownLd* prompt)
    : QObject(&window.Widget()), window_(window), prompt_(prompt) {
    askPath = [this](const FileQuestion& question) {
        return AskPathInDialog(&window_.Widget(), question);
    };
    today = Today;
    window_.SetCommandHandler(Command::Backup, [this] { mnuBackupClick(); });
    window_.SetCommandHandler(Command::Restore, [this] { mnuRestoreClick(); });
    window_.SetCommandHandler(Command::DownloadServer, [this] { mnuDownLoadServerClick(); });
    window_.SetCommandHandler(Command::DownloadFile, [this] { mnuDownLoadFileClick(); });
    window_.SetCommandHandler(Command::UploadFile, [this] { mnuUploadFileClick(); });
    window_.SetCommandHandler(Command::Capture, [this] { mnuCaptureScreenClick(); });
    window_.SetCommandHandler(Command::RomDownload, [this] { DownloadCalculatorROMClick(); });
}

QString WholeCalculatorCommands::ArchiveFilter() {
    return "ZQ Archives (*.zqbackup *.ZQBACKUP);;All Files (*)";
}

QString WholeCalculatorCommands::ObjectFileFilter(bool addExtension) {
    return addExtension ? "ZQ Files (*.zq *.ZQ);;All Files (*)" : "All Files (*)";
}

QString WholeCalculatorCommands::RomFilter() {
    return "ROM Files (*.bin *.BIN);;All Files (*)";
}

SessionCommands& WholeCalculatorCommands::Commands() {
    return window_.Commands();
}

void WholeCalculatorCommands::TakePort() {
    Commands().SelectedPort = window_.PortText();
}

QString WholeCalculatorCommands::Ask(FileQuestion question) {
    if (question.folder.isEmpty()) {
        question.folder = folder_;
    }
    QString path = askPath(question);
    if (!path.isEmpty()) {
        folder_ = QFileInfo(path).absolutePath();
    }
    return path;
}

bool WholeCalculatorCommands::CanWrite(const QString& path) {
    // Asked before any prompt, so the user is not sent to the calculator for nothing. The
    // session checks again and writes the file whole or not at all.
    ReplacingWriter target(LocalPath(path));
    if (target.CanWrite()) {
        return true;
    }
    std::string problem = !target.Refusal().empty()
                              ? "It " + target.Refusal() + "."
                              : std::strerror(target.ErrorCode()) + std::string(".");
    window_.ShowError("Cannot write " + LocalPath(path) + "\r\n" + problem +
                      "\r\nNothing was saved. Choose another folder.");
    return false;
}

void WholeCalculatorCommands::Run(const std::function<Outcome()>& operation) {
    ScopeExit idle([this] { window_.SetBusy(false); });
    Outcome outcome = operation();
    if (outcome.IsFailed()) {
        window_.SetBusy(false);
        window_.ShowError(outcome.message);
    }
}

// --- backup and restore -------------------------------------------------------------------

void WholeCalculatorCommands::mnuBackupClick() {
    std::string series = window_.State().series;
    QString proposed = QString::fromStdString(SessionCommands::DefaultArchiveName(series, today()));
    QString path = Ask(SaveQuestion(kArchiveTitle, ArchiveFilter(), kArchiveSuffix, proposed));
    if (path.isEmpty() || !CanWrite(path)) {
        return;
    }
    Run([&] {
        window_.SetBusy(true);
        QCoreApplication::processEvents();
        return Commands().BackupToFile(LocalPath(path));
    });
    if (window_.Connected() && Commands().OnRefreshRequested) {
        Commands().OnRefreshRequested();
    }
}

void WholeCalculatorCommands::mnuRestoreClick() {
    QString path = Ask(OpenQuestion(kRestoreTitle, ArchiveFilter()));
    if (path.isEmpty()) {
        return;
    }
    Run([&] {
        // The file is checked before the question, so a wrong file never touches the calculator.
        Outcome confirmed = Commands().ConfirmRestore(LocalPath(path));
        return confirmed ? Commands().RestoreFromFile(LocalPath(path)) : confirmed;
    });
}

// --- manual transfers ---------------------------------------------------------------------

void WholeCalculatorCommands::mnuDownLoadServerClick() {
    TakePort();
    Run([&] { return Commands().DownloadServer(); });
}

void WholeCalculatorCommands::mnuDownLoadFileClick() {
    QString path = Ask(OpenQuestion(kDownloadFileTitle, ObjectFileFilter(Commands().AddExtension)));
    if (path.isEmpty()) {
        return;
    }
    TakePort();
    Run([&] {
        return Commands().ManualSend(LocalPath(path), kPromptXRecvBefore, kPromptXRecvAfter);
    });
}

void WholeCalculatorCommands::mnuUploadFileClick() {
    QString path =
        Ask(SaveQuestion(kUploadTitle, ObjectFileFilter(Commands().AddExtension), kObjectSuffix));
    if (path.isEmpty() || !CanWrite(path)) {
        return;
    }
    TakePort();
    Run([&] { return Commands().UploadFile(LocalPath(path)); });
}

void WholeCalculatorCommands::DownloadCalculatorROMClick() {
    if (window_.Connected()) {
        window_.Disconnect();
    }
    QString path = Ask(OpenQuestion(kRomTitle, RomFilter()));
    if (path.isEmpty()) {
        window_.SetBusy(false);
        return;
    }
    TakePort();
    Run([&] { return Commands().DownloadRom(LocalPath(path)); });
}

// --- screen capture -----------------------------------------------------------------------

void WholeCalculatorCommands::mnuCaptureScreenClick() {
    TakePort();
    Run([&] {
        if (Outcome prepared = Commands().PrepareCapture(); !prepared) {
            return prepared;
        }
        std::string image;
        Outcome captured;
        for (bool first = true; (captured = Commands().CaptureOnce(first, image)); first = false) {
            ShowCapture(image);
        }
        return captured;
    });
    // The capture ended the session (its server was told to quit); nothing is captured now.
    window_.ShowStatus(window_.Connected() ? "" : kDisconnectedText);
}

void WholeCalculatorCommands::ShowCapture(const std::string& image) {
    bool made = TFCapture::Existing() == nullptr;
    // A window of its own that goes with the main window at the latest.
    TFCapture& viewer = TFCapture::Instance(&window_.Widget(), prompt_.data());
    if (made) {
        connect(&viewer, &TFCapture::BusyChanged, &window_.Widget(),
                [this](bool busy) { window_.SetBusy(busy); });
    }
    viewer.ShowCapture(image);
    viewer.activateWindow();
}

}  // namespace vaddex::gui
