#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <chrono>
#include <functional>
#include <string>

#include "app/FileQuestion.h"
#include "session/Outcome.h"

namespace vaddex {
class SessionCommands;
}

namespace vaddex::gui {

class TFDownLd;
class WindowContext;

// The main window's whole-calculator commands: backup and restore, the manual XRECV and XSEND
// transfers, the ROM download and the repeated screen capture. It chooses the files, checks
// that a chosen file can be written before the calculator is asked for anything, and hands
// each operation to the window's SessionCommands. Installs its handlers on the window when
// made; lives no longer than the window.
class WholeCalculatorCommands : public QObject {
    Q_OBJECT

public:
    // `prompt` is the operator prompt window that closing the capture viewer hides; may be null.
    WholeCalculatorCommands(WindowContext& window, TFDownLd* prompt);

    // Blocks while the user chooses a path; empty for Cancel. A file dialog by default.
    std::function<QString(const FileQuestion&)> askPath;
    // Today's date, for the proposed archive name.
    std::function<std::chrono::year_month_day()> today;

    // --- the menu commands; each blocks until the operation has ended
    void mnuBackupClick();
    void mnuRestoreClick();
    void mnuDownLoadServerClick();
    void mnuDownLoadFileClick();
    void mnuUploadFileClick();
    // Captures screens into the viewer until a "Do Another Capture?" prompt is closed.
    void mnuCaptureScreenClick();
    void DownloadCalculatorROMClick();

    // The filters of the dialogs, in Qt's form.
    static QString ArchiveFilter();
    static QString ObjectFileFilter(bool addExtension);
    static QString RomFilter();

private:
    SessionCommands& Commands();
    // The port and speed as the tool bar shows them now.
    void TakePort();
    QString Ask(FileQuestion question);
    // False, after telling the user why, when no file can be written under the path.
    bool CanWrite(const QString& path);
    // Runs an operation; one that failed is shown and the window is left idle.
    void Run(const std::function<Outcome()>& operation);
    void ShowCapture(const std::string& image);

    WindowContext& window_;
    QPointer<TFDownLd> prompt_;
    QString folder_;  // the folder the dialogs opened last, as one reused dialog would
};

}  // namespace vaddex::gui
