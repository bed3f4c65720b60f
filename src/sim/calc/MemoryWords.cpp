#include "sim/calc/RplError.h"
#include "sim/calc/SimMachine.h"
#include "sim/calc/Words.h"

namespace zqsim {

namespace {

constexpr std::size_t kMaxNameLength = 255;

// The names PURGE accepts: one name or a list of them.
std::vector<std::string> NamesOf(const SimObject& object) {
    if (object.kind == ObjKind::Global) {
        return {object.text};
    }
    if (object.kind != ObjKind::List) {
        throw RplError(kBadArgumentType);
    }
    std::vector<std::string> names;
    for (const ObjPtr& item : object.items) {
        if (item->kind != ObjKind::Global) {
            throw RplError(kBadArgumentType);
        }
        names.push_back(item->text);
    }
    return names;
}

void CheckName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameLength) {
        throw RplError(kInvalidName);
    }
}

}  // namespace

void WordSto(SimMachine& m) {
    m.Need(2);
    std::string name = m.PopName();
    ObjPtr object = m.Pop();
    CheckName(name);
    ObjPtr existing = m.Memory().Find(name);
    if (existing && existing->IsDirectory()) {
        throw RplError(kDirectoryNotAllowed);
    }
    SimMemory& memory = m.Memory();
    m.CommitHome(memory.WithEntry(memory.Current(), name, object));
}

void WordRcl(SimMachine& m) {
    ObjPtr nameObject = m.Pop();
    if (nameObject->kind != ObjKind::Global) {
        throw RplError(kBadArgumentType);
    }
    ObjPtr object = m.Memory().Lookup(nameObject->text);
    if (!object) {
        throw RplError(kUndefinedName);
    }
    m.Push(object);
}

// An unknown name is passed over, so that scripts can purge what may not exist; a directory
// goes only when it is empty.
void WordPurge(SimMachine& m) {
    ObjPtr argument = m.Pop();
    std::vector<std::string> names = NamesOf(*argument);
    SimMemory& memory = m.Memory();
    for (const std::string& name : names) {
        ObjPtr existing = memory.Find(name);
        if (!existing) {
            continue;
        }
        if (existing->IsDirectory() && !existing->entries.empty()) {
            throw RplError(kNonEmptyDirectory);
        }
    }
    for (const std::string& name : names) {
        memory.SetHome(memory.WithoutEntry(memory.Current(), name));
    }
}

void WordPgDir(SimMachine& m) {
    std::string name = m.PopName();
    SimMemory& memory = m.Memory();
    ObjPtr existing = memory.Find(name);
    if (!existing) {
        throw RplError(kUndefinedName);
    }
    if (!existing->IsDirectory()) {
        throw RplError(kBadArgumentType);
    }
    memory.SetHome(memory.WithoutEntry(memory.Current(), name));
}

void WordCrDir(SimMachine& m) {
    std::string name = m.PopName();
    CheckName(name);
    SimMemory& memory = m.Memory();
    if (memory.Find(name)) {
        throw RplError(kDirectoryNotAllowed);
    }
    m.CommitHome(memory.WithEntry(memory.Current(), name, SimObject::MakeDirectory({})));
}

void WordHome(SimMachine& m) {
    m.Memory().SetCurrent({});
}

void WordUpDir(SimMachine& m) {
    DirPath path = m.Memory().Current();
    if (!path.empty()) {
        path.pop_back();
    }
    m.Memory().SetCurrent(std::move(path));
}

void WordPath(SimMachine& m) {
    std::vector<ObjPtr> names = {SimObject::MakeGlobal("HOME")};
    for (const std::string& name : m.Memory().Current()) {
        names.push_back(SimObject::MakeGlobal(name));
    }
    m.Push(SimObject::MakeComposite(ObjKind::List, std::move(names)));
}

void WordVars(SimMachine& m) {
    std::vector<ObjPtr> names;
    const std::vector<DirEntry>& entries = m.Memory().CurrentDirectory()->entries;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        names.push_back(SimObject::MakeGlobal(it->name));
    }
    m.Push(SimObject::MakeComposite(ObjKind::List, std::move(names)));
}

void WordMem(SimMachine& m) {
    // Half bytes count: the free memory is given in bytes with a possible ".5".
    std::int64_t nibbles = m.FreeNibbles();
    auto value = RealNumber::FromLongDouble(static_cast<long double>(nibbles) / 2);
    m.Push(SimObject::MakeReal(value.value_or(RealNumber())));
}

// :IO:name ARCHIVE sends a Backup object of HOME through the serial port.
void WordArchive(SimMachine& m) {
    ObjPtr target = m.Pop();
    if (target->kind != ObjKind::Tagged) {
        throw RplError(kBadArgumentType);
    }
    if (target->text != "IO") {
        throw RplError(kBadArgumentValue);
    }
    m.Transmit(m.BackupFile());
}

void WordRestore(SimMachine& m) {
    ObjPtr backup = m.Pop();
    if (backup->kind != ObjKind::Backup) {
        throw RplError(kBadArgumentType);
    }
    m.RestoreFrom(*backup);
}

}  // namespace zqsim
