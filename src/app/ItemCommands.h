#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/ItemRef.h"
#include "windows/TFOptions.h"

namespace vaddex::gui {

class CopyController;
class TFRplCmd;
class WindowContext;
class TWindowPosSave;

// The main window's item commands: New Folder, Delete, Cut, Properties, EVAL, Edit as Text,
// the options dialog and the calculator command window. Each runs the window's
// SessionCommands, and a command that changed the calculator starts the deferred refresh.
class ItemCommands : public QObject {
    Q_OBJECT
public:
    // Installs the commands on the window; `copy` serves Cut and Edit as Text, which stay off
    // when it cannot copy (no folder for desktop files could be made).
    ItemCommands(WindowContext& window, CopyController* copy);
    ~ItemCommands() override;

    // Blocks while the calculator makes directory "New" in the active pane's directory (for
    // the tree: beside the selected node) and selects it after the refresh.
    void mnuNewFolderClick();
    // Blocks while every selected item is purged. Asks first when a directory holds items, or
    // always with the "Ask before deleting" option; No deletes nothing.
    void DeleteSelected();
    // Copy, then the same selection deleted; nothing is deleted when the copy failed.
    void mnuCutClick();
    // The names, total size and estimated time of the selection, at the line's speed.
    void mnuPropertyClick();
    // Blocks while the calculator evaluates the selected variable; a directory is opened.
    void mnuEvalClick();
    // Gets the item as text, blocks until the editor ends, and sends a changed file back into
    // the directory the item came from. An editor that returns at once leaves an "Editing
    // NAME" window that sends each saved change until it is closed.
    void mnuEditTextClick();
    // The options dialog; the window's settings change when the user presses OK.
    void mnuOptionsClick();
    // Shows or closes the command window as the View menu's check mark says.
    void mnuRPLClick();

    // The file options as the window holds them, and writing them back.
    FileOptions CurrentOptions() const;
    void ApplyOptions(const FileOptions& options);

    TFRplCmd& CommandWindow() { return *rplCmd_; }

    // How the dialogs are shown; tests answer them without a modal loop.
    std::function<bool(FileOptions& options)> showOptions;
    std::function<void(const std::string& names, std::int64_t bytes, std::int64_t seconds)>
        showProperties;
    // The Delete question; true for Yes. By default a message box whose default is No.
    std::function<bool(const std::string& question)> askDelete;

private:
    // Runs a command that changes the calculator: busy meanwhile, errors shown, refresh after.
    void Changing(const std::function<void()>& operation);
    void UpdateCommandWindow();
    void WatchEdits(const std::string& file, const std::string& name, const std::string& directory);
    // The question Delete must ask first about the items; empty when none is needed.
    std::string DeleteQuestion(const std::vector<ItemRef>& items);
    bool MayDelete(const std::vector<ItemRef>& items);

    WindowContext& window_;
    CopyController* copy_;
    TFRplCmd* rplCmd_ = nullptr;  // a child of the window, which outlives these commands
    std::unique_ptr<TWindowPosSave> rplPlacement_;
};

}  // namespace vaddex::gui
