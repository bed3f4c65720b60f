#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "objects/ScreenPicture.h"
#include "session/TransferOptions.h"

namespace vaddex::frontend {

// The speeds the port can be set to, as the speed selector lists them.
inline constexpr int kSpeeds[] = {4800, 9600, 14400, 19200, 38400, 57600, 115200};
// What a stored speed outside the list (the "130000" the USB device reports) reads as.
inline constexpr int kFallbackSpeed = 9600;

// Column orders of the item list: Files, Size, Type or Files, Type, Size.
inline constexpr int kColumnsSizeFirst = 2;
inline constexpr int kColumnsTypeFirst = 3;

// The main window's stored settings with their read defaults. The window reads them at start
// and writes them at close; the command line only reads them.
struct StoredSettings {
    std::string port = "Auto";
    int speed = 115200;
    bool speedStored = false;  // "Speed" was present (the command line has its own default)
    bool toolBarVisible = true;
    bool statusBarVisible = true;
    int dirWidthSplit = 150;  // tree width in pixels
    int dirColSize = kColumnsTypeFirst;
    int dirWidthFiles = 160;
    int dirWidthSize = 60;
    int dirWidthType = 80;
    int dirViewStyle = 3;  // 0 large icons, 1 small icons, 2 list, 3 details
    int dirSortCol = 0;
    bool dirSortReverse = false;
    bool addExtension = true;
    std::string editor;
    bool rpnPrompts = true;
    bool confirmDelete = false;  // ask before every Delete, not only for a directory with items
    TransferOptions transfer;    // its transIO already adjusted by addCR

    // Read here, written elsewhere: the USB ids (by the user) and the capture viewer's border.
    std::string usbIds;
    PictureBorder border;
    // Ports whose calculator answered only the checksum, written by RememberChecksumPort.
    std::vector<std::string> checksumPorts;

    // One line per stored value that could not be used and fell back to its default.
    std::vector<std::string> problems;
};

// The stored text of a value such as "Speed" or "ScreenCapture/BorderShow"; nullopt when
// the value is absent.
using SettingLookup = std::function<std::optional<std::string>(const std::string& key)>;
// Stores the text of one value.
using SettingWriter = std::function<void(const std::string& key, const std::string& value)>;

// Applies the read rules: flags are integers, any but 0 true; a number that is no integer
// gives its default and is listed in `problems`; a speed the selector does not list reads as
// 9600; a column order other than 2 counts as 3; a space or frame outside 0 to 9 is ignored.
StoredSettings InterpretSettings(const SettingLookup& lookup);

// Writes the values the window owns, flags as "1"/"0" and numbers in decimal.
void WriteSettings(const StoredSettings& settings, const SettingWriter& write);

// TRANSIO as the window adjusts it after reading: 0 becomes 1 with CR LF line ends, 1
// becomes 0 without.
int AdjustTransIO(int transIO, bool addCR);

// The settings of QSettings("Zenquist", "Vaddex"), on Linux ~/.config/Zenquist/Vaddex.conf
// (or under $XDG_CONFIG_HOME). An unreadable or damaged file gives the defaults.
StoredSettings ReadStoredSettings();

// Writes them there and flushes; a damaged file is rewritten with sound values. False when
// the file could not be written.
bool SaveStoredSettings(const StoredSettings& settings);

// Adds the port to the stored checksum ports at once, for every front end (the command line
// writes nothing else). False when the file could not be written.
bool RememberChecksumPort(const std::string& port);

}  // namespace vaddex::frontend
