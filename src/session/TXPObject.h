#pragma once

#include <memory>
#include <string>
#include <vector>

namespace vaddex {

class TXModemServer;

// Type code of a directory item (type table row 25 + 9); it doubles as the item's icon number.
inline constexpr int kDirectoryTypeCode = 34;

// One calculator item, a variable or a directory, as the directory listing gives it.
class TXPObject {
public:
    TXPObject() = default;
    TXPObject(std::string name, int typeCode, int size, TXPObject* parent,
              TXModemServer* server = nullptr);
    ~TXPObject();  // ClearChildren
    TXPObject(const TXPObject&) = delete;
    TXPObject& operator=(const TXPObject&) = delete;

    std::vector<std::unique_ptr<TXPObject>> Children;  // a directory's items, listing order
    int Size = 0;                                      // bytes, from the listing
    TXPObject* Parent = nullptr;                       // none for the root
    std::string Name;                                  // PC form (backslash escapes)
    int TypeCode = 0;                                  // type table row + 9; 34 = directory
    std::string TypeName;
    TXModemServer* Server = nullptr;

    void ClearChildren();
    // Makes this the calculator's root directory HOME, listed through `server`.
    void MakeHome(TXModemServer& server);
    // The parent's path, a blank and the name: "HOME A B"; the root's path is its name.
    std::string GetPath() const;
    const std::vector<std::unique_ptr<TXPObject>>& GetChildren() const { return Children; }
    // Size for an item with a parent; for the root 100 plus the sizes of its direct children.
    int GetSize() const;
    bool IsDirectory() const { return TypeCode == kDirectoryTypeCode; }
    // Appends a new child and returns it.
    TXPObject& AddChild(std::unique_ptr<TXPObject> child);
    // The first child with this name; null when there is none.
    TXPObject* FindChild(const std::string& name);
    const TXPObject* FindChild(const std::string& name) const;
};

}  // namespace vaddex
