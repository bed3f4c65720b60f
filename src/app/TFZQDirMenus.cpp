// The main window's commands: one QAction each, shared by the menu bar, the tool bar and the
// pop-up menu, enabled and captioned in one place by the window rules.

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QListView>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <iterator>
#include <optional>

#include "app/AboutSplash.h"
#include "app/HelpSystem.h"
#include "app/IconSet.h"
#include "app/ItemSortProxy.h"
#include "app/PortComboBox.h"
#include "app/TFZQDir.h"
#include "session/PromptTexts.h"
#include "session/SessionCommands.h"
#include "session/UiBridge.h"

namespace vaddex::gui {
namespace {

constexpr const char* kNotAvailable = " (not available in this version)";

// In the order of ActionId.
constexpr const char* kActionNames[] = {
    "mnuNewFolder",    "mnuBackup",     "mnuRestore",         "mnuEval",
    "mnuDelete",       "mnuRename",     "mnuProperties",      "mnuConnect",
    "mnuXferMode",     "mnuPutProject", "mnuDownloadServer",  "mnuDownloadProject",
    "mnuDownloadFile", "mnuUploadFile", "mnuCapture",         "mnuExit",
    "mnuCut",          "mnuCopy",       "mnuCopyAsText",      "mnuPaste",
    "mnuEditAsText",   "mnuSelectAll",  "mnuInvertSelection", "mnuToolbar",
    "mnuStatusBar",    "mnuLargeIcons", "mnuSmallIcons",      "mnuList",
    "mnuDetails",      "mnuRefresh",    "mnuOptions",         "mnuRPL",
    "mnuRomDownload",  "mnuContents",   "mnuCommHelp",        "mnuTextFileHelp",
    "mnuTroubleHelp",  "mnuAbout",      "tbtnConnect",        "tbtnScrnCapture",
    "tbtnXferMode",    "btnLog",
};
static_assert(std::size(kActionNames) == kActionCount, "one name per ActionId");

using A = ActionId;
// Stands between two items in the menu lists below.
constexpr std::nullopt_t kSeparator = std::nullopt;

struct CommandEntry {
    Command command;
    ActionId id;
    const char* caption;
    const char* hint;
};

// The commands that other parts of the program carry out.
constexpr CommandEntry kCommandActions[] = {
    {Command::NewFolder, A::mnuNewFolder, "Ne&w Folder", "Create a new folder."},
    {Command::Backup, A::mnuBackup, "&Backup...", "Backup the calculator variables."},
    {Command::Restore, A::mnuRestore, "Re&store...", "Restore the calculator variables."},
    {Command::Eval, A::mnuEval, "&EVAL", "EVAL the variable on the calculator"},
    {Command::Delete, A::mnuDelete, "&Delete",
     "Permanently remove selected item from the calculator."},
    {Command::Properties, A::mnuProperties, "P&roperties",
     "Show the size and copy time for the selected item."},
    {Command::DownloadServer, A::mnuDownloadServer, "Download ZQK7 Server (Manual-XRECV)...",
     "Send an XModem Server to the ZQK7"},
    {Command::DownloadFile, A::mnuDownloadFile, "Download File (Manual-XRECV)...",
     "Send file using XRECV on calculator."},
    {Command::UploadFile, A::mnuUploadFile, "Upload File (Manual-XSEND)...",
     "Copy file to the PC using XSEND on the calculator."},
    {Command::Capture, A::mnuCapture, "Capture Calculator Screen...",
     "Copy the calculator screen to the PC."},
    {Command::Cut, A::mnuCut, "Cu&t", ""},
    {Command::Copy, A::mnuCopy, "&Copy", ""},
    {Command::CopyAsText, A::mnuCopyAsText, "Copy as Text File", "Get the file in text form"},
    {Command::Paste, A::mnuPaste, "&Paste", ""},
    {Command::EditAsText, A::mnuEditAsText, "Edit as Text", "Get the file in text form and edit"},
    {Command::Options, A::mnuOptions, "&Options...", ""},
    {Command::CalculatorCommand, A::mnuRPL, "Calculator &Command", ""},
    {Command::RomDownload, A::mnuRomDownload, "Download Calculator ROM...",
     "Update the Calculator ROM from a .bin file."},
};

// The list styles in the order of their numbers (DirViewStyle).
constexpr ActionId kStyleActions[] = {A::mnuLargeIcons, A::mnuSmallIcons, A::mnuList,
                                      A::mnuDetails};
constexpr const char* kStyleCaptions[] = {"Lar&ge Icons", "Ico&ns", "&List", "&Details"};

bool ClipboardHasFiles() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data != nullptr && data->hasUrls();
}

}  // namespace

