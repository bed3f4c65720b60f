#include "cli/CommandOutput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <charconv>

namespace vaddex::cli {
namespace {

// Calculator texts are bytes: each becomes the character of that code, never decoded.
QString Bytes(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Json(const QJsonDocument& document) {
    return document.toJson(QJsonDocument::Indented).toStdString();
}

std::string Padded(const std::string& text, std::size_t width) {
    return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

void AppendRows(std::string& out, const TXPObject& directory) {
    std::size_t nameWidth = 0;
    std::size_t typeWidth = 0;
    std::size_t sizeWidth = 0;
    for (const auto& item : directory.Children) {
        nameWidth = std::max(nameWidth, item->Name.size());
        typeWidth = std::max(typeWidth, item->TypeName.size());
        sizeWidth = std::max(sizeWidth, std::to_string(item->Size).size());
    }
    for (const auto& item : directory.Children) {
        std::string size = std::to_string(item->Size);
        out += Padded(item->Name, nameWidth) + "  " + Padded(item->TypeName, typeWidth) + "  " +
               std::string(sizeWidth - size.size(), ' ') + size + "\n";
    }
}

void AppendTree(std::string& out, const TXPObject& directory) {
    out += directory.GetPath() + ":\n";
    AppendRows(out, directory);
    for (const auto& item : directory.Children) {
        if (item->IsDirectory()) {
            out += "\n";
            AppendTree(out, *item);
        }
    }
}

QJsonArray Entries(const TXPObject& directory, bool recursive) {
    QJsonArray entries;
    for (const auto& item : directory.Children) {
        QJsonObject entry;
        entry["name"] = Bytes(item->Name);
        entry["type"] = Bytes(item->TypeName);
        entry["size"] = item->Size;
        entry["path"] = Bytes(item->GetPath());
        if (recursive && item->IsDirectory()) {
            entry["children"] = Entries(*item, true);
        }
        entries.append(entry);
    }
    return entries;
}

}  // namespace

std::string InfoText(const CalculatorInfo& info) {
    return "Port:        " + info.port + "\n" + "Speed:       " + std::to_string(info.speed) +
           "\n" + "Version:     " + info.version + "\n" + "Series:      " + info.series + "\n" +
           "Model:       " + info.model + "\n" + "ROM:         " + info.romVersion + "\n" +
           "Flags:       " + info.flags + "\n" + "Free memory: " + info.freeMemory + " bytes\n";
}

std::string InfoJson(const CalculatorInfo& info) {
    QJsonObject object;
    object["port"] = Bytes(info.port);
    object["speed"] = info.speed;
    object["version"] = Bytes(info.version);
    object["series"] = Bytes(info.series);
    object["model"] = Bytes(info.model);
    object["romVersion"] = Bytes(info.romVersion);
    object["flags"] = Bytes(info.flags);
    long long bytes = 0;
    const std::string& text = info.freeMemory;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), bytes);
    if (!text.empty() && error == std::errc() && end == text.data() + text.size()) {
        object["freeMemory"] = static_cast<double>(bytes);
    } else {
        object["freeMemory"] = Bytes(text);
    }
    return Json(QJsonDocument(object));
}

std::string ListingText(const TXPObject& directory, bool recursive) {
    std::string out;
    if (recursive) {
        AppendTree(out, directory);
    } else {
        AppendRows(out, directory);
    }
    return out;
}

std::string ListingJson(const TXPObject& directory, bool recursive) {
    return Json(QJsonDocument(Entries(directory, recursive)));
}

std::string StackText(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        out += line + "\n";
    }
    return out;
}

std::string StackJson(const std::vector<std::string>& lines) {
    QJsonArray array;
    for (const std::string& line : lines) {
        array.append(Bytes(line));
    }
    return Json(QJsonDocument(array));
}

}  // namespace vaddex::cli
