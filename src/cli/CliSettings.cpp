#include "cli/CliSettings.h"

#include <QSettings>
#include <QString>
#include <algorithm>
#include <charconv>

#include "cli/CliOptions.h"

namespace vaddex::cli {
namespace {

// Set before a stored border value is read; a value outside 0 to 9 leaves these.
constexpr int kUnreadSpace = 4;
constexpr int kUnreadFrame = 2;
constexpr int kMaxBorder = 9;

std::optional<int> StrictInteger(const std::optional<std::string>& text) {
    if (!text || text->empty()) {
        return std::nullopt;
    }
    const char* begin = text->data();
    const char* end = begin + text->size();
    if (*begin == '+') {
        ++begin;
    }
    int value = 0;
    auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

bool Flag(const SettingLookup& lookup, const std::string& key, bool fallback) {
    std::optional<int> value = StrictInteger(lookup(key));
    return value ? *value != 0 : fallback;
}

int Integer(const SettingLookup& lookup, const std::string& key, int fallback) {
    return StrictInteger(lookup(key)).value_or(fallback);
}

// An absent value gives `absent`; one outside 0 to 9 leaves `unread`.
int BorderValue(const SettingLookup& lookup, const std::string& key, int absent, int unread) {
    std::optional<std::string> text = lookup(key);
    if (!text) {
        return absent;
    }
    int value = StrictInteger(text).value_or(absent);
    return value >= 0 && value <= kMaxBorder ? value : unread;
}

}  // namespace

int AdjustTransIO(int transIO, bool addCR) {
    if (transIO == 0 && addCR) {
        return 1;
    }
    if (transIO == 1 && !addCR) {
        return 0;
    }
    return transIO;
}

StoredSettings InterpretSettings(const SettingLookup& lookup) {
    StoredSettings settings;
    if (std::optional<std::string> port = lookup("Port"); port && !port->empty()) {
        settings.port = *port;
    }
    int speed = Integer(lookup, "Speed", settings.speed);
    bool listed = std::find(std::begin(kSpeeds), std::end(kSpeeds), speed) != std::end(kSpeeds);
    settings.speed = listed ? speed : 9600;
    settings.addExtension = Flag(lookup, "AddExtension", true);
    settings.addCR = Flag(lookup, "AddCR", true);
    settings.trans031 = Flag(lookup, "TRANS031", true);
    int transIO = Integer(lookup, "TRANSIO", 3);
    settings.transIO = AdjustTransIO(transIO >= 0 && transIO <= 3 ? transIO : 3, settings.addCR);
    settings.usbIds = lookup("UsbIds").value_or("");
    settings.rpnPrompts = Flag(lookup, "RPNPrompts", true);
    settings.border.show = Flag(lookup, "ScreenCapture/BorderShow", true);
    settings.border.space = BorderValue(lookup, "ScreenCapture/BorderSpace", 1, kUnreadSpace);
    settings.border.frame = BorderValue(lookup, "ScreenCapture/BorderFrame", 2, kUnreadFrame);
    return settings;
}

StoredSettings ReadStoredSettings() {
    QSettings store("Zenquist", "Vaddex");
    return InterpretSettings([&store](const std::string& key) -> std::optional<std::string> {
        QString name = QString::fromStdString(key);
        if (!store.contains(name)) {
            return std::nullopt;
        }
        return store.value(name).toString().toStdString();
    });
}

}  // namespace vaddex::cli
