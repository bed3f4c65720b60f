#include "app/IconSet.h"

#include <QHash>
#include <QString>

#include "app/WindowRules.h"
#include "objects/ObjectTypeTable.h"
#include "session/TXPObject.h"

namespace vaddex::gui {
namespace {

constexpr int kTypeCodeOffset = 9;

// The drawing for each type table row, by what the object is to its user.
const char* TypeDrawing(int row) {
    static const char* const kRows[kObjectTypeCount] = {
        "object",  "array",   "backup",    "binint", "character", "complex", "code",   "program",
        "string",  "complex", "real",      "unit",   "library",   "object",  "object", "object",
        "graphic", "binint",  "name",      "name",   "library",   "list",    "array",  "real",
        "library", "folder",  "algebraic", "tagged", "object",    "object",  "object", "real",
        "complex", "real",    "array",     "object"};
    return row >= 0 && row < kObjectTypeCount ? kRows[row] : "object";
}

QIcon Own(const QString& name) {
    return QIcon(":/icons/" + name + ".svg");
}

// The theme's icon when the theme has it, else ours.
QIcon Themed(const char* themeName, const QString& ownName) {
    return QIcon::fromTheme(QString::fromLatin1(themeName), Own(ownName));
}

QIcon MakeIcon(int index) {
    switch (index) {
        case kImageOpenFolder:
            return Themed("folder-open", "folder-open");
        case kImageConnected:
            return Own("connected");
        case kImageDisconnected:
            return Own("disconnected");
        case kImageTextMode:
            return Own("mode-text");
        case kImageBinaryMode:
            return Own("mode-binary");
        case kImageCapture:
            return Own("capture");
        case kImageSortUp:
            return Own("sort-up");
        case kImageSortDown:
            return Own("sort-down");
        case kDirectoryTypeCode:
            return Themed("folder", "folder");
        default:
            break;
    }
    QString drawing = QString::fromLatin1(TypeDrawing(index - kTypeCodeOffset));
    return Own(drawing == "folder" ? drawing : "type-" + drawing);
}

}  // namespace

QIcon ImageIcon(int index) {
    static QHash<int, QIcon> cache;
    auto found = cache.find(index);
    if (found == cache.end()) {
        found = cache.insert(index, MakeIcon(index));
    }
    return *found;
}

QIcon DirectoryNodeIcon() {
    static QIcon icon;
    if (icon.isNull()) {
        icon = ImageIcon(kDirectoryTypeCode);
        for (QSize size : {QSize(16, 16), QSize(32, 32)}) {
            icon.addPixmap(ImageIcon(kImageOpenFolder).pixmap(size), QIcon::Selected);
        }
    }
    return icon;
}

QIcon ApplicationIcon() {
    return Own("vaddex");
}

}  // namespace vaddex::gui
