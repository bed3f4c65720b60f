#pragma once

#include <QList>
#include <QMainWindow>
#include <QModelIndex>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ListSort.h"
#include "app/WindowContext.h"
#include "app/WindowRules.h"
#include "frontend/SessionStack.h"
#include "frontend/StoredSettings.h"
#include "session/CalculatorState.h"
#include "session/Outcome.h"
#include "shell/ItemRef.h"

class QAbstractItemModel;
class QAbstractItemView;
class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QListView;
class QMenu;

class QSplitter;
class QStackedWidget;
class QTimer;
class QToolBar;
class QTreeView;

namespace vaddex {
class SessionCommands;
class TXModemServer;
class TXPObject;
class UiBridge;
}  // namespace vaddex

namespace vaddex::gui {

class CalculatorItemModel;
class DirectoryTreeProxy;
class ItemSortProxy;
class TFAboutForm;
class TFLog;
class PortComboBox;

// Every action of the main window, named as its object: a name mistyped here does not
// compile, where a mistyped string only finds no action at run time.
enum class ActionId {
    mnuNewFolder,
    mnuBackup,
    mnuRestore,
    mnuEval,
    mnuDelete,
    mnuRename,
    mnuProperties,
    mnuConnect,
    mnuXferMode,
    mnuPutProject,
    mnuDownloadServer,
    mnuDownloadProject,
    mnuDownloadFile,
    mnuUploadFile,
    mnuCapture,
    mnuExit,
    mnuCut,
    mnuCopy,
    mnuCopyAsText,
    mnuPaste,
    mnuEditAsText,
    mnuSelectAll,
    mnuInvertSelection,
    mnuToolbar,
    mnuStatusBar,
    mnuLargeIcons,
    mnuSmallIcons,
    mnuList,
    mnuDetails,
    mnuRefresh,
    mnuOptions,
    mnuRPL,
    mnuRomDownload,
    mnuContents,
    mnuCommHelp,
    mnuTextFileHelp,
    mnuTroubleHelp,
    mnuAbout,
    tbtnConnect,
    tbtnScrnCapture,
    tbtnXferMode,
    btnLog,
};
inline constexpr int kActionCount = static_cast<int>(ActionId::btnLog) + 1;
// The object name of the action ("mnuRPL" for ActionId::mnuRPL).
const char* ActionName(ActionId id);

// The main window: the calculator's directories as a tree beside the items of the selected
// one, with the tool bar, menus and status bar. It owns the session and runs every calculator
// operation through SessionCommands on the UI thread.
class TFZQDir : public QMainWindow, public WindowContext {
    Q_OBJECT

public:
    explicit TFZQDir(QWidget* parent = nullptr);
    ~TFZQDir() override;

    // The state record the session and the bridge share; made with the window.
    CalculatorState& State() override { return state_; }

    // Creates the session on the bridge, lists the ports and applies the settings. Once.
    void FormCreate(UiBridge& ui, const frontend::StoredSettings& settings);
    // Closes the port and ends the session; the bridge may go after this.
    void FormDestroy();
    // Adds "Log" to the View menu (and the hidden tool button): shows the log window.
    void SetLogWindow(TFLog* log);
    // Where texts for the log go (settings that could not be used); empty: standard error.
    std::function<void(const std::string&)> logText;
    // The prompt wording the user chose last, written as "RPNPrompts"; empty: as read.
    std::function<bool()> rpnPromptsNow;
    // Runs at close after the settings were written: placements, secondary windows.
    std::function<void()> onClosing;
    // Runs after every UpdateControls: secondary windows follow the state.
    std::function<void()> onControlsUpdated;
    // The settings as the window stands now (written at close).
    frontend::StoredSettings CurrentSettings() const;
    // Where the settings go at close; by default the settings file.
    std::function<void(const frontend::StoredSettings&)> saveSettings;

