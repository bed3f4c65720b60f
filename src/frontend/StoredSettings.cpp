#include "frontend/StoredSettings.h"

#include <QSettings>
#include <QString>
#include <algorithm>
#include <charconv>

namespace vaddex::frontend {
namespace {

// Set before a stored border value is read; a value outside 0 to 9 leaves these.
constexpr int kUnreadSpace = 4;
constexpr int kUnreadFrame = 2;
constexpr int kMaxBorder = 9;
constexpr int kMaxViewStyle = 3;
constexpr int kColumnCount = 3;
constexpr int kMaxTransIO = 3;
constexpr const char* kChecksumPortsKey = "ChecksumPorts";

// One port a line; blank lines are none.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t end = std::min(text.find('\n', begin), text.size());
        if (end > begin) {
            lines.push_back(text.substr(begin, end - begin));
        }
        begin = end + 1;
    }
    return lines;
}

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

// Reads numbers and flags, noting every present value that is not an integer.
class Reader {
public:
    Reader(const SettingLookup& lookup, std::vector<std::string>& problems)
        : lookup_(lookup), problems_(problems) {}

    std::optional<std::string> Text(const std::string& key) const { return lookup_(key); }

    int Integer(const std::string& key, int fallback) const {
        std::optional<std::string> text = lookup_(key);
        if (!text) {
            return fallback;
        }
        std::optional<int> value = StrictInteger(text);
        if (!value) {
            problems_.push_back("Setting " + key + " \"" + *text + "\" is not a number; using " +
                                std::to_string(fallback) + ".");
            return fallback;
        }
        return *value;
    }

    // Within [low, high], else the default (a value outside would index past the window's
    // columns or styles).
    int Bounded(const std::string& key, int fallback, int low, int high) const {
        int value = Integer(key, fallback);
        return value >= low && value <= high ? value : fallback;
    }

    bool Flag(const std::string& key, bool fallback) const {
        return Integer(key, fallback ? 1 : 0) != 0;
    }

private:
    const SettingLookup& lookup_;
    std::vector<std::string>& problems_;
};

// An absent value gives `absent`; one outside 0 to 9 leaves `unread`.
int BorderValue(const Reader& reader, const std::string& key, int absent, int unread) {
    if (!reader.Text(key)) {
        return absent;
    }
    int value = reader.Integer(key, absent);
    return value >= 0 && value <= kMaxBorder ? value : unread;
}

void ReadWindowValues(const Reader& reader, StoredSettings& settings) {
    if (std::optional<std::string> port = reader.Text("Port"); port && !port->empty()) {
        settings.port = *port;
    }
    if (std::optional<std::string> speedText = reader.Text("Speed")) {
        // Matched as the selector's text: anything it does not list, a number or not, is 9600.
        std::optional<int> speed = StrictInteger(speedText);
        bool listed =
            speed && std::find(std::begin(kSpeeds), std::end(kSpeeds), *speed) != std::end(kSpeeds);
        settings.speed = listed ? *speed : kFallbackSpeed;
        settings.speedStored = true;
    }
    settings.toolBarVisible = reader.Flag("ToolBarVis", true);
    settings.statusBarVisible = reader.Flag("StatusBarVis", true);
    settings.dirWidthSplit = reader.Bounded("DirWidthSplit", 150, 0, 100000);
    int columns = reader.Integer("DirColSize", kColumnsTypeFirst);
    settings.dirColSize = columns == kColumnsSizeFirst ? kColumnsSizeFirst : kColumnsTypeFirst;
    settings.dirWidthFiles = reader.Bounded("DirWidthFiles", 160, 0, 100000);
    settings.dirWidthSize = reader.Bounded("DirWidthSize", 60, 0, 100000);
    settings.dirWidthType = reader.Bounded("DirWidthType", 80, 0, 100000);
    settings.dirViewStyle = reader.Bounded("DirViewStyle", 3, 0, kMaxViewStyle);
    settings.dirSortCol = reader.Bounded("DirSortCol", 0, 0, kColumnCount - 1);
    settings.dirSortReverse = reader.Flag("DirSortReverse", false);
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
    Reader reader(lookup, settings.problems);
    ReadWindowValues(reader, settings);
    settings.addExtension = reader.Flag("AddExtension", true);
    settings.transfer.addCR = reader.Flag("AddCR", true);
    settings.transfer.trans031 = reader.Flag("TRANS031", true);
    settings.editor = reader.Text("Editor").value_or("");
    int transIO = reader.Bounded("TRANSIO", 3, 0, kMaxTransIO);
    settings.transfer.transIO = AdjustTransIO(transIO, settings.transfer.addCR);
    settings.rpnPrompts = reader.Flag("RPNPrompts", true);
    // A key of its own: the files of earlier versions hold "ReceiveCRC=0" as the old
    // default, which must not keep forcing the checksum now that the CRC is the default.
    settings.transfer.receiveCRC = !reader.Flag("ReceiveChecksum", false);
    settings.checksumPorts = SplitLines(reader.Text(kChecksumPortsKey).value_or(""));
    settings.confirmDelete = reader.Flag("ConfirmDelete", false);
    settings.usbIds = reader.Text("UsbIds").value_or("");
    settings.border.show = reader.Flag("ScreenCapture/BorderShow", true);
    settings.border.space = BorderValue(reader, "ScreenCapture/BorderSpace", 1, kUnreadSpace);
    settings.border.frame = BorderValue(reader, "ScreenCapture/BorderFrame", 2, kUnreadFrame);
    return settings;
}

