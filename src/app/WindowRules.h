#pragma once

#include <string>

namespace vaddex::gui {

// The pane that last had the focus or a mouse press.
enum class Pane { None, List, Tree };

// What the enabling rules look at: the main window's state, the panes and their selection.
struct WindowState {
    bool connected = false;
    bool busy = false;
    bool promptVisible = false;         // "Set the Calculator"
    bool connectStatusVisible = false;  // "Looking for Calculator"
    bool textMode = false;
    Pane activePane = Pane::List;
    bool listEnabled = false;
    int listSelected = 0;
    bool treeEnabled = false;
    bool treeNodeSelected = false;
    bool treeRootSelected = false;
    bool clipboardHasFiles = false;
    std::string portText;
    // The host's project hooks; a standalone window has neither.
    bool hasPutProjectHook = false;
    bool hasGetProjectHook = false;

    // A prompt or the connect status window is up: no command may start.
    bool Blocked() const { return promptVisible || connectStatusVisible; }
    bool Free() const { return !busy && !Blocked(); }
    bool UsbPort() const { return portText.find("ZQx8G+") != std::string::npos; }
};

// Image indexes of the tool buttons and icons (object icons are their type codes).
inline constexpr int kImageOpenFolder = 0;
inline constexpr int kImageConnected = 1;
inline constexpr int kImageDisconnected = 2;
inline constexpr int kImageTextMode = 3;
inline constexpr int kImageBinaryMode = 4;
inline constexpr int kImageCapture = 5;
inline constexpr int kImageSortUp = 6;
inline constexpr int kImageSortDown = 7;

// The panes and tool-bar controls (UpdateControls).
struct ControlRules {
    bool panesEnabled = false;  // list, tree and splitter
    bool connectEnabled = false;
    bool captureEnabled = false;
    bool portEnabled = false;
    bool speedEnabled = false;
    bool transferModeEnabled = false;
    int connectImage = kImageDisconnected;
    std::string connectHint;
    int transferModeImage = kImageBinaryMode;
    std::string transferModeHint;  // also the transfer-mode menu item's caption
    bool forceNotBusy = false;     // disconnected: busy never stays on
};
ControlRules UpdateControls(const WindowState& state);

// The menus and their items (PopupMenu1Popup with the File and ROM menus' own rules).
struct MenuRules {
    bool fileMenu = false, editMenu = false, viewMenu = false, romMenu = false, helpMenu = false;
    bool selectAll = false, invertSelection = false;
    bool eval = false, cut = false, copy = false, remove = false, rename = false;
    bool copyAsText = false, editAsText = false, properties = false;
    bool transferMode = false, refresh = false, newFolder = false, backup = false, restore = false;
    bool paste = false;
    std::string copyCaption;
    std::string connectCaption, connectHint;
    bool connectItem = false;
    bool putProjectVisible = false, putProjectEnabled = false, getProjectVisible = false;
    bool manualTransfers = false;  // the manual downloads, the upload and the capture
    bool romDownload = false;
};
MenuRules PopupMenu1Popup(const WindowState& state);

}  // namespace vaddex::gui
