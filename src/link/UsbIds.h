#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vaddex {

// A USB vendor and product id pair.
struct UsbId {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    bool operator==(const UsbId&) const = default;
};

// Parses comma-separated "vvvv:pppp" pairs (hexadecimal, blanks around entries allowed).
// Malformed entries are skipped.
std::vector<UsbId> ParseUsbIds(const std::string& text);

// The ids the link looks for: $VADDEX_USB_IDS when set, else the `UsbIds` setting.
std::vector<UsbId> EffectiveUsbIds(const std::string& setting);

}  // namespace vaddex
