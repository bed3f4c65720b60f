#include "app/MainProgram.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <optional>

#include "app/BridgeHooks.h"
#include "app/CopyController.h"
#include "app/ItemCommands.h"
#include "app/WholeCalculatorCommands.h"
#include "frontend/StoredSettings.h"
#include "objects/CalcNames.h"
#include "placement/WindowFront.h"

namespace vaddex::gui {
namespace {

// How long the simulated calculator's user takes to do what a prompt asks.
constexpr int kSimUserPauseMs = 700;
// What the simulated calculator sends by XSEND when no item is selected.
constexpr const char* kSimDefaultVariable = "GREETING";

void PressCancel(QDialog& dialog) {
    if (dialog.isVisible()) {
        dialog.reject();
    }
}

}  // namespace

ProgramArguments ParseProgramArguments(const QStringList& words) {
    ProgramArguments arguments;
    for (const QString& word : words) {
        if (word == "--sim") {
            arguments.sim = "sim";
        } else if (word.startsWith("--sim=")) {
            arguments.sim = "sim:" + word.mid(6).toStdString();
        } else if (word == "--help" || word == "-h") {
            arguments.help = true;
        } else if (word == "--version") {
            arguments.version = true;
        } else if (arguments.port.isEmpty()) {
            arguments.port = word;
        }
    }
    return arguments;
}

MainProgram::MainProgram(const ProgramArguments& arguments)
    : port_(arguments.port),
      calculator_(arguments.sim ? std::make_unique<frontend::BuiltInCalculator>(*arguments.sim)
                                : nullptr),
      bridge_(&window_, window_.State()),
      about_(&window_),
      placement_(&window_, "FZQDir") {
    ConnectHooks(bridge_, window_);
    frontend::StoredSettings settings = frontend::ReadStoredSettings();
    window_.logText = [this](const std::string& text) { bridge_.LogWindow().Note(text); };
    window_.rpnPromptsNow = [this] { return bridge_.RpnPrompts(); };
    bridge_.SetRpnPrompts(settings.rpnPrompts);
    placement_.Restore();
    window_.FormCreate(bridge_, settings);
    window_.SetLogWindow(&bridge_.LogWindow());
    window_.cancelRunning = [this] { CancelRunning(); };
    window_.onClosing = [this] {
        bridge_.LogWindow().close();
        placement_.Save();
    };
    bridge_.onPromptShown = [this](int) { window_.UpdateControls(); };
    InstallCommands();
    if (calculator_) {
        port_ = QString::fromStdString(calculator_->PortName());
        PlayPrompts();
    }
    qApp->installEventFilter(&help_);
}

MainProgram::~MainProgram() {
    window_.FormDestroy();
}

void MainProgram::Show() {
    window_.StartSplash(port_, &about_);
    if (!window_.property(TWindowPosSave::kPlacedProperty).toBool()) {
        // No place of its own yet (the first start): the middle of the screen, whole on it.
        QRect area = WindowFront::AvailableAreaFor(window_.frameGeometry());
        if (!area.isEmpty()) {
            QPoint centred = WindowFront::CentredOver(window_.size(), area);
            window_.move(WindowFront::OnScreen(QRect(centred, window_.size()), area));
        }
    }
    window_.show();
    for (QWidget* topLevel : QApplication::topLevelWidgets()) {
        MarkHelpHints(topLevel);
    }
}

void MainProgram::InstallCommands() {
    // Owned by the window, as a child object.
    new WholeCalculatorCommands(window_, &bridge_.PromptWindow());
    std::optional<DesktopFileFolder> folder;
    try {
        folder.emplace();
    } catch (const std::exception& e) {
        // Without a private folder nothing can be handed to the desktop: only the commands
        // that hand files to it stay off, and the user hears why once the window shows.
        std::string reason = e.what();
        bridge_.LogWindow().Note(reason);
        for (Command command :
             {Command::Copy, Command::CopyAsText, Command::Cut, Command::EditAsText}) {
            window_.SetUnavailableReason(command, "no folder for desktop files");
        }
        QTimer::singleShot(0, &window_, [this, reason] {
            window_.ShowError(
                "Copy, Cut, Edit as Text and dragging items out are off: the private folder "
                "for desktop files could not be made.\r\n" +
                reason);
        });
    }
    copy_ = new CopyController(window_, std::move(folder));
    copy_->plainWaits = [this](bool on) {
        if (on) {
            bridge_.BeginPlainWaits();
            return std::string();
        }
        return bridge_.EndPlainWaits();
    };
    items_ = new ItemCommands(window_, copy_);
}

void MainProgram::CancelRunning() {
    PressCancel(bridge_.StatusWindow());
    PressCancel(bridge_.WorkingWindow());
    PressCancel(bridge_.PromptWindow());
}

void MainProgram::PlayPrompts() {
    // The simulated calculator does what the prompt asks after a person's pause, unless the
    // prompt was closed meanwhile.
    bridge_.onPromptShown = [this](int kind) {
        window_.UpdateControls();
        QString selected = window_.SelectedName();
        // The list shows display names; the calculator keeps its own bytes.
        std::string name = PcNameToCalc(
            selected.isEmpty() ? kSimDefaultVariable : selected.toLatin1().toStdString(), false);
        QTimer::singleShot(kSimUserPauseMs, &window_, [this, kind, name] {
            if (bridge_.IsPromptVisible()) {
                calculator_->PlayPrompt(kind, name);
            }
        });
    };
}

}  // namespace vaddex::gui
