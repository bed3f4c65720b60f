#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "objects/CalcNames.h"
#include "objects/ObjectTypeTable.h"
#include "session/StackLines.h"
#include "session/TXModemServer.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

// An entry: name length, name, two prolog bytes, five size bytes.
constexpr std::size_t kEntryFixedBytes = 8;
constexpr int kTypeCodeOffset = 9;
// The type code of a prolog the type table does not know: row -1 + 9, never a directory.
constexpr int kUnknownTypeCode = kTypeCodeOffset - 1;

// The stack picture: every level as a string in a list stored in $$$t, deepest level first,
// strings marked (0x8D is the arrow, 0xAB and 0xBB the program delimiters).
const std::string kStackScript =
    std::string(
        "DEPTH IF 0. == THEN { } ELSE DEPTH DUPN DEPTH 2. / \x8DLIST 1. \xAB IF DUP TYPE "
        "2. == THEN \"") +
    kStackStringMarker + "\" SWAP + END \x8DSTR \xBB DOSUBS END '$$$t' STO";

unsigned Byte(const std::string& bytes, std::size_t index) {
    return static_cast<unsigned char>(bytes[index]);
}

}  // namespace

void TXModemServer::ReadDirectoryTree(TXPObject& root) {
    RequireConnected();
    root.ClearChildren();
    SetStatus("Get list of files from device");
    SendCommandByte('l');
    ResponsivePause(link_.Timing().ListDelay);
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

Outcome TXModemServer::Purge(const std::string& name, bool isDirectory) {
    RequireSafeName(name, false);
    if (!CheckName(name)) {
        return Outcome::Declined(name + ": its improper name was declined");
    }
    Execute("'" + name + (isDirectory ? "' PGDIR" : "' PURGE"), true, true);
    return Outcome::Done();
}

void TXModemServer::MakeDir(const std::string& name) {
    RequireUserName(name);
    Execute("'" + name + "' CRDIR", true, true);
}

void TXModemServer::MoveVar(const std::string& oldName, const std::string& newName,
                            bool isDirectory) {
    RequireSafeName(oldName, false);
    RequireUserName(newName);
    Execute("'" + oldName + "' DUP RCL SWAP " + (isDirectory ? "PGDIR" : "PURGE") + " '" + newName +
                "' STO ",
            true, true);
    ResponsivePause(link_.Timing().MoveDelay);
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
    if (!RunScratchScript(kStackScript)) {
        Purge(kScratchVariable, false);  // a picture that did not arrive leaves no variable either
        return {};
    }
    return StackLinesFromList(Data);
}

}  // namespace vaddex