const char* ActionName(ActionId id) {
    return kActionNames[static_cast<int>(id)];
}

QAction* TFZQDir::MakeAction(const char* name, const QString& caption, const QString& hint) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setStatusTip(hint);
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
    }
    actions_[name] = action;
    hints_[action] = hint;
    return action;
}

QAction* TFZQDir::MakeAction(ActionId id, const QString& caption, const QString& hint) {
    return MakeAction(ActionName(id), caption, hint);
}

QAction* TFZQDir::Action(ActionId id) const {
    auto found = actions_.find(QString::fromLatin1(ActionName(id)));
    return found == actions_.end() ? nullptr : found->second;
}

void TFZQDir::BuildActions() {
    for (const CommandEntry& entry : kCommandActions) {
        commandActions_[entry.command] = MakeAction(entry.id, entry.caption, entry.hint);
    }
    Action(A::mnuCut)->setShortcut(QKeySequence("Ctrl+X"));
    Action(A::mnuCopy)->setShortcut(QKeySequence("Ctrl+C"));
    Action(A::mnuCopyAsText)->setShortcut(QKeySequence("Ctrl+T"));
    Action(A::mnuPaste)->setShortcut(QKeySequence("Ctrl+V"));
    Action(A::mnuEditAsText)->setShortcut(QKeySequence("Ctrl+E"));
    Action(A::mnuRPL)->setCheckable(true);
    Action(A::mnuDelete)->setShortcut(QKeySequence::Delete);
    MakeAction(A::mnuRename, "Rena&me", "Rename selected item.")
        ->setShortcut(QKeySequence(Qt::Key_F2));
    MakeAction(A::mnuConnect, "Connect...",
               "Show dialog and open the communications port to the calculator.");
    // Checked in binary mode; the caption stays, the hint says what a click does.
    MakeAction(A::mnuXferMode, "Binary Transfer Mode", "Binary transfer mode, press for text mode")
        ->setCheckable(true);
    MakeAction(A::mnuPutProject, "Put Project (Auto-XSERV)",
               "Send project file using XModem Server");
    MakeAction(A::mnuDownloadProject, "Download Project (Manual-XRECV)...",
               "Send project file using XRECV on calculator.");
    MakeAction(A::mnuExit, "E&xit", "");
    Action(A::mnuExit)->setShortcut(QKeySequence::Quit);
    MakeAction(A::mnuSelectAll, "Select &All", "")->setShortcut(QKeySequence("Ctrl+A"));
    MakeAction(A::mnuInvertSelection, "&Invert Selection", "");
    MakeAction(A::mnuToolbar, "&Toolbar", "")->setCheckable(true);
    MakeAction(A::mnuStatusBar, "Status &Bar", "")->setCheckable(true);
    styleGroup_ = new QActionGroup(this);
    for (int style = 0; style < 4; ++style) {
        QAction* action = MakeAction(kStyleActions[style], kStyleCaptions[style], "");
        action->setCheckable(true);
        action->setData(style);
        styleGroup_->addAction(action);
    }
    Action(A::mnuLargeIcons)->setVisible(false);
    QAction* refresh =
        MakeAction(A::mnuRefresh, "&Refresh", "Read the directory from the calculator.");
    refresh->setShortcut(QKeySequence(Qt::Key_F5));
    // The command window promises that F5 there refreshes this window too.
    refresh->setShortcutContext(Qt::ApplicationShortcut);
    MakeAction(A::mnuContents, "&Contents and Index", "")->setShortcut(QKeySequence::HelpContents);
    MakeAction(A::mnuCommHelp, "Communications Topic", "")->setData(125001);
    MakeAction(A::mnuTextFileHelp, "Text File Topic", "")->setData(125005);
    MakeAction(A::mnuTroubleHelp, "Trouble Shooting Connections", "")->setData(125004);
    MakeAction(A::mnuAbout, "&About", "");
    MakeAction(A::tbtnConnect, "Connect", "Quick connect to the calculator.")
        ->setIcon(ImageIcon(kImageDisconnected));
    MakeAction(A::tbtnScrnCapture, "Screen capture",
               "Press to disconnect and start screen capture.")
        ->setIcon(ImageIcon(kImageCapture));
    MakeAction(A::tbtnXferMode, "Transfer mode", "Binary transfer mode, press for text mode")
        ->setIcon(ImageIcon(kImageBinaryMode));
}