void WriteSettings(const StoredSettings& s, const SettingWriter& write) {
    auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
    auto number = [](int value) { return std::to_string(value); };
    write("Port", s.port);
    write("Speed", number(s.speed));
    write("ToolBarVis", flag(s.toolBarVisible));
    write("StatusBarVis", flag(s.statusBarVisible));
    write("DirWidthSplit", number(s.dirWidthSplit));
    write("DirWidthFiles", number(s.dirWidthFiles));
    write("DirWidthSize", number(s.dirWidthSize));
    write("DirWidthType", number(s.dirWidthType));
    write("DirViewStyle", number(s.dirViewStyle));
    write("DirColSize", number(s.dirColSize));
    write("DirSortCol", number(s.dirSortCol));
    write("DirSortReverse", flag(s.dirSortReverse));
    write("AddExtension", flag(s.addExtension));
    write("AddCR", flag(s.transfer.addCR));
    write("TRANS031", flag(s.transfer.trans031));
    write("Editor", s.editor);
    write("TRANSIO", number(s.transfer.transIO));
    write("RPNPrompts", flag(s.rpnPrompts));
    write("ReceiveChecksum", flag(!s.transfer.receiveCRC));
    write("ConfirmDelete", flag(s.confirmDelete));
}

StoredSettings ReadStoredSettings() {
    QSettings store("Zenquist", "Vaddex");
    return InterpretSettings([&store](const std::string& key) -> std::optional<std::string> {
        QString name = QString::fromStdString(key);
        if (!store.contains(name)) {
            return std::nullopt;
        }
        // A value QSettings reads as a list (text with commas) is no setting of ours.
        QVariant value = store.value(name);
        if (value.typeId() == QMetaType::QStringList) {
            return value.toStringList().join(',').toStdString();
        }
        return value.toString().toStdString();
    });
}

bool SaveStoredSettings(const StoredSettings& settings) {
    // A damaged file is rewritten whole from what could be read plus these values; its
    // FormatError stays reported, so only a failed write counts as failure.
    QSettings store("Zenquist", "Vaddex");
    WriteSettings(settings, [&store](const std::string& key, const std::string& value) {
        store.setValue(QString::fromStdString(key), QString::fromStdString(value));
    });
    store.sync();
    return store.status() != QSettings::AccessError;
}

bool RememberChecksumPort(const std::string& port) {
    QSettings store("Zenquist", "Vaddex");
    QString key = QString::fromLatin1(kChecksumPortsKey);
    std::vector<std::string> ports = SplitLines(store.value(key).toString().toStdString());
    if (std::find(ports.begin(), ports.end(), port) == ports.end()) {
        ports.push_back(port);
    }
    std::string text;
    for (const std::string& kept : ports) {
        text += (text.empty() ? "" : "\n") + kept;
    }
    store.setValue(key, QString::fromStdString(text));
    store.sync();
    return store.status() != QSettings::AccessError;
}

}  // namespace vaddex::frontend
