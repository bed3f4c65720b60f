#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/calc/SimObject.h"

namespace zqsim {

struct SimVariableInfo;

// A directory path below HOME: {} is HOME itself, {"A", "B"} is HOME A B.
using DirPath = std::vector<std::string>;

// The variable tree: HOME, a Directory object whose entries hold the variables and the
// sub-directories, and the current directory. Changes build a new HOME (objects are
// immutable), so a change that is refused leaves everything as it was.
class SimMemory {
public:
    SimMemory();

    const ObjPtr& Home() const { return home_; }
    // Replaces HOME; the current directory stays as far as it still exists.
    void SetHome(ObjPtr home);

    const DirPath& Current() const { return current_; }
    void SetCurrent(DirPath path);
    // "HOME A B".
    std::string CurrentText() const;

    // The directory object at a path; nullptr when the path names no directory.
    ObjPtr DirectoryAt(const DirPath& path) const;
    ObjPtr CurrentDirectory() const { return DirectoryAt(current_); }
    // A variable of the current directory; nullptr when there is none.
    ObjPtr Find(const std::string& name) const;
    // A variable of the current directory or, failing that, of the directories above it;
    // `where` gets the path of the directory that holds it.
    ObjPtr Lookup(const std::string& name, DirPath* where = nullptr) const;

    // New HOMEs with the variable stored (replacing one of that name in place, otherwise
    // added as the newest) or removed, in the directory at `path`.
    ObjPtr WithEntry(const DirPath& path, const std::string& name, ObjPtr object) const;
    ObjPtr WithoutEntry(const DirPath& path, const std::string& name) const;

    // "HOME A X" as a directory path and a last name ({"A"}, "X"); nullopt when the text
    // does not start with HOME or names nothing below it.
    static std::optional<std::pair<DirPath, std::string>> SplitPath(const std::string& text);

    // The answer to "l": every variable, newest first, directories nested in place and
    // closed by a 0 byte.
    std::string Listing() const;
    // Every variable, depth first, newest first, a directory before its content.
    std::vector<SimVariableInfo> Snapshot() const;

private:
    ObjPtr Rebuild(const ObjPtr& dir, const DirPath& path, std::size_t depth,
                   const std::string& name, const ObjPtr& object) const;

    ObjPtr home_;
    DirPath current_;
};

}  // namespace zqsim
