#include "shell/ItemRef.h"

#include "session/TXPObject.h"

namespace vaddex::gui {

ItemRef ItemRef::Of(const TXPObject& item) {
    ItemRef ref;
    ref.path = item.GetPath();
    ref.name = item.Name;
    ref.isDirectory = item.IsDirectory() || item.Parent == nullptr;
    ref.size = item.GetSize();
    return ref;
}

std::string ItemRef::DirectoryPath() const {
    if (IsRoot() || path.size() <= name.size()) {
        return kRootPath;
    }
    return path.substr(0, path.size() - name.size() - 1);
}

const TXPObject* ItemRef::In(const TXPObject& root) const {
    if (IsRoot()) {
        return &root;
    }
    const std::string prefix = std::string(kRootPath) + " ";
    if (path.compare(0, prefix.size(), prefix) != 0) {
        return nullptr;
    }
    const TXPObject* item = &root;
    std::size_t position = prefix.size();
    while (item != nullptr && position <= path.size()) {
        std::size_t blank = path.find(' ', position);
        std::size_t end = blank == std::string::npos ? path.size() : blank;
        std::string part = path.substr(position, end - position);
        item = item->FindChild(part);
        if (blank == std::string::npos) {
            break;
        }
        position = end + 1;
    }
    if (item == nullptr || item->IsDirectory() != isDirectory) {
        return nullptr;
    }
    return item;
}

}  // namespace vaddex::gui
