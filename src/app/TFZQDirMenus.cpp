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
#include <QTreeWidget>

#include "app/AboutSplash.h"
#include "app/HelpSystem.h"
#include "app/IconSet.h"
#include "app/ItemSortProxy.h"
#include "app/PortComboBox.h"
#include "app/TFZQDir.h"
#include "session/PromptTexts.h"
#include "session/SessionCommands.h"
#include "session/TXModemServer.h"
#include "session/UiBridge.h"

namespace vaddex::gui {
namespace {

constexpr const char* kNotAvailable = " (not available in this version)";

struct CommandAction {
    Command command;
    const char* name;
    const char* caption;
    const char* hint;
};

// The commands that other parts of the program carry out.
constexpr CommandAction kCommandActions[] = {
    {Command::NewFolder, "mnuNewFolder", "Ne&w Folder", "Create a new folder."},
    {Command::Backup, "mnuBackup", "Backup...", "Backup the calculator variables."},
    {Command::Restore, "mnuRestore", "Restore...", "Restore the calculator variables."},
    {Command::Eval, "mnuEval", "&EVAL", "EVAL the variable on the calculator"},
    {Command::Delete, "mnuDelete", "&Delete",
     "Permanently remove selected item from the calculator."},
    {Command::Properties, "mnuProperties", "P&roperties",
     "Show the size and copy time for the selected item."},
    {Command::DownloadServer, "mnuDownloadServer", "Download ZQK7 Server (Manual-XRECV)...",
     "Send an XModem Server to the ZQK7"},
    {Command::DownloadFile, "mnuDownloadFile", "Download File (Manual-XRECV)...",
     "Send file using XRECV on calculator."},
    {Command::UploadFile, "mnuUploadFile", "Upload File (Manual-XSEND)...",
     "Copy file to the PC using XSEND on the calculator."},
    {Command::Capture, "mnuCapture", "Capture Calculator Screen...",
     "Copy the calculator screen to the PC."},
    {Command::Cut, "mnuCut", "Cu&t", ""},
    {Command::Copy, "mnuCopy", "&Copy", ""},
    {Command::CopyAsText, "mnuCopyAsText", "Copy as Text File", "Get the file in text form"},
    {Command::Paste, "mnuPaste", "&Paste", ""},
    {Command::EditAsText, "mnuEditAsText", "Edit as Text", "Get the file in text form and edit"},
    {Command::Options, "mnuOptions", "&Options...", ""},
    {Command::CalculatorCommand, "mnuRPL", "Calculator &Command", ""},
    {Command::RomDownload, "mnuRomDownload", "Download Calculator ROM...",
     "Update the Calculator ROM from a .bin file."},
};

bool ClipboardHasFiles() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data != nullptr && data->hasUrls();
}

}  // namespace

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

QAction* TFZQDir::Action(const QString& objectName) const {
    auto found = actions_.find(objectName);
    return found == actions_.end() ? nullptr : found->second;
}

void TFZQDir::BuildActions() {
    for (const CommandAction& entry : kCommandActions) {
        commandActions_[entry.command] = MakeAction(entry.name, entry.caption, entry.hint);
    }
    Action("mnuCut")->setShortcut(QKeySequence("Ctrl+X"));
    Action("mnuCopy")->setShortcut(QKeySequence("Ctrl+C"));
    Action("mnuCopyAsText")->setShortcut(QKeySequence("Ctrl+T"));
    Action("mnuPaste")->setShortcut(QKeySequence("Ctrl+V"));
    Action("mnuEditAsText")->setShortcut(QKeySequence("Ctrl+E"));
    Action("mnuRPL")->setCheckable(true);
    MakeAction("mnuRename", "Rena&me", "Rename selected item.");
    MakeAction("mnuConnect", "Connect...",
               "Show dialog and open the communications port to the calculator.");
    MakeAction("mnuXferMode", "Binary Transfer Mode", "Binary transfer mode, press for text mode");
    MakeAction("mnuPutProject", "Put Project (Auto-XSERV)",
               "Send project file using XModem Server");
    MakeAction("mnuDownloadProject", "Download Project (Manual-XRECV)...",
               "Send project file using XRECV on calculator.");
    MakeAction("mnuExit", "E&xit", "");
    MakeAction("mnuSelectAll", "Select &All", "")->setShortcut(QKeySequence("Ctrl+A"));
    MakeAction("mnuInvertSelection", "&Invert Selection", "");
    MakeAction("mnuToolbar", "&Toolbar", "")->setCheckable(true);
    MakeAction("mnuStatusBar", "Status &Bar", "")->setCheckable(true);
    styleGroup_ = new QActionGroup(this);
    const char* styles[][2] = {{"mnuLargeIcons", "Lar&ge Icons"},
                               {"mnuSmallIcons", "Ico&ns"},
                               {"mnuList", "&List"},
                               {"mnuDetails", "&Details"}};
    for (int style = 0; style < 4; ++style) {
        QAction* action = MakeAction(styles[style][0], styles[style][1], "");
        action->setCheckable(true);
        action->setData(style);
        styleGroup_->addAction(action);
    }
    Action("mnuLargeIcons")->setVisible(false);
    MakeAction("mnuRefresh", "&Refresh", "Read the directory from the calculator.")
        ->setShortcut(QKeySequence(Qt::Key_F5));
    MakeAction("mnuContents", "&Contents and Index", "")->setShortcut(QKeySequence::HelpContents);
    MakeAction("mnuCommHelp", "Communications Topic", "")->setData(125001);
    MakeAction("mnuTextFileHelp", "Text File Topic", "")->setData(125005);
    MakeAction("mnuTroubleHelp", "Trouble Shooting Connections", "")->setData(125004);
    MakeAction("mnuAbout", "&About", "");
    MakeAction("tbtnConnect", "Connect", "Quick connect to the calculator.")
        ->setIcon(ImageIcon(kImageDisconnected));
    MakeAction("tbtnScrnCapture", "Screen capture", "Press to disconnect and start screen capture.")
        ->setIcon(ImageIcon(kImageCapture));
    MakeAction("tbtnXferMode", "Transfer mode", "Binary transfer mode, press for text mode")
        ->setIcon(ImageIcon(kImageBinaryMode));
}

