#pragma once

#include <string>

#include "app/TFZQDir.h"

namespace vaddex::gui {

// Hands the bridge's state hooks to the main window. Any bridge with the window's hook
// members (the Qt bridge, a test's scripted one) will do.
template <typename Bridge>
void ConnectHooks(Bridge& bridge, TFZQDir& window) {
    bridge.onConnectedChanged = [&window](bool connected) { window.OnConnectedChanged(connected); };
    bridge.onBusyChanged = [&window](bool busy) { window.OnBusyChanged(busy); };
    bridge.onTextModeChanged = [&window](bool textMode) { window.OnTextModeChanged(textMode); };
    bridge.onSeriesChanged = [&window](const std::string& series) {
        window.OnSeriesChanged(series);
    };
    bridge.onModelChanged = [&window](const std::string& model) { window.OnModelChanged(model); };
    bridge.onWorkingChanged = [&window](bool working) { window.OnWorkingChanged(working); };
}

}  // namespace vaddex::gui