    // --- state hooks: the bridge calls these on the UI thread when the session changes them
    void OnConnectedChanged(bool connected);
    void OnBusyChanged(bool busy);
    void OnTextModeChanged(bool textMode);
    void OnSeriesChanged(const std::string& series);
    void OnModelChanged(const std::string& model);
    void OnWorkingChanged(bool working);

    // --- state operations used by the commands
    // Enables the panes, tool bar and menus by the window's state (after every change of it).
    void UpdateControls() override;
    void SetBusy(bool busy) override;
    bool Busy() const override { return busy_; }
    bool Connected() const override;
    void ShowStatus(const std::string& text) override;
    Pane ActivePane() const override { return activePane_; }

    // --- what the command controllers work on: the selection as values, never the items
    // The items selected in the pane, in list order; for the tree its selected node.
    std::vector<ItemRef> Selection(Pane pane) const override;
    // The list row under a point of the shown list view's viewport; empty between rows.
    std::optional<ItemRef> ListItemAt(QPoint viewportPoint) const override;
    // The list view shown now (details or icons), and both list views.
    QAbstractItemView* ListView() const override;
    QList<QAbstractItemView*> ListViews() const override;
    QAbstractItemView* TreeView() const override;
    bool ListEnabled() const override;
    bool TreeEnabled() const override;
    // Selects the tree node of the directory (its deepest existing ancestor); the list follows.
    void SelectDirectory(const std::string& path) override;
    // The row the list selects after the next refresh.
    void SetSelectedName(const QString& name) override { selectedName_ = name; }
    // The name of the row the list selects after a refresh, or the user chose last.
    const QString& SelectedName() const { return selectedName_; }
    // The caption of the first unselected row after the last selected one, else of the last
    // unselected row before the first selected one; empty when every row is selected.
    QString RowBesideSelection() const override;
    // Starts the deferred refresh.
    void StartRefresh() override;
    UiBridge& Ui() const override { return *ui_; }
    QMenu* ViewMenu() const override { return viewMenu_; }
    const std::string& Editor() const override { return editor_; }
    void SetEditor(const std::string& editor) override { editor_ = editor; }
    bool ConfirmDelete() const override { return confirmDelete_; }
    void SetConfirmDelete(bool confirm) override { confirmDelete_ = confirm; }
    // Runs a calculator operation; a raised error goes to ShowError.
    void Guarded(const std::function<void()>& operation) override;
    QWidget& Widget() override { return *this; }
    SessionCommands& Commands() override { return *commands_; }
    WindowState CurrentWindowState() const override;
    QAction* CommandAction(Command command) const override;
    void AddControlsUpdatedStep(std::function<void()> step) override;
    void AddClosingStep(std::function<void()> step) override;
    QString RootCaption() const override;
    std::string PortText() const override;

    // --- commands
    // Connects, or disconnects when connected and idle; withInstructions shows how to start
    // the calculator's server first (the menu command).
    void tbtnConnectClick(bool withInstructions = false);
    void ConnectToCalculator();
    void Disconnect() override;
    void Reread();
    // The first command-line argument: the port item it names is selected and connected; a
    // device path the list does not hold is added first and kept for the session. Beeps when
    // nothing matches.
    void ConnectFromCommandLine(const QString& argument);
    // Runs the splash (the About window) once the window shows, or at once when it already
    // shows, then connects to `port` when not empty. Once per run.
    void StartSplash(const QString& port, TFAboutForm* about);
    int SplashStep() const { return aboutStep_; }
    // Enter in "Connect using": a typed device path joins the list for the session; connects.
    void cmboPortReturnPressed();
    void RefreshPortList();
    // Renames the list row (a proxy row) in place; false when a name was declined.
    bool ListView1Edited(int row, const QString& newText);
    // Renames the directory of a tree node (an index of the tree's model) in place.
    bool TreeView1Edited(const QModelIndex& node, const QString& newText);
    void OpenItem(int row);
    // A directory is opened in the list; a variable is edited as text.
    void OpenItem(const ItemRef& item) override;
    // Starts editing the caption of the active pane's item: the tree's node, or the list's
    // current row (the first selected one when the current row is not selected).
    void mnuRenameClick();

