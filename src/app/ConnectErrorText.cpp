#include "app/ConnectErrorText.h"

#include <cerrno>
#include <cstring>

namespace vaddex::gui {
namespace {

constexpr const char* kDialoutHint =
    "Your user needs access to the serial ports through the dialout group:\r\n"
    "sudo usermod -aG dialout $USER, then log out and in again.";

bool Mentions(const std::string& text, const std::string& part) {
    return !part.empty() && text.find(part) != std::string::npos;
}

}  // namespace

std::string ConnectErrorText(const std::string& reason) {
    // The system's own wording, whatever the locale, and the C library's default one.
    bool denied = Mentions(reason, std::strerror(EACCES)) || Mentions(reason, "Permission denied");
    if (!denied) {
        return reason;
    }
    return reason + "\r\n\r\n" + kDialoutHint;
}

}  // namespace vaddex::gui
