#include "cli/UsbRule.h"

#include <cctype>

#include "cli/CliErrors.h"

namespace vaddex::cli {
namespace {

// udev compares the sysfs text, which is always four lower-case digits.
std::string SysfsHex(const std::string& digits, const std::string& id) {
    if (digits.empty() || digits.size() > 4) {
        throw UsageError("usb-rule needs the id as vvvv:pppp (hexadecimal), not '" + id + "'");
    }
    std::string text(4 - digits.size(), '0');
    for (char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            throw UsageError("usb-rule needs the id as vvvv:pppp (hexadecimal), not '" + id + "'");
        }
        text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

}  // namespace

std::string UsbRuleText(const std::string& id) {
    std::size_t colon = id.find(':');
    if (colon == std::string::npos) {
        throw UsageError("usb-rule needs the id as vvvv:pppp (hexadecimal), not '" + id + "'");
    }
    std::string vendor = SysfsHex(id.substr(0, colon), id);
    std::string product = SysfsHex(id.substr(colon + 1), id);
    return "# Lets the user at the seat reach the USB calculator " + vendor + ":" + product +
           " without root.\n"
           "# Save as /etc/udev/rules.d/70-vaddex-calculator.rules, then run\n"
           "#   sudo udevadm control --reload && sudo udevadm trigger\n"
           "# and plug the calculator in again.\n"
           "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", ATTR{idVendor}==\"" +
           vendor + "\", ATTR{idProduct}==\"" + product + "\", TAG+=\"uaccess\"\n";
}

}  // namespace vaddex::cli
