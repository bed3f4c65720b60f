#include "app/WindowRules.h"

namespace vaddex::gui {
namespace {

// The three selection conditions of the menu rules.
struct Selection {
    bool any = false;
    bool edit = false;
    bool one = false;
};

Selection SelectionOf(const WindowState& s) {
    Selection selection;
    if (s.activePane == Pane::List) {
        selection.any = s.listEnabled && s.listSelected > 0;
        selection.edit = selection.any;
        selection.one = s.listEnabled && s.listSelected == 1;
    } else if (s.activePane == Pane::Tree) {
        // The root cannot be cut, deleted or renamed, but its properties can be shown.
        selection.any = s.treeEnabled && s.treeNodeSelected;
        selection.edit = selection.any && !s.treeRootSelected;
        selection.one = selection.edit;
    }
    return selection;
}

}  // namespace

ControlRules UpdateControls(const WindowState& s) {
    ControlRules rules;
    bool blocked = s.Blocked();
    rules.panesEnabled = s.connected && s.Free();
    rules.connectEnabled = s.Free();
    rules.captureEnabled = s.Free();
    rules.portEnabled = !s.connected && s.Free();
    rules.speedEnabled = rules.portEnabled && !s.UsbPort();
    if (!s.connected) {
        rules.transferModeEnabled = false;
        rules.connectImage = kImageDisconnected;
        rules.connectHint = "Quick connect to the calculator.";
        rules.forceNotBusy = true;
    } else {
        rules.transferModeEnabled = !blocked && !s.busy;
        rules.connectImage = kImageConnected;
        rules.connectHint = "Disconnect from the calculator.";
    }
    rules.transferModeImage = s.textMode ? kImageTextMode : kImageBinaryMode;
    rules.transferModeHint = s.textMode ? "Text transfer mode, press for binary mode"
                                        : "Binary transfer mode, press for text mode";
    return rules;
}

MenuRules PopupMenu1Popup(const WindowState& s) {
    MenuRules m;
    Selection sel = SelectionOf(s);
    bool free = s.Free();
    bool listActive = s.activePane == Pane::List;
    m.fileMenu = !s.busy;
    m.editMenu = m.viewMenu = m.helpMenu = free;
    m.romMenu = free && s.UsbPort();
    m.selectAll = m.invertSelection = s.connected && listActive && free;
    m.eval = sel.one && free && listActive;
    m.cut = m.copy = m.remove = m.rename = sel.edit && free;
    m.copyAsText = m.editAsText = sel.one && free;
    m.properties = sel.any && free;
    m.transferMode = m.refresh = m.newFolder = m.backup = m.restore = s.connected && free;
    m.paste = s.clipboardHasFiles && s.listEnabled && free;
    m.copyCaption = s.textMode ? "Copy (Text)" : "Copy (Binary)";

    m.connectCaption = s.connected ? "Disconnect" : "Connect...";
    m.connectHint = s.connected ? "Close the communications port to the calculator."
                                : "Show dialog and open the communications port to the calculator.";
    m.connectItem = !s.promptVisible;
    m.putProjectVisible = s.hasPutProjectHook;
    m.putProjectEnabled = s.connected && !s.promptVisible;
    m.getProjectVisible = s.hasGetProjectHook;
    m.manualTransfers = !s.connected && !s.promptVisible;
    m.romDownload = s.UsbPort() && !s.busy && !s.promptVisible;
    return m;
}

}  // namespace vaddex::gui
