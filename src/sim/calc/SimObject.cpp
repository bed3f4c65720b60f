#include "sim/calc/SimObject.h"

#include "sim/calc/NibbleFields.h"
#include "sim/calc/PrologTable.h"

namespace zqsim {

namespace {

std::shared_ptr<SimObject> New(ObjKind kind) {
    auto object = std::make_shared<SimObject>();
    object->kind = kind;
    return object;
}

}  // namespace

ObjPtr SimObject::MakeReal(const RealNumber& value) {
    auto object = New(ObjKind::Real);
    object->real = value;
    return object;
}

ObjPtr SimObject::MakeReal(std::int64_t value) {
    return MakeReal(RealNumber::FromInteger(value));
}

ObjPtr SimObject::MakeString(std::string chars) {
    auto object = New(ObjKind::String);
    object->text = std::move(chars);
    return object;
}

ObjPtr SimObject::MakeGlobal(std::string name) {
    auto object = New(ObjKind::Global);
    object->text = std::move(name);
    return object;
}

ObjPtr SimObject::MakeBinary(std::uint32_t value) {
    auto object = New(ObjKind::Binary);
    object->number = value & kBinaryMask;
    return object;
}

ObjPtr SimObject::MakeComposite(ObjKind kind, std::vector<ObjPtr> items) {
    auto object = New(kind);
    object->items = std::move(items);
    return object;
}

ObjPtr SimObject::MakeTagged(std::string tag, ObjPtr inner) {
    auto object = New(ObjKind::Tagged);
    object->text = std::move(tag);
    object->items.push_back(std::move(inner));
    return object;
}

ObjPtr SimObject::MakeDirectory(std::vector<DirEntry> entries) {
    auto object = New(ObjKind::Directory);
    object->entries = std::move(entries);
    return object;
}

ObjPtr SimObject::MakeBackup(ObjPtr home) {
    auto object = New(ObjKind::Backup);
    object->items.push_back(std::move(home));
    return object;
}

ObjPtr SimObject::MakeCommand(std::uint32_t address) {
    auto object = New(ObjKind::Command);
    object->number = address;
    return object;
}

ObjPtr SimObject::MakeRaw(std::string nibbles) {
    auto object = New(ObjKind::Raw);
    object->exact = std::move(nibbles);
    return object;
}

std::uint32_t SimObject::Prolog() const {
    switch (kind) {
        case ObjKind::Real:
            return kPrologReal;
        case ObjKind::String:
            return kPrologString;
        case ObjKind::List:
            return kPrologList;
        case ObjKind::Program:
            return kPrologProgram;
        case ObjKind::Algebraic:
            return kPrologAlgebraic;
        case ObjKind::Global:
            return kPrologGlobal;
        case ObjKind::Binary:
            return kPrologBinary;
        case ObjKind::Tagged:
            return kPrologTagged;
        case ObjKind::Directory:
            return kPrologDirectory;
        case ObjKind::Backup:
            return kPrologBackup;
        case ObjKind::Command:
            return number;
        case ObjKind::Raw:
            break;
    }
    return ReadField(exact, 0, 5).value_or(0);
}

const DirEntry* SimObject::FindEntry(const std::string& name) const {
    for (const DirEntry& entry : entries) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace zqsim
