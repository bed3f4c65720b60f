// CalcFs: directories, removing and renaming.

#include <cerrno>

#include "mount/CalcFs.h"
#include "objects/CalcNames.h"

namespace vaddex::mount {
namespace {

std::string ParentOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

}  // namespace

std::string CalcFs::NameRefusal(const std::string& name) {
    if (name.empty()) {
        return "an empty name";
    }
    // The session refuses what cannot be sent at all; a name it would only ask about is
    // refused here, since the mount has nobody to answer.
    if (!CheckCalcName(name, nullptr).proper) {
        return "it is no proper variable name on the calculator";
    }
    return "";
}

int CalcFs::MakeDir(const std::string& path) {
    if (int error = FreshListing(); error != 0) {
        return error;
    }
    std::string fileName;
    const TXPObject* parent = FindParent(path, fileName);
    if (parent == nullptr) {
        return -ENOENT;
    }
    if (Find(path) != nullptr || held_.count(path) != 0) {
        return -EEXIST;
    }
    std::string name = ItemName(fileName, true);
    if (std::string why = NameRefusal(name); !why.empty()) {
        Report(path + ": the calculator cannot take the name " + name + ": " + why);
        return -EINVAL;
    }
    if (int error = EnterDirectory(parent->GetPath()); error != 0) {
        return error;
    }
    Outcome made = commands_.MakeDirectory(name);
    Reread();
    if (!made) {
        return Failed(path, made);
    }
    return Find(path) != nullptr ? 0 : -EIO;
}

int CalcFs::Remove(const std::string& path, bool directory) {
    int error = 0;
    const TXPObject* item = FindChangeable(path, error);
    if (item == nullptr) {
        return error;
    }
    if (item->IsDirectory() != directory) {
        return directory ? -ENOTDIR : -EISDIR;
    }
    if (directory && !item->Children.empty()) {
        return -ENOTEMPTY;
    }
    std::string name = item->Name;
    if (int failed = EnterDirectory(item->Parent->GetPath()); failed != 0) {
        return failed;
    }
    Outcome removed = commands_.DeleteItem(name, directory);
    listing_.Forget(path);
    Reread();
    if (!removed) {
        return Failed(path, removed);
    }
    return Find(path) == nullptr ? 0 : -EIO;
}

int CalcFs::Unlink(const std::string& path) {
    if (held_.erase(path) != 0) {
        return 0;
    }
    return Remove(path, false);
}

int CalcFs::RemoveDir(const std::string& path) {
    return Remove(path, true);
}

int CalcFs::Rename(const std::string& from, const std::string& to) {
    if (held_.count(from) != 0) {
        return RenameHeld(from, to);
    }
    int error = 0;
    const TXPObject* item = FindChangeable(from, error);
    if (item == nullptr) {
        return error;
    }
    if (ParentOf(from) != ParentOf(to)) {
        return -EXDEV;  // mv copies and deletes by itself
    }
    std::string fileName;
    if (FindParent(to, fileName) == nullptr) {
        return -ENOENT;
    }
    bool directory = item->IsDirectory();
    std::string name = ItemName(fileName, directory);
    if (name.empty()) {
        Report(to + ": a variable's file is named with " + extension_ + " at the end");
        return -EINVAL;
    }
    if (std::string why = NameRefusal(name); !why.empty()) {
        Report(to + ": the calculator cannot take the name " + name + ": " + why);
        return -EINVAL;
    }
    std::string oldName = item->Name;
    if (const TXPObject* target = Find(to); target != nullptr) {
        if (target->IsDirectory() != directory) {
            return directory ? -ENOTDIR : -EISDIR;
        }
        if (directory) {
            // Replacing a directory would take its items with it.
            return target->Children.empty() ? -EEXIST : -ENOTEMPTY;
        }
    }
    if (int failed = EnterDirectory(item->Parent->GetPath()); failed != 0) {
        return failed;
    }
    std::optional<timespec> accessed;
    std::optional<timespec> modified;
    if (const ListingCache::Version* version = listing_.Find(from); version != nullptr) {
        accessed = version->accessed;
        modified = version->modified;
    }
    // A file renamed over another replaces it, as POSIX rename does.
    Outcome renamed = commands_.RenameItem(oldName, name, directory, true);
    listing_.Forget(from);
    listing_.Forget(to);
    Reread();
    if (!renamed) {
        return Failed(from, renamed);
    }
    if (Find(to) == nullptr) {
        return -EIO;
    }
    if (ListingCache::Version* version = listing_.Find(to); version != nullptr) {
        version->accessed = accessed;
        version->modified = modified;
    }
    return 0;
}

}  // namespace vaddex::mount
