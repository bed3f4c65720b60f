#pragma once

#include <string>

namespace vaddex::gui {

// What the window says when a connect failed: the session's reason, and for a port the user
// may not open, how to get access.
std::string ConnectErrorText(const std::string& reason);

}  // namespace vaddex::gui