    void SetCommandHandler(Command command, std::function<void()> handler) override;
    // Why a command without a handler is off, shown after its hint; by default it is "not
    // available in this version".
    void SetUnavailableReason(Command command, const QString& reason);
    // A session error, shown in a message box unless a handler is installed (tests).
    void ShowError(const std::string& message) override;
    // The window's one mapping of an outcome: nothing for one that goes on; else its message
    // with the stop icon (a port that cannot be opened with the system's reason and, when
    // access was denied, how to get it). True when the outcome goes on.
    bool ShowOutcome(const Outcome& outcome) override;
    std::function<void(const std::string&)> errorHandler;
    // Asked to cancel what runs when the window closes during an operation.
    std::function<void()> cancelRunning;

    // The host's project hooks: empty in the standalone program, so their items stay hidden.
    std::function<void()> putProjectHook;
    std::function<void()> getProjectFileHook;

    // --- for tests and the benchmark
    QTreeView* Tree() const { return tree_; }
    QTreeView* List() const { return details_; }
    // The item model both panes show.
    QAbstractItemModel* ListModel() const;
    ItemSortProxy* ListProxy() const { return proxy_; }
    // The index of a list row (a proxy row) under the list's root.
    QModelIndex ListIndex(int row) const { return ProxyIndex(row); }
    QComboBox* PortSelector() const;
    QComboBox* SpeedSelector() const { return cmboSpeed_; }
    QAction* Action(ActionId id) const;
    // The tree node (an index of the tree's model) of a path's deepest existing directory.
    QModelIndex FindNodeByPath(const std::string& path) const;
    // The path of the directory a tree node shows ("HOME A").
    static std::string NodePath(const QModelIndex& node);
    const std::string& CurrentPath() const;
    // Proxy row texts in display order, column 0.
    QStringList ListCaptions() const;
    void ListView1ColumnClick(int column);
    const SortState& Sort() const { return sort_; }
    QString StatusPanel(int index) const;

signals:
    // A refresh has ended; `listed` when it showed a listing it read in full.
    void RereadDone(bool listed);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // --- building (TFZQDirLayout.cpp)
    void BuildToolBar();
    void BuildPanes();
    void BuildTree();
    void BuildList();
    void BuildStatusBar();
    void CreateColumns(int dirColSize);
    void ApplySettings(const frontend::StoredSettings& settings);
    void SetViewStyle(int style);
    int ViewStyle() const { return viewStyle_; }
    // --- menus (TFZQDirMenus.cpp)
    QAction* MakeAction(const char* name, const QString& caption, const QString& hint);
    QAction* MakeAction(ActionId id, const QString& caption, const QString& hint);
    void BuildActions();
    void BuildMenus();
    // Adds the actions in order; an empty entry adds a separator.
    void AddMenuItems(QMenu* menu, std::initializer_list<std::optional<ActionId>> items);
    void BuildPopupMenu();
    void WireActions();
    void WireViewActions();
    void ApplyRules();
    void ApplyMenuRules(const MenuRules& rules);
    void EnableCommand(Command command, bool enabled);
    void mnuViewClick();
    void ShowPopup(QWidget* pane, const QPoint& point);
    // --- panes (TFZQDirPanes.cpp)
    void ClearTreeNodes();
    void ClearListRows();
    void ShowTree();
    void TreeView1Change(const QModelIndex& node);
    // The list shows the items of the directory; none: an empty list.
    void ShowListOf(const std::optional<std::string>& path);
    QModelIndex TreeRoot() const;
    ItemRef RowRef(int row) const;
    void SortList();
    void SelectRowNamed(const QString& name);
    void ListView1SelectItem();
    // A press on the list's empty space: nothing stays chosen.
    void ClearListSelection();
    void SelectParentNode();
    void SetShortCuts();
    bool Editing() const;
    bool PaneKeyPress(QObject* watched, QKeyEvent* key);
    QList<int> SelectedRows() const;
    QModelIndex ProxyIndex(int row) const;
    void SetRootCaption();
    // Qt moves the keyboard out of a disabled pane and does not bring it back: without this,
    // the next key after a command (Delete, F2, a letter) would go to the other pane.
    bool PaneHasFocus() const;
    void FocusActivePane();
    // Offers a device path given or typed in the selector until the connect to it has ended.
    void KeepSessionPort(const QString& port);
    // After the connect: a path that opened is kept for the session, one that could not be
    // opened leaves the list.
    void SettlePendingPort(const Outcome& connected);
    // Selects the port the remembered-port rule chooses among the selector's entries: the
    // entry it names, else its name typed in.
    void SelectRememberedPort(const QString& remembered, frontend::UnlistedPort unlisted);
    void StartSplashTimer();
    void RunHandler(Command command);
    // --- renaming (TFZQDirRename.cpp)
    bool AskReplaceName(const std::string& name);
    // A rename onto a name an item (not a directory) holds asks first; No declines it.
    Outcome RenameAsking(const std::string& oldName, const std::string& newName, bool isDirectory);

