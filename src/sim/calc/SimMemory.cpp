#include "sim/calc/SimMemory.h"

#include <sstream>

#include "sim/calc/NibbleFields.h"
#include "sim/calc/ObjectCodec.h"
#include "sim/calc/PrologTable.h"
#include "sim/calc/SimCalculator.h"

namespace zqsim {

namespace {

std::string PathText(const DirPath& path) {
    std::string text = "HOME";
    for (const std::string& name : path) {
        text += " " + name;
    }
    return text;
}

void ListDirectory(const SimObject& dir, std::string& out) {
    for (auto it = dir.entries.rbegin(); it != dir.entries.rend(); ++it) {
        std::uint32_t size = static_cast<std::uint32_t>(EncodeObject(*it->object).size());
        std::uint32_t prolog = it->object->Prolog();
        out.push_back(static_cast<char>(it->name.size()));
        out += it->name;
        out.push_back(static_cast<char>(prolog & 0xFF));
        out.push_back(static_cast<char>((prolog >> 8) & 0xFF));
        out.push_back(static_cast<char>(size & 0xFF));
        out.push_back(static_cast<char>((size >> 8) & 0xFF));
        out.push_back(static_cast<char>((size >> 16) & 0x0F));
        out.append(2, '\0');
        if (it->object->IsDirectory()) {
            ListDirectory(*it->object, out);
        }
    }
    out.push_back('\0');
}

void SnapshotDirectory(const SimObject& dir, const std::string& path,
                       std::vector<SimVariableInfo>& out) {
    for (auto it = dir.entries.rbegin(); it != dir.entries.rend(); ++it) {
        SimVariableInfo info;
        info.path = path;
        info.name = it->name;
        info.prolog = it->object->Prolog();
        info.typeName = PrologTypeName(info.prolog);
        info.nibbles = EncodeObject(*it->object);
        info.bytes = NibblesToBytes(info.nibbles);
        out.push_back(std::move(info));
        if (it->object->IsDirectory()) {
            SnapshotDirectory(*it->object, path + " " + it->name, out);
        }
    }
}

}  // namespace

SimMemory::SimMemory() : home_(SimObject::MakeDirectory({})) {}

void SimMemory::SetHome(ObjPtr home) {
    home_ = std::move(home);
    SetCurrent(current_);
}

void SimMemory::SetCurrent(DirPath path) {
    // Keep the part of the path that still leads through directories.
    DirPath valid;
    for (const std::string& name : path) {
        valid.push_back(name);
        if (!DirectoryAt(valid)) {
            valid.pop_back();
            break;
        }
    }
    current_ = std::move(valid);
}

std::string SimMemory::CurrentText() const {
    return PathText(current_);
}

ObjPtr SimMemory::DirectoryAt(const DirPath& path) const {
    ObjPtr dir = home_;
    for (const std::string& name : path) {
        const DirEntry* entry = dir->FindEntry(name);
        if (!entry || !entry->object->IsDirectory()) {
            return nullptr;
        }
        dir = entry->object;
    }
    return dir;
}

ObjPtr SimMemory::Find(const std::string& name) const {
    ObjPtr dir = CurrentDirectory();
    const DirEntry* entry = dir ? dir->FindEntry(name) : nullptr;
    return entry ? entry->object : nullptr;
}

ObjPtr SimMemory::Lookup(const std::string& name, DirPath* where) const {
    DirPath path = current_;
    while (true) {
        ObjPtr dir = DirectoryAt(path);
        if (const DirEntry* entry = dir ? dir->FindEntry(name) : nullptr) {
            if (where) {
                *where = path;
            }
            return entry->object;
        }
        if (path.empty()) {
            return nullptr;
        }
        path.pop_back();
    }
}

ObjPtr SimMemory::Rebuild(const ObjPtr& dir, const DirPath& path, std::size_t depth,
                          const std::string& name, const ObjPtr& object) const {
    std::vector<DirEntry> entries = dir->entries;
    const std::string& key = depth < path.size() ? path[depth] : name;
    auto it = entries.begin();
    while (it != entries.end() && it->name != key) {
        ++it;
    }
    if (depth < path.size()) {
        if (it == entries.end() || !it->object->IsDirectory()) {
            return dir;
        }
        it->object = Rebuild(it->object, path, depth + 1, name, object);
    } else if (!object) {
        if (it != entries.end()) {
            entries.erase(it);
        }
    } else if (it != entries.end()) {
        it->object = object;
    } else {
        entries.push_back({name, object});
    }
    return SimObject::MakeDirectory(std::move(entries));
}

ObjPtr SimMemory::WithEntry(const DirPath& path, const std::string& name, ObjPtr object) const {
    return Rebuild(home_, path, 0, name, object);
}

ObjPtr SimMemory::WithoutEntry(const DirPath& path, const std::string& name) const {
    return Rebuild(home_, path, 0, name, nullptr);
}

std::optional<std::pair<DirPath, std::string>> SimMemory::SplitPath(const std::string& text) {
    std::istringstream words(text);
    std::string word;
    if (!(words >> word) || word != "HOME") {
        return std::nullopt;
    }
    DirPath path;
    while (words >> word) {
        path.push_back(word);
    }
    if (path.empty()) {
        return std::nullopt;
    }
    std::string last = path.back();
    path.pop_back();
    return std::make_pair(std::move(path), std::move(last));
}

std::string SimMemory::Listing() const {
    std::string out;
    ListDirectory(*home_, out);
    return out;
}

std::vector<SimVariableInfo> SimMemory::Snapshot() const {
    std::vector<SimVariableInfo> out;
    SnapshotDirectory(*home_, "HOME", out);
    return out;
}

}  // namespace zqsim
