#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

#include "app/HelpSystem.h"
#include "app/TFZQDir.h"
#include "frontend/BuiltInCalculator.h"
#include "placement/TWindowPosSave.h"
#include "windows/QtUiBridge.h"
#include "windows/TFAboutForm.h"

namespace vaddex::gui {

// What the command line of `vaddex` says.
struct ProgramArguments {
    QString port;                    // the first argument: the port to connect to at start
    std::optional<std::string> sim;  // --sim[=MODEL] as "sim" or "sim:MODEL"
    bool help = false;
    bool version = false;
};
// The arguments after the program name.
ProgramArguments ParseProgramArguments(const QStringList& arguments);

// The running program: the main window with its bridge, settings, placement and help, and
// the built-in simulated calculator when asked for. Made after the QApplication.
class CopyController;
class ItemCommands;

class MainProgram {
public:
    // Throws frontend::UnknownSimModel for an unknown simulated model.
    explicit MainProgram(const ProgramArguments& arguments);
    // Ends the session before the bridge goes.
    ~MainProgram();
    MainProgram(const MainProgram&) = delete;
    MainProgram& operator=(const MainProgram&) = delete;

    // Shows the window and starts the splash, after which the port is connected; also when a
    // stored placement has shown the window already.
    void Show();

    TFZQDir& Window() { return window_; }
    QtUiBridge& Bridge() { return bridge_; }
    TFAboutForm& AboutWindow() { return about_; }
    ItemCommands* Items() { return items_; }
    CopyController* Copy() { return copy_; }
    // Null unless --sim was given.
    frontend::BuiltInCalculator* Calculator() { return calculator_.get(); }

private:
    void PlayPrompts();
    void InstallCommands();
    void CancelRunning();

    QString port_;
    std::unique_ptr<frontend::BuiltInCalculator> calculator_;
    TFZQDir window_;
    QtUiBridge bridge_;
    // The splash; made after the bridge's windows, as the program has always made them.
    TFAboutForm about_;
    TWindowPosSave placement_;
    HelpHandler help_;
    // Children of the window; null when the desktop file folder could not be made.
    CopyController* copy_ = nullptr;
    ItemCommands* items_ = nullptr;
};

}  // namespace vaddex::gui
