#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/WindowRules.h"
#include "session/Outcome.h"
#include "shell/ItemRef.h"

class QAbstractItemView;
class QAction;
class QMenu;
class QWidget;

namespace vaddex {
class SessionCommands;
class UiBridge;
struct CalculatorState;
}  // namespace vaddex

namespace vaddex::gui {

// The status bar's text once a session has ended.
inline constexpr const char* kDisconnectedText = "Disconnected";

// Commands of the menus that other parts of the program carry out; each stays disabled, with
// its reason in the status tip, until a handler is installed with SetCommandHandler.
enum class Command {
    NewFolder,
    Backup,
    Restore,
    Eval,
    Delete,
    Properties,
    DownloadServer,
    DownloadFile,
    UploadFile,
    Capture,
    Cut,
    Copy,
    CopyAsText,
    Paste,
    EditAsText,
    Options,
    CalculatorCommand,
    RomDownload,
};

// What the main window's command controllers may do with it: read the selection as values,
// run guarded calculator operations, and ask for a refresh. Keeps them off the window's
// widgets, so that a change of the panes does not reach into every command.
class WindowContext {
public:
    virtual ~WindowContext() = default;

    // The window as the parent of the dialogs and secondary windows a command opens.
    virtual QWidget& Widget() = 0;
    virtual SessionCommands& Commands() = 0;
    virtual UiBridge& Ui() const = 0;
    virtual CalculatorState& State() = 0;
    // The state the enabling rules read (connected, busy, a prompt up).
    virtual WindowState CurrentWindowState() const = 0;

    virtual void SetCommandHandler(Command command, std::function<void()> handler) = 0;
    // The menu action of a command, and the View menu (check marks that follow a window).
    virtual QAction* CommandAction(Command command) const = 0;
    virtual QMenu* ViewMenu() const = 0;
    // Runs after the hooks installed before: after every UpdateControls, and at close.
    virtual void AddControlsUpdatedStep(std::function<void()> step) = 0;
    virtual void AddClosingStep(std::function<void()> step) = 0;

    // --- the selection, as values
    virtual Pane ActivePane() const = 0;
    // The items selected in the pane, in list order; for the tree its selected node.
    virtual std::vector<ItemRef> Selection(Pane pane) const = 0;
    // The caption the tree shows for its root, which names the model.
    virtual QString RootCaption() const = 0;
    // The caption of the first unselected row after the last selected one, else of the last
    // unselected row before the first selected one; empty when every row is selected.
    virtual QString RowBesideSelection() const = 0;
    // The row the list selects after the next refresh.
    virtual void SetSelectedName(const QString& name) = 0;
    // Selects the tree node of the directory (its deepest existing ancestor); the list follows.
    virtual void SelectDirectory(const std::string& path) = 0;
    virtual bool ListEnabled() const = 0;
    virtual bool TreeEnabled() const = 0;

    // --- the views, for drag and drop hit testing only
    // The list row under a point of the shown list view's viewport; empty between rows.
    virtual std::optional<ItemRef> ListItemAt(QPoint viewportPoint) const = 0;
    // The list view shown now (details or icons), both list views, and the tree.
    virtual QAbstractItemView* ListView() const = 0;
    virtual QList<QAbstractItemView*> ListViews() const = 0;
    virtual QAbstractItemView* TreeView() const = 0;

    // --- running commands
    // Runs a calculator operation; a raised error goes to ShowError.
    virtual void Guarded(const std::function<void()>& operation) = 0;
    // Nothing for an outcome that goes on, else its message; true when it goes on.
    virtual bool ShowOutcome(const Outcome& outcome) = 0;
    virtual void ShowError(const std::string& message) = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    virtual void StartRefresh() = 0;
    virtual void UpdateControls() = 0;
    virtual void SetBusy(bool busy) = 0;
    virtual bool Busy() const = 0;
    virtual bool Connected() const = 0;
    virtual void Disconnect() = 0;
    // A directory is opened in the list; a variable is edited as text.
    virtual void OpenItem(const ItemRef& item) = 0;
    // The port as the tool bar shows it now.
    virtual std::string PortText() const = 0;

    // --- the file options the window keeps
    virtual const std::string& Editor() const = 0;
    virtual void SetEditor(const std::string& editor) = 0;
    virtual bool ConfirmDelete() const = 0;
    virtual void SetConfirmDelete(bool confirm) = 0;
};

}  // namespace vaddex::gui
