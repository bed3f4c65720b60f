#pragma once

#include <string>

namespace vaddex::cli {

// The udev rule that gives the user at the seat access to the USB calculator with the id
// "vvvv:pppp" (as lsusb shows it), with comments on where to put it. Throws UsageError when
// the id is not two hexadecimal numbers of one to four digits.
std::string UsbRuleText(const std::string& id);

}  // namespace vaddex::cli