void TFZQDir::BuildMenus() {
    QMenuBar* bar = menuBar();
    fileMenu_ = bar->addMenu("&File");
    for (const char* name : {"mnuNewFolder",
                             "mnuBackup",
                             "mnuRestore",
                             "mnuEval",
                             "-",
                             "mnuDelete",
                             "mnuRename",
                             "mnuProperties",
                             "-",
                             "mnuConnect",
                             "mnuXferMode",
                             "-",
                             "mnuPutProject",
                             "mnuDownloadServer",
                             "mnuDownloadProject",
                             "mnuDownloadFile",
                             "mnuUploadFile",
                             "mnuCapture",
                             "-",
                             "mnuExit"}) {
        name[0] == '-' ? (void)fileMenu_->addSeparator() : fileMenu_->addAction(Action(name));
    }
    editMenu_ = bar->addMenu("&Edit");
    for (const char* name : {"mnuCut", "mnuCopy", "mnuCopyAsText", "mnuPaste", "-", "mnuEditAsText",
                             "-", "mnuSelectAll", "mnuInvertSelection"}) {
        name[0] == '-' ? (void)editMenu_->addSeparator() : editMenu_->addAction(Action(name));
    }
    viewMenu_ = bar->addMenu("&View");
    for (const char* name :
         {"mnuToolbar", "mnuStatusBar", "-", "mnuLargeIcons", "mnuSmallIcons", "mnuList",
          "mnuDetails", "-", "mnuRefresh", "-", "mnuOptions", "mnuRPL"}) {
        name[0] == '-' ? (void)viewMenu_->addSeparator() : viewMenu_->addAction(Action(name));
    }
    romMenu_ = bar->addMenu("ROM");
    romMenu_->addAction(Action("mnuRomDownload"));
    helpMenu_ = bar->addMenu("&Help");
    for (const char* name : {"mnuContents", "-", "mnuCommHelp", "mnuTextFileHelp", "mnuTroubleHelp",
                             "-", "mnuAbout"}) {
        name[0] == '-' ? (void)helpMenu_->addSeparator() : helpMenu_->addAction(Action(name));
    }
    connect(fileMenu_, &QMenu::aboutToShow, this, [this] { ApplyRules(); });
    connect(editMenu_, &QMenu::aboutToShow, this, [this] { ApplyRules(); });
    connect(viewMenu_, &QMenu::aboutToShow, this, [this] { mnuViewClick(); });
    connect(romMenu_, &QMenu::aboutToShow, this, [this] { ApplyRules(); });
}

