#pragma once

#include <string>
#include <vector>

namespace vaddex {

// The calculator's top directory, the first word of every path.
inline constexpr const char* kHomePath = "HOME";

// The names of a directory path below HOME: "HOME A B" gives {"A", "B"}, "HOME" none. Names
// never hold a blank (the calculator's parser ends a name there), so blanks separate them.
std::vector<std::string> PathNames(const std::string& path);

// The path of an item of a directory: ChildPath("HOME A", "X") is "HOME A X".
std::string ChildPath(const std::string& directory, const std::string& name);

// The directory that holds the item of a path ("HOME A" for "HOME A X"); HOME for HOME.
std::string ParentPath(const std::string& path);

// The deepest node that a path reaches from the root: each name is looked up among the
// children with `child(node, name)` (nullptr when there is none); the walk stops at the first
// name not found, so a deleted directory falls back to its nearest existing ancestor.
template <typename Node, typename ChildLookup>
Node* FindNodeByPath(Node* root, const std::string& path, ChildLookup child) {
    Node* node = root;
    for (const std::string& name : PathNames(path)) {
        Node* found = child(node, name);
        if (found == nullptr) {
            break;
        }
        node = found;
    }
    return node;
}

}  // namespace vaddex
