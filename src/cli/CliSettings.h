#pragma once

#include <functional>
#include <optional>
#include <string>

#include "objects/ScreenPicture.h"

namespace vaddex::cli {

// The window's stored settings that the command line uses, as the window reads them. The
// command line never writes them.
struct StoredSettings {
    std::string port = "Auto";
    int speed = 9600;
    bool addExtension = true;
    bool addCR = true;
    bool trans031 = true;
    int transIO = 3;  // already adjusted by addCR
    bool rpnPrompts = true;
    std::string usbIds;
    PictureBorder border;  // the capture viewer's ScreenCapture settings
};

// The stored text of a value such as "Speed" or "ScreenCapture/BorderShow"; nullopt when
// the value is absent.
using SettingLookup = std::function<std::optional<std::string>(const std::string& key)>;

// Applies the read rules: flags are integers, any but 0 true, anything else the default; a
// speed the port cannot take (the "130000" written while the USB device was used) reads as
// 9600; a space or frame outside 0 to 9 is ignored.
StoredSettings InterpretSettings(const SettingLookup& lookup);

// The settings of QSettings("Zenquist", "Vaddex"), on Linux ~/.config/Zenquist/Vaddex.conf
// (or under $XDG_CONFIG_HOME).
StoredSettings ReadStoredSettings();

// TRANSIO as the window adjusts it after reading: 0 becomes 1 with CR LF line ends, 1
// becomes 0 without.
int AdjustTransIO(int transIO, bool addCR);

}  // namespace vaddex::cli