void TFZQDir::BuildPopupMenu() {
    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName("PopupMenu1");
    for (const char* name :
         {"mnuNewFolder", "mnuEval", "-", "mnuCut", "mnuCopy", "mnuCopyAsText", "mnuPaste", "-",
          "mnuEditAsText", "-", "mnuDelete", "mnuRename", "-", "mnuProperties", "mnuRefresh"}) {
        name[0] == '-' ? (void)popupMenu_->addSeparator() : popupMenu_->addAction(Action(name));
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
    connect(Action("tbtnScrnCapture"), &QAction::triggered, this,
            [this] { RunHandler(Command::Capture); });
    connect(Action("tbtnConnect"), &QAction::triggered, this, [this] { tbtnConnectClick(); });
    // The menu command shows the instructions for starting the server first.
    connect(Action("mnuConnect"), &QAction::triggered, this, [this] { tbtnConnectClick(true); });
    auto toggleMode = [this] {
        ui_->SetTextMode(!state_.textMode);
        OnTextModeChanged(state_.textMode);
    };
    connect(Action("tbtnXferMode"), &QAction::triggered, this, toggleMode);
    connect(Action("mnuXferMode"), &QAction::triggered, this, toggleMode);
    connect(Action("mnuRename"), &QAction::triggered, this, &TFZQDir::mnuRenameClick);
    connect(Action("mnuExit"), &QAction::triggered, this, &QWidget::close);
    connect(Action("mnuRefresh"), &QAction::triggered, this, [this] {
        refreshTimer_->stop();
        Reread();
    });
    WireViewActions();
}

void TFZQDir::WireViewActions() {
    connect(Action("mnuSelectAll"), &QAction::triggered, details_, &QAbstractItemView::selectAll);
    connect(Action("mnuInvertSelection"), &QAction::triggered, this, [this] {
        QItemSelection all(ProxyIndex(0), proxy_->index(proxy_->rowCount() - 1, 2));
        details_->selectionModel()->select(all, QItemSelectionModel::Toggle);
    });
    connect(Action("mnuToolbar"), &QAction::triggered, this,
            [this] { toolBar_->setVisible(toolBar_->isHidden()); });
    connect(Action("mnuStatusBar"), &QAction::triggered, this,
            [this] { statusBar()->setVisible(statusBar()->isHidden()); });
    connect(styleGroup_, &QActionGroup::triggered, this,
            [this](QAction* action) { SetViewStyle(action->data().toInt()); });
    connect(Action("mnuContents"), &QAction::triggered, this, [this] { ShowHelpTopic(this, 0); });
    for (const char* name : {"mnuCommHelp", "mnuTextFileHelp", "mnuTroubleHelp"}) {
        QAction* action = Action(name);
        connect(action, &QAction::triggered, this,
                [this, action] { ShowHelpTopic(this, action->data().toInt()); });
    }
    connect(Action("mnuAbout"), &QAction::triggered, this, [this] { ShowAboutBox(this); });
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
    QTreeWidgetItem* node = tree_->currentItem();
    s.treeNodeSelected = node != nullptr && node->isSelected();
    s.treeRootSelected = s.treeNodeSelected && node->parent() == nullptr;
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
    Action("tbtnConnect")->setEnabled(rules.connectEnabled);
    Action("tbtnScrnCapture")
        ->setEnabled(rules.captureEnabled && handlers_.count(Command::Capture));
    cmboPort_->setEnabled(rules.portEnabled);
    cmboSpeed_->setEnabled(rules.speedEnabled);
    QAction* mode = Action("tbtnXferMode");
    mode->setEnabled(rules.transferModeEnabled);
    mode->setIcon(ImageIcon(rules.transferModeImage));
    mode->setToolTip(QString::fromStdString(rules.transferModeHint));
    Action("mnuXferMode")->setText(QString::fromStdString(rules.transferModeHint));
    QAction* connectButton = Action("tbtnConnect");
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
    Action("mnuSelectAll")->setEnabled(m.selectAll);
    Action("mnuInvertSelection")->setEnabled(m.invertSelection);
    EnableCommand(Command::Eval, m.eval);
    EnableCommand(Command::Cut, m.cut);
    EnableCommand(Command::Copy, m.copy);
    EnableCommand(Command::Delete, m.remove);
    Action("mnuRename")->setEnabled(m.rename);
    EnableCommand(Command::CopyAsText, m.copyAsText);
    EnableCommand(Command::EditAsText, m.editAsText);
    EnableCommand(Command::Properties, m.properties);
    Action("mnuXferMode")->setEnabled(m.transferMode);
    Action("mnuRefresh")->setEnabled(m.refresh);
    EnableCommand(Command::NewFolder, m.newFolder);
    EnableCommand(Command::Backup, m.backup);
    EnableCommand(Command::Restore, m.restore);
    EnableCommand(Command::Paste, m.paste);
    Action("mnuCopy")->setText(QString::fromStdString(m.copyCaption));
    QAction* connectItem = Action("mnuConnect");
    connectItem->setText(QString::fromStdString(m.connectCaption));
    connectItem->setStatusTip(QString::fromStdString(m.connectHint));
    connectItem->setEnabled(m.connectItem);
    Action("mnuPutProject")->setVisible(m.putProjectVisible);
    Action("mnuPutProject")->setEnabled(m.putProjectEnabled);
    Action("mnuDownloadProject")->setVisible(m.getProjectVisible);
    Action("mnuDownloadProject")->setEnabled(m.manualTransfers);
    for (Command command :
         {Command::DownloadServer, Command::DownloadFile, Command::UploadFile, Command::Capture}) {
        EnableCommand(command, m.manualTransfers);
    }
    EnableCommand(Command::RomDownload, m.romDownload);
    EnableCommand(Command::Options, true);
    EnableCommand(Command::CalculatorCommand, true);
}

void TFZQDir::mnuViewClick() {
    Action("mnuToolbar")->setChecked(!toolBar_->isHidden());
    Action("mnuStatusBar")->setChecked(!statusBar()->isHidden());
    const char* styles[] = {"mnuLargeIcons", "mnuSmallIcons", "mnuList", "mnuDetails"};
    Action(styles[viewStyle_])->setChecked(true);
    ApplyRules();
}

}  // namespace vaddex::gui