void TFZQDir::AddMenuItems(QMenu* menu, std::initializer_list<std::optional<ActionId>> items) {
    for (const std::optional<ActionId>& item : items) {
        if (item) {
            menu->addAction(Action(*item));
        } else {
            menu->addSeparator();
        }
    }
}

void TFZQDir::BuildMenus() {
    QMenuBar* bar = menuBar();
    fileMenu_ = bar->addMenu("&File");
    AddMenuItems(fileMenu_, {A::mnuNewFolder,
                             A::mnuBackup,
                             A::mnuRestore,
                             A::mnuEval,
                             kSeparator,
                             A::mnuDelete,
                             A::mnuRename,
                             A::mnuProperties,
                             kSeparator,
                             A::mnuConnect,
                             A::mnuXferMode,
                             kSeparator,
                             A::mnuPutProject,
                             A::mnuDownloadServer,
                             A::mnuDownloadProject,
                             A::mnuDownloadFile,
                             A::mnuUploadFile,
                             A::mnuCapture,
                             kSeparator,
                             A::mnuExit});
    editMenu_ = bar->addMenu("&Edit");
    AddMenuItems(editMenu_, {A::mnuCut, A::mnuCopy, A::mnuCopyAsText, A::mnuPaste, kSeparator,
                             A::mnuEditAsText, kSeparator, A::mnuSelectAll, A::mnuInvertSelection});
    viewMenu_ = bar->addMenu("&View");
    AddMenuItems(viewMenu_, {A::mnuToolbar, A::mnuStatusBar, kSeparator, A::mnuLargeIcons,
                             A::mnuSmallIcons, A::mnuList, A::mnuDetails, kSeparator, A::mnuRefresh,
                             kSeparator, A::mnuOptions, A::mnuRPL});
    romMenu_ = bar->addMenu("&ROM");
    AddMenuItems(romMenu_, {A::mnuRomDownload});
    helpMenu_ = bar->addMenu("&Help");
    AddMenuItems(helpMenu_, {A::mnuContents, kSeparator, A::mnuCommHelp, A::mnuTextFileHelp,
                             A::mnuTroubleHelp, kSeparator, A::mnuAbout});
    connect(fileMenu_, &QMenu::aboutToShow, this, [this] { ApplyRules(); });
    connect(editMenu_, &QMenu::aboutToShow, this, [this] { ApplyRules(); });
    connect(viewMenu_, &QMenu::aboutToShow, this, [this] { mnuViewClick(); });
    connect(romMenu_, &QMenu::aboutToShow, this, [this] { ApplyRules(); });
}

void TFZQDir::BuildPopupMenu() {
    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName("PopupMenu1");
    AddMenuItems(popupMenu_,
                 {A::mnuNewFolder, A::mnuEval, kSeparator, A::mnuCut, A::mnuCopy, A::mnuCopyAsText,
                  A::mnuPaste, kSeparator, A::mnuEditAsText, kSeparator, A::mnuDelete, A::mnuRename,
                  kSeparator, A::mnuProperties, A::mnuRefresh});
    for (QAction* action : popupMenu_->actions()) {
        action->setShortcutVisibleInContextMenu(true);
    }
    connect(popupMenu_, &QMenu::aboutToShow, this, [this] { ApplyRules(); });
}

void TFZQDir::ShowPopup(QWidget* pane, const QPoint& point) {
    activePane_ = pane == tree_ ? Pane::Tree : Pane::List;
    ApplyRules();
    popupMenu_->popup(pane->mapToGlobal(point));
}

