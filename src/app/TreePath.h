#pragma once

#include <string>

namespace vaddex::gui {

// The deepest node that a path such as "HOME A B" reaches from the root: each name is looked
// up among the children by exact caption; the walk stops at the first name not found, so a
// deleted directory falls back to its nearest existing ancestor (the root at least).
// `child(node, name)` returns the child with that caption, or nullptr.
template <typename Node, typename ChildLookup>
Node* FindNodeByPath(Node* root, const std::string& path, ChildLookup child) {
    const std::string kHomePrefix = "HOME ";
    std::size_t position =
        path.compare(0, kHomePrefix.size(), kHomePrefix) == 0 ? kHomePrefix.size() : 0;
    Node* node = root;
    while (position < path.size()) {
        std::size_t blank = path.find(' ', position);
        std::size_t end = blank == std::string::npos ? path.size() : blank;
        Node* found = child(node, path.substr(position, end - position));
        if (found == nullptr) {
            break;
        }
        node = found;
        position = end + 1;
    }
    return node;
}

}  // namespace vaddex::gui
