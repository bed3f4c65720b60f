#include "app/TFZQDir.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeView>

#include "app/AboutSplash.h"
#include "app/CalculatorItemModel.h"
#include "app/ConnectErrorText.h"
#include "app/IconSet.h"
#include "app/ListClicks.h"
#include "app/PortComboBox.h"
#include "app/UnbrokenPaths.h"
#include "placement/WindowFront.h"
#include "session/PromptTexts.h"
#include "session/SessionCommands.h"
#include "session/TXPObject.h"
#include "session/UiBridge.h"
#include "windows/TFAboutForm.h"
#include "windows/TFLog.h"

namespace vaddex::gui {
namespace {

constexpr const char* kCaption = "ZQ K7, K8 Calculator Vaddex";

constexpr int kRefreshDelayMs = 1;
constexpr int kSplashFirstMs = 100;
constexpr int kSplashShowMs = 500;
constexpr int kSplashAfterMs = 100;

QString Latin(const std::string& text) {
    return QString::fromLatin1(text);
}

}  // namespace

TFZQDir::TFZQDir(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(kCaption);
    setWindowIcon(ApplicationIcon());
    setMinimumSize(400, 200);
    // Room for the tree, four list columns and the tool bar on first start.
    resize(900, 600);
    saveSettings = [](const frontend::StoredSettings& settings) {
        frontend::SaveStoredSettings(settings);
    };
    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(kRefreshDelayMs);
    connect(refreshTimer_, &QTimer::timeout, this, [this] { Reread(); });
    aboutTimer_ = new QTimer(this);
    BuildActions();
    BuildToolBar();
    BuildPanes();
    for (QAbstractItemView* view : ListViews()) {
        new ListClicks(view, [this] { ClearListSelection(); });
    }
    BuildStatusBar();
    BuildMenus();
    BuildPopupMenu();
    WireActions();
}

TFZQDir::~TFZQDir() {
    FormDestroy();
}

void TFZQDir::FormDestroy() {
    ClearTreeNodes();
    commands_ = nullptr;
    root_ = nullptr;
    stack_.reset();
}

void TFZQDir::SetLogWindow(TFLog* log) {
    QAction* action = MakeAction(ActionId::btnLog, "&Log", "Show the log of the transfers.");
    connect(action, &QAction::triggered, log, &TFLog::ShowLog);
    WindowFront::Attach(log, this);
    viewMenu_->insertAction(Action(ActionId::mnuRPL), action);
}

void TFZQDir::FormCreate(UiBridge& ui, const frontend::StoredSettings& settings) {
    ui_ = &ui;
    stack_ = std::make_unique<frontend::SessionStack>(
        ui, settings, [this](const std::string& text) { ShowStatus(text); });
    state_.calculatorFlags = "00000000";
    root_ = &stack_->Root();
    commands_ = &stack_->Commands();
    commands_->OnRefreshRequested = [this] { refreshTimer_->start(); };
    // The tree and list point at the items that a reconnect replaces.
    commands_->OnReconnectRequested = [this] { ConnectToCalculator(); };

    RefreshPortList();
    ApplySettings(settings);
    for (const std::string& problem : settings.problems) {
        if (logText) {
            logText(problem);
        } else {
            qWarning("%s", problem.c_str());
        }
    }
    UpdateControls();
    activePane_ = Pane::List;
}

bool TFZQDir::Connected() const {
    return connected_;
}

void TFZQDir::OnConnectedChanged(bool connected) {
    // A connect under way settles the state when it ends: a search marks each port it tries
    // as connected, and the window must not look connected before one answered.
    if (connecting_) {
        return;
    }
    bool lost = connected_ && !connected;
    connected_ = connected;
    if (lost) {
        // The server, its version and free memory belonged to the session that ended.
        statusPanel1_->clear();
        statusPanel0_->setText(kDisconnectedText);
        if (logText) {
            logText(kDisconnectedText);
        }
        SetRootCaption();
    }
    UpdateControls();
}

void TFZQDir::OnBusyChanged(bool busy) {
    if (busy == busy_) {
        return;
    }
    busy_ = busy;
    if (busy) {
        paneHadFocus_ = PaneHasFocus();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
    UpdateControls();
    if (!busy) {
        FocusActivePane();
    }
    if (!busy && closePending_) {
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TFZQDir::SetBusy(bool busy) {
    if (ui_ != nullptr) {
        ui_->SetBusy(busy);
    }
    OnBusyChanged(busy);
}

void TFZQDir::OnTextModeChanged(bool /*textMode*/) {
    UpdateControls();
}

void TFZQDir::OnSeriesChanged(const std::string& /*series*/) {
    SetRootCaption();
}

void TFZQDir::OnModelChanged(const std::string& /*model*/) {
    SetRootCaption();
}

void TFZQDir::OnWorkingChanged(bool working) {
    if (working && !busy_) {
        paneHadFocus_ = PaneHasFocus();
    }
    working_ = working;
    UpdateControls();
    if (!working && !busy_) {
        FocusActivePane();
    }
}

bool TFZQDir::PaneHasFocus() const {
    QWidget* focus = focusWidget();
    return focus != nullptr && (focus == tree_ || listStack_->isAncestorOf(focus));
}

void TFZQDir::FocusActivePane() {
    if (!paneHadFocus_) {
        return;
    }
    QWidget* pane =
        activePane_ == Pane::Tree ? static_cast<QWidget*>(tree_) : listStack_->currentWidget();
    if (pane->isEnabled()) {
        pane->setFocus();
        paneHadFocus_ = false;
    }
}

void TFZQDir::SetRootCaption() {
    // The model is named once the connect has succeeded, not while it identifies.
    bool named = identified_ && !connecting_ && !state_.modelName.empty();
    QString home = "HOME (ZQ-" + QString::fromLatin1(state_.modelName) + ")";
    model_->SetRootCaption(named ? home : QString("ZQ ?"));
    // The caption stays; while connected the connection stands in front of it.
    setWindowTitle(named && connected_ ? home + " - " + kCaption : QString(kCaption));
}

void TFZQDir::ShowStatus(const std::string& text) {
    QString shown = QString::fromLatin1(text);
    shown.replace("\r\n", " ");
    // Only the status bar shows the steps; the log keeps each operation's outcome.
    statusPanel0_->setText(shown);
    if (ui_ != nullptr) {
        ui_->ProcessEvents();
    }
}

QString TFZQDir::StatusPanel(int index) const {
    return index == 0 ? statusPanel0_->text() : statusPanel1_->text();
}

void TFZQDir::ShowError(const std::string& message) {
    std::string text = message;
    // Ends with a full stop unless it ends in punctuation already.
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') {
        text += '.';
    }
    if (logText) {
        logText(text);
    }
    if (errorHandler) {
        errorHandler(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, "Vaddex", UnbrokenPathsText(text), QMessageBox::Ok,
                    this);
    box.setTextFormat(Qt::RichText);
    box.exec();
}

bool TFZQDir::ShowOutcome(const Outcome& outcome) {
    if (outcome.GoesOn()) {
        return true;
    }
    bool port =
        outcome.kind == Outcome::Kind::PortUnavailable || outcome.kind == Outcome::Kind::PortInUse;
    ShowError(port ? ConnectErrorText(outcome.message) : outcome.message);
    return false;
}

void TFZQDir::Guarded(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
}

void TFZQDir::SetCommandHandler(Command command, std::function<void()> handler) {
    handlers_[command] = std::move(handler);
    UpdateControls();
}

void TFZQDir::SetUnavailableReason(Command command, const QString& reason) {
    unavailable_[command] = reason;
    UpdateControls();
}

QAction* TFZQDir::CommandAction(Command command) const {
    return commandActions_.at(command);
}

void TFZQDir::AddControlsUpdatedStep(std::function<void()> step) {
    onControlsUpdated = [before = std::move(onControlsUpdated), step = std::move(step)] {
        if (before) {
            before();
        }
        step();
    };
}

void TFZQDir::AddClosingStep(std::function<void()> step) {
    onClosing = [before = std::move(onClosing), step = std::move(step)] {
        if (before) {
            before();
        }
        step();
    };
}

std::string TFZQDir::PortText() const {
    return cmboPort_->currentText().toStdString();
}

void TFZQDir::RunHandler(Command command) {
    auto handler = handlers_.find(command);
    if (handler != handlers_.end() && handler->second) {
        handler->second();
    }
}

// --- start and close ----------------------------------------------------------------------

void TFZQDir::StartSplash(const QString& port, TFAboutForm* about) {
    if (splashStarted_) {
        return;
    }
    splashPort_ = port;
    aboutWindow_ = about;
    splashStarted_ = true;
    aboutStep_ = 0;
    connect(aboutTimer_, &QTimer::timeout, this, [this] {
        if (aboutStep_ == 0) {
            aboutStep_ = 1;
            aboutTimer_->setInterval(kSplashShowMs);
            if (aboutWindow_) {
                ShowAboutSplash(*aboutWindow_);
            }
        } else if (aboutStep_ == 1) {
            aboutStep_ = 2;
            if (aboutWindow_) {
                CloseAboutSplash(*aboutWindow_);
            }
            aboutTimer_->setInterval(kSplashAfterMs);
        } else {
            aboutTimer_->stop();
            aboutStep_ = 3;
            if (!splashPort_.isEmpty()) {
                ConnectFromCommandLine(splashPort_);
            }
        }
    });
    // A stored placement may have shown the window already; no show event comes then.
    if (isVisible()) {
        StartSplashTimer();
    }
}

void TFZQDir::StartSplashTimer() {
    if (splashStarted_ && aboutStep_ == 0 && !aboutTimer_->isActive()) {
        aboutTimer_->start(kSplashFirstMs);
    }
}

void TFZQDir::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    StartSplashTimer();
}

// --- connecting ---------------------------------------------------------------------------

void TFZQDir::tbtnConnectClick(bool withInstructions) {
    if (connected_) {
        if (!busy_) {
            Disconnect();
        }
        return;
    }
    RefreshPortList();
    if (cmboPort_->currentText().isEmpty()) {
        ui_->Beep();
        return;
    }
    // Cancel on the instructions connects nothing.
    if (withInstructions && !ui_->ShowPrompt(kPromptConnect, "")) {
        return;
    }
    ConnectToCalculator();
}

void TFZQDir::cmboPortReturnPressed() {
    if (connected_ || busy_) {
        return;
    }
    KeepSessionPort(cmboPort_->currentText().trimmed());
    tbtnConnectClick();
}

void TFZQDir::KeepSessionPort(const QString& port) {
    // Only device paths: the listed ports come back with every refresh anyway. The path is
    // kept for the session only once it has opened.
    if (stack_ == nullptr || !port.startsWith('/') || cmboPort_->findText(port) >= 0) {
        return;
    }
    cmboPort_->addItem(port);
    pendingPort_ = port;
}

void TFZQDir::SettlePendingPort(const Outcome& connected) {
    QString port = std::exchange(pendingPort_, QString());
    if (port.isEmpty()) {
        return;
    }
    if (connected.kind != Outcome::Kind::PortUnavailable) {
        stack_->KeepPort(port.toStdString());
        return;
    }
    // A path that could not be opened is not offered again.
    if (int entry = cmboPort_->findText(port); entry >= 0) {
        bool wasLoading = loadingSettings_;
        loadingSettings_ = true;
        cmboPort_->removeItem(entry);
        cmboPort_->setEditText(port);
        loadingSettings_ = wasLoading;
    }
}

void TFZQDir::ConnectToCalculator() {
    // The connect rereads the tree anyway; a refresh still pending would only repeat it.
    refreshTimer_->stop();
    ClearTreeNodes();
    commands_->SelectedPort = cmboPort_->currentText().toStdString();
    connecting_ = true;
    identified_ = false;
    SetRootCaption();
    Outcome connected = commands_->ConnectToCalculator([this] { ShowTree(); });
    connecting_ = false;
    connected_ = connected.IsDone();
    SettlePendingPort(connected);
    identified_ = connected_;
    if (connected_) {
        statusPanel1_->setText(Latin(commands_->MemoryStatus()));
        tree_->expand(TreeRoot());
    } else {
        statusPanel1_->clear();
    }
    SetRootCaption();
    UpdateControls();
    SetBusy(false);
    if (connected.IsCancelled()) {
        ShowStatus("Connect cancelled");
    } else if (connected.IsFailed()) {
        ShowOutcome(connected);
    }
}

void TFZQDir::Disconnect() {
    ShowOutcome(stack_->Disconnect());
    OnConnectedChanged(ui_->Connected());
}

void TFZQDir::ConnectFromCommandLine(const QString& argument) {
    if (argument.isEmpty()) {
        return;
    }
    if (argument.startsWith('/')) {
        // A device path that is not listed (a pseudo-terminal never is) is taken as given.
        KeepSessionPort(argument);
    }
    int found = cmboPort_->findText(argument, Qt::MatchFixedString);
    if (found < 0) {
        ui_->Beep();
        return;
    }
    cmboPort_->setCurrentIndex(found);
    ConnectToCalculator();
}

void TFZQDir::closeEvent(QCloseEvent* event) {
    if (busy_) {
        // An operation runs inside this call's stack: cancel it and close once it has ended.
        closePending_ = true;
        if (cancelRunning) {
            cancelRunning();
        }
        event->ignore();
        return;
    }
    if (ui_ != nullptr) {
        if (connected_) {
            ShowOutcome(stack_->Disconnect());
        }
        Guarded([this] { stack_->ClosePort(); });
        if (saveSettings) {
            saveSettings(CurrentSettings());
        }
        if (onClosing) {
            onClosing();
        }
    }
    event->accept();
}

}  // namespace vaddex::gui