void TFZQDir::WireActions() {
    for (const auto& [command, action] : commandActions_) {
        connect(action, &QAction::triggered, this,
                [this, command = command] { RunHandler(command); });
    }
    connect(Action(A::tbtnScrnCapture), &QAction::triggered, this,
            [this] { RunHandler(Command::Capture); });
    connect(Action(A::tbtnConnect), &QAction::triggered, this, [this] { tbtnConnectClick(); });
    // The menu command shows the instructions for starting the server first.
    connect(Action(A::mnuConnect), &QAction::triggered, this, [this] { tbtnConnectClick(true); });
    auto toggleMode = [this] {
        ui_->SetTextMode(!state_.textMode);
        OnTextModeChanged(state_.textMode);
    };
    connect(Action(A::tbtnXferMode), &QAction::triggered, this, toggleMode);
    connect(Action(A::mnuXferMode), &QAction::triggered, this, toggleMode);
    connect(Action(A::mnuRename), &QAction::triggered, this, &TFZQDir::mnuRenameClick);
    connect(Action(A::mnuExit), &QAction::triggered, this, &QWidget::close);
    connect(Action(A::mnuRefresh), &QAction::triggered, this, [this] {
        refreshTimer_->stop();
        Reread();
    });
    WireViewActions();
}

void TFZQDir::WireViewActions() {
    connect(Action(A::mnuSelectAll), &QAction::triggered, details_, &QAbstractItemView::selectAll);
    connect(Action(A::mnuInvertSelection), &QAction::triggered, this, [this] {
        QModelIndex root = details_->rootIndex();
        QItemSelection all(ProxyIndex(0), proxy_->index(proxy_->rowCount(root) - 1, 2, root));
        details_->selectionModel()->select(all, QItemSelectionModel::Toggle);
    });
    connect(Action(A::mnuToolbar), &QAction::triggered, this,
            [this] { toolBar_->setVisible(toolBar_->isHidden()); });
    connect(Action(A::mnuStatusBar), &QAction::triggered, this,
            [this] { statusBar()->setVisible(statusBar()->isHidden()); });
    connect(styleGroup_, &QActionGroup::triggered, this,
            [this](QAction* action) { SetViewStyle(action->data().toInt()); });
    connect(Action(A::mnuContents), &QAction::triggered, this, [this] { ShowHelpTopic(this, 0); });
    for (ActionId id : {A::mnuCommHelp, A::mnuTextFileHelp, A::mnuTroubleHelp}) {
        QAction* action = Action(id);
        connect(action, &QAction::triggered, this,
                [this, action] { ShowHelpTopic(this, action->data().toInt()); });
    }
    connect(Action(A::mnuAbout), &QAction::triggered, this, [this] { ShowAboutBox(this); });
}

WindowState TFZQDir::CurrentWindowState() const {
    WindowState s;
    s.connected = connected_;
    s.busy = busy_;
    s.promptVisible = ui_ != nullptr && ui_->IsPromptVisible();
    s.connectStatusVisible = ui_ != nullptr && ui_->IsConnectStatusVisible();
    s.textMode = state_.textMode;
    s.activePane = activePane_;
    s.listEnabled = listStack_->isEnabled();
    s.listSelected = static_cast<int>(SelectedRows().size());
    s.treeEnabled = tree_->isEnabled();
    QModelIndex node = tree_->currentIndex();
    s.treeNodeSelected = node.isValid() && tree_->selectionModel()->isSelected(node);
    s.treeRootSelected = s.treeNodeSelected && !node.parent().isValid();
    s.clipboardHasFiles = ClipboardHasFiles();
    s.portText = cmboPort_->currentText().toStdString();
    s.hasPutProjectHook = static_cast<bool>(putProjectHook);
    s.hasGetProjectHook = static_cast<bool>(getProjectFileHook);
    return s;
}

void TFZQDir::UpdateControls() {
    WindowState s = CurrentWindowState();
    ControlRules rules = gui::UpdateControls(s);
    // "Calculator is Working" keeps the panes disabled while it shows.
    bool panes = rules.panesEnabled && !working_;
    tree_->setEnabled(panes);
    listStack_->setEnabled(panes);
    splitter_->setEnabled(panes);
    Action(A::tbtnConnect)->setEnabled(rules.connectEnabled);
    Action(A::tbtnScrnCapture)
        ->setEnabled(rules.captureEnabled && handlers_.count(Command::Capture));
    cmboPort_->setEnabled(rules.portEnabled);
    cmboSpeed_->setEnabled(rules.speedEnabled);
    QAction* mode = Action(A::tbtnXferMode);
    mode->setEnabled(rules.transferModeEnabled);
    mode->setIcon(ImageIcon(rules.transferModeImage));
    mode->setToolTip(QString::fromStdString(rules.transferModeHint));
    QAction* modeItem = Action(A::mnuXferMode);
    modeItem->setChecked(!state_.textMode);
    modeItem->setStatusTip(QString::fromStdString(rules.transferModeHint));
    QAction* connectButton = Action(A::tbtnConnect);
    connectButton->setIcon(ImageIcon(rules.connectImage));
    connectButton->setToolTip(QString::fromStdString(rules.connectHint));
    connectButton->setStatusTip(connectButton->toolTip());
    ApplyRules();
    if (rules.forceNotBusy && busy_) {
        SetBusy(false);
    }
    if (onControlsUpdated) {
        onControlsUpdated();
    }
}

