#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/calc/RealNumber.h"

namespace zqsim {

// The kinds of object the interpreter works with; everything else is kept as Raw nibbles.
enum class ObjKind : std::uint8_t {
    Real,
    String,
    List,
    Program,
    Algebraic,
    Global,
    Binary,
    Tagged,
    Directory,
    Backup,
    Command,
    Raw,
};

struct SimObject;
// Objects are immutable once made, so stacks, lists and directories share them freely.
using ObjPtr = std::shared_ptr<const SimObject>;

struct DirEntry {
    std::string name;  // calculator bytes
    ObjPtr object;
};

struct SimObject {
    ObjKind kind = ObjKind::Raw;
    RealNumber real;                // Real
    std::uint32_t number = 0;       // Binary: the 20-bit value; Command: its address
    std::string text;               // String: characters; Global: name; Tagged: tag
    std::vector<ObjPtr> items;      // List, Program, Algebraic; Tagged and Backup: the one inside
    std::vector<DirEntry> entries;  // Directory, oldest first (the order in memory)
    // The nibbles the object was read from, given back unchanged when it is encoded; always
    // set for Raw objects.
    std::string exact;

    static ObjPtr MakeReal(const RealNumber& value);
    static ObjPtr MakeReal(std::int64_t value);
    static ObjPtr MakeString(std::string chars);
    static ObjPtr MakeGlobal(std::string name);
    static ObjPtr MakeBinary(std::uint32_t value);
    static ObjPtr MakeComposite(ObjKind kind, std::vector<ObjPtr> items);
    static ObjPtr MakeTagged(std::string tag, ObjPtr object);
    static ObjPtr MakeDirectory(std::vector<DirEntry> entries);
    static ObjPtr MakeBackup(ObjPtr home);
    static ObjPtr MakeCommand(std::uint32_t address);
    static ObjPtr MakeRaw(std::string nibbles);

    bool IsDirectory() const { return kind == ObjKind::Directory; }
    // The prolog its encoding starts with (a command's address for a Command).
    std::uint32_t Prolog() const;
    // The entry of a directory by name; nullptr when there is none.
    const DirEntry* FindEntry(const std::string& name) const;
};

// Binary integers are 5 nibbles wide.
inline constexpr std::uint32_t kBinaryMask = 0xFFFFF;

}  // namespace zqsim