    CalculatorState state_;
    UiBridge* ui_ = nullptr;
    // Link, session, root and commands, with the port list and the device paths given on the
    // command line or typed; commands_ and root_ point into it while it is there.
    std::unique_ptr<frontend::SessionStack> stack_;
    SessionCommands* commands_ = nullptr;
    TXPObject* root_ = nullptr;

    bool busy_ = false;
    bool connected_ = false;
    bool working_ = false;
    bool loadingSettings_ = false;
    bool closePending_ = false;
    // A pane held the keyboard when the panes were disabled; it gets it back after.
    bool paneHadFocus_ = false;
    bool filling_ = false;  // the tree's selection is being set by the window itself
    Pane activePane_ = Pane::List;
    QString selectedName_;
    SortState sort_;
    int columnTag_[3] = {kTagFiles, kTagType, kTagSize};
    int viewStyle_ = 3;
    int readTreeWidth_ = 150;   // until the splitter has been laid out
    int readFilesWidth_ = 160;  // until the list has been laid out
    std::string editor_;
    bool confirmDelete_ = false;
    bool rpnPrompts_ = true;
    int aboutStep_ = 0;
    QString splashPort_;
    bool splashStarted_ = false;
    QPointer<TFAboutForm> aboutWindow_;
    // A connect is under way: the window is not shown connected before it has succeeded.
    bool connecting_ = false;
    // The last connect succeeded: the root names the model.
    bool identified_ = false;
    QString pendingPort_;

    QToolBar* toolBar_ = nullptr;
    PortComboBox* cmboPort_ = nullptr;
    QComboBox* cmboSpeed_ = nullptr;
    QTreeView* tree_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QStackedWidget* listStack_ = nullptr;
    QTreeView* details_ = nullptr;
    QListView* icons_ = nullptr;
    CalculatorItemModel* model_ = nullptr;
    ItemSortProxy* proxy_ = nullptr;
    DirectoryTreeProxy* treeProxy_ = nullptr;
    QLabel* statusPanel0_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
    QTimer* aboutTimer_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QMenu* romMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QMenu* popupMenu_ = nullptr;
    QActionGroup* styleGroup_ = nullptr;
    std::map<QString, QAction*> actions_;
    std::map<Command, QAction*> commandActions_;
    std::map<Command, std::function<void()>> handlers_;
    std::map<Command, QString> unavailable_;
    std::map<QAction*, QString> hints_;
};

}  // namespace vaddex::gui