void TFZQDir::EnableCommand(Command command, bool enabled) {
    QAction* action = commandActions_.at(command);
    bool available = handlers_.count(command) > 0;
    action->setEnabled(enabled && available);
    QString hint = hints_[action];
    auto reason = unavailable_.find(command);
    action->setStatusTip(available                      ? hint
                         : reason != unavailable_.end() ? hint + " (" + reason->second + ")"
                                                        : hint + kNotAvailable);
}

void TFZQDir::ApplyRules() {
    if (ui_ == nullptr) {
        return;
    }
    ApplyMenuRules(PopupMenu1Popup(CurrentWindowState()));
    SetShortCuts();
}

void TFZQDir::ApplyMenuRules(const MenuRules& m) {
    fileMenu_->menuAction()->setEnabled(m.fileMenu);
    editMenu_->menuAction()->setEnabled(m.editMenu);
    viewMenu_->menuAction()->setEnabled(m.viewMenu);
    romMenu_->menuAction()->setEnabled(m.romMenu);
    helpMenu_->menuAction()->setEnabled(m.helpMenu);
    Action(A::mnuSelectAll)->setEnabled(m.selectAll);
    Action(A::mnuInvertSelection)->setEnabled(m.invertSelection);
    EnableCommand(Command::Eval, m.eval);
    EnableCommand(Command::Cut, m.cut);
    EnableCommand(Command::Copy, m.copy);
    EnableCommand(Command::Delete, m.remove);
    Action(A::mnuRename)->setEnabled(m.rename);
    EnableCommand(Command::CopyAsText, m.copyAsText);
    EnableCommand(Command::EditAsText, m.editAsText);
    EnableCommand(Command::Properties, m.properties);
    Action(A::mnuXferMode)->setEnabled(m.transferMode);
    Action(A::mnuRefresh)->setEnabled(m.refresh);
    EnableCommand(Command::NewFolder, m.newFolder);
    EnableCommand(Command::Backup, m.backup);
    EnableCommand(Command::Restore, m.restore);
    EnableCommand(Command::Paste, m.paste);
    Action(A::mnuCopy)->setText(QString::fromStdString(m.copyCaption));
    QAction* connectItem = Action(A::mnuConnect);
    connectItem->setText(QString::fromStdString(m.connectCaption));
    connectItem->setStatusTip(QString::fromStdString(m.connectHint));
    connectItem->setEnabled(m.connectItem);
    // Ctrl+K disconnects: shown beside "Disconnect", and no key of "Connect...".
    connectItem->setShortcut(connected_ ? QKeySequence(Qt::CTRL | Qt::Key_K) : QKeySequence());
    Action(A::mnuPutProject)->setVisible(m.putProjectVisible);
    Action(A::mnuPutProject)->setEnabled(m.putProjectEnabled);
    Action(A::mnuDownloadProject)->setVisible(m.getProjectVisible);
    Action(A::mnuDownloadProject)->setEnabled(m.manualTransfers);
    for (Command command :
         {Command::DownloadServer, Command::DownloadFile, Command::UploadFile, Command::Capture}) {
        EnableCommand(command, m.manualTransfers);
    }
    EnableCommand(Command::RomDownload, m.romDownload);
    EnableCommand(Command::Options, true);
    EnableCommand(Command::CalculatorCommand, true);
}

void TFZQDir::mnuViewClick() {
    Action(A::mnuToolbar)->setChecked(!toolBar_->isHidden());
    Action(A::mnuStatusBar)->setChecked(!statusBar()->isHidden());
    Action(kStyleActions[viewStyle_])->setChecked(true);
    ApplyRules();
}

}  // namespace vaddex::gui
