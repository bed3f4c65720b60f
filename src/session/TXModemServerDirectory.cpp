#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "link/Trace.h"
#include "objects/CalcNames.h"
#include "objects/ObjectTypeTable.h"
#include "objects/TextTranslation.h"
#include "session/TXModemServer.h"
#include "util/Nibbles.h"

namespace vaddex {
namespace {

// An entry: name length, name, two prolog bytes, five size bytes.
constexpr std::size_t kEntryFixedBytes = 8;
constexpr int kTypeCodeOffset = 9;
// The type code of a prolog the type table does not know: row -1 + 9, never a directory.
constexpr int kUnknownTypeCode = kTypeCodeOffset - 1;

// The stack picture: every level as a string in a list stored in $$$t, deepest level first;
// levels that were strings start with the marker 01 03 02 (0x8D is the arrow, 0xAB and 0xBB
// the program delimiters).
constexpr const char* kStackMarker = "\x01\x03\x02";
const std::string kStackScript =
    std::string(
        "DEPTH IF 0. == THEN { } ELSE DEPTH DUPN DEPTH 2. / \x8DLIST 1. \xAB IF DUP TYPE "
        "2. == THEN \"") +
    kStackMarker + "\" SWAP + END \x8DSTR \xBB DOSUBS END '$$$t' STO";
// Nibbles before the first element of the received list: the file header and the list prolog.
constexpr std::size_t kListElementsNibble = 21;
// Nibbles of an empty list's file: header, list prolog and the closing Semi.
constexpr std::size_t kEmptyListNibbles = 26;
constexpr std::size_t kStringHeadBytes = 5;  // prolog and length field of a packed string
constexpr std::size_t kStackLinesShown = 7;
constexpr int kStackTransIO = 3;

unsigned Byte(const std::string& bytes, std::size_t index) {
    return static_cast<unsigned char>(bytes[index]);
}

// The string elements of a packed list body, as stack lines ": text" (quoted for strings).
std::vector<std::string> StackElements(const std::string& packed) {
    std::vector<std::string> lines;
    std::size_t position = 0;
    while (packed.size() - position >= 6) {
        if (packed[position] != ',' || packed[position + 1] != '*') {
            break;  // not a string prolog: the list has ended
        }
        long length = (Byte(packed, position + 2) >> 4) + 16 * Byte(packed, position + 3) +
                      4096 * Byte(packed, position + 4);
        std::size_t count = length > 5 ? static_cast<std::size_t>((length - 5) / 2) : 0;
        std::size_t start = position + kStringHeadBytes;
        if (count > packed.size() - start) {
            Trace("ReadStackLines: an element runs past the data");
            break;
        }
        std::string text = packed.substr(start, count);
        bool marked = text.rfind(kStackMarker, 0) == 0;
        if (marked) {
            text.erase(0, 3);
        }
        std::string pcText = TextFromCalc(text, kStackTransIO, true, marked, false);
        lines.push_back(": " + (marked ? "\"" + pcText + "\"" : pcText));
        position = start + count;
    }
    return lines;
}

}  // namespace

void TXModemServer::ReadDirectoryTree(TXPObject& root) {
    RequireConnected();
    root.ClearChildren();
    SetStatus("Get list of files from device");
    SendCommandByte('l');
    Pause(link_.timing.ListDelay);
    std::string data = ReceivePacket();
    std::size_t cursor = 1;
    ParseListing(root, data, cursor);
    SetStatus("");
}

// Directories nest in place; they are followed with a stack of open directories rather than
// by recursion, so a deeply nested listing cannot exhaust the thread's stack.
void TXModemServer::ParseListing(TXPObject& node, const std::string& data, std::size_t& cursor) {
    std::vector<TXPObject*> open{&node};
    while (cursor <= data.size()) {
        std::size_t at = cursor - 1;  // 0-based
        std::size_t k = Byte(data, at);
        if (k == 0) {
            ++cursor;
            open.pop_back();
            if (open.empty()) {
                return;
            }
            continue;
        }
        if (data.size() - at < k + kEntryFixedBytes) {
            // The data ends inside this entry: it is dropped, and nothing past the end is read.
            Trace("listing ends inside an entry at byte " + std::to_string(cursor));
            cursor = data.size() + 1;
            return;
        }
        auto item = std::make_unique<TXPObject>();
        item->Server = this;
        item->Name = CalcNameToPc(data.substr(at + 1, k), false);
        at += k + 1;
        std::uint32_t key = Byte(data, at) + 256 * Byte(data, at + 1);
        TypeName type = TypeNameOf(key);
        item->TypeName = type.name;
        item->TypeCode = type.index ? *type.index + kTypeCodeOffset : kUnknownTypeCode;
        at += 2;
        long nibbles =
            Byte(data, at) + 256L * Byte(data, at + 1) + 65536L * (Byte(data, at + 2) & 15);
        item->Size = static_cast<int>((nibbles + 1) / 2);
        at += 5;
        cursor = at + 1;
        TXPObject& added = open.back()->AddChild(std::move(item));
        if (added.IsDirectory()) {
            open.push_back(&added);
        }
    }
}

void TXModemServer::ChangeDir(const std::string& path) {
    // The path's names stand bare in the command line: each must be one safe name.
    for (std::size_t begin = 0; begin < path.size();) {
        std::size_t end = std::min(path.find(' ', begin), path.size());
        if (end > begin) {
            RequireSafeName(path.substr(begin, end - begin), false);
        }
        begin = end + 1;
    }
    SetStatus("Change current dir to " + path);
    Execute(path, false, true);
    SetStatus("");
}

void TXModemServer::Purge(const std::string& name, bool isDirectory) {
    RequireSafeName(name, false);
    if (!CheckName(name)) {
        return;
    }
    Execute("'" + name + (isDirectory ? "' PGDIR" : "' PURGE"), true, true);
}

void TXModemServer::MakeDir(const std::string& name) {
    RequireSafeName(name, true);
    Execute("'" + name + "' CRDIR", true, true);
}

void TXModemServer::MoveVar(const std::string& oldName, const std::string& newName,
                            bool isDirectory) {
    RequireSafeName(oldName, false);
    RequireSafeName(newName, true);
    Execute("'" + oldName + "' DUP RCL SWAP " + (isDirectory ? "PGDIR" : "PURGE") + " '" + newName +
                "' STO ",
            true, true);
    Pause(link_.timing.MoveDelay);
}

std::string TXModemServer::FreeMemory() {
    SendCommandByte('M');
    std::string text = ReceivePacket();
    std::size_t mark = text.find(State().DecimalMark());
    if (mark != std::string::npos) {
        text.resize(mark);
    }
    return text;
}

std::vector<std::string> TXModemServer::ReadStackLines() {
    Execute(kStackScript, false, true);
    std::vector<std::string> result;
    if (GetVariable("$$$t", "", 0, 0)) {
        std::string units = SpreadNibbles(Data);
        std::size_t n = units.size();
        std::size_t keep = n > kEmptyListNibbles ? 2 * (n - kEmptyListNibbles) : 0;
        std::string packed =
            n > kListElementsNibble ? PackNibbles(units.substr(kListElementsNibble, keep)) : "";
        std::vector<std::string> lines = StackElements(packed);
        std::size_t first = lines.size() > kStackLinesShown ? lines.size() - kStackLinesShown : 0;
        for (std::size_t j = first; j < lines.size(); ++j) {
            result.push_back(std::to_string(lines.size() - j) + lines[j]);
        }
    }
    Purge("$$$t", false);
    return result;
}

}  // namespace vaddex
