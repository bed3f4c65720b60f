// CalcFs: open files, read from the calculator once and sent at close.

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "mount/CalcFs.h"
#include "objects/TextObjectCheck.h"
#include "objects/TextTranslation.h"

namespace vaddex::mount {
namespace {

// The binary object file's header before the object: the listing's size plus this is the
// file's.
constexpr std::size_t kObjectFileHeader = 8;

}  // namespace

std::uint64_t CalcFs::AddOpenFile(OpenFile file) {
    std::uint64_t handle = nextHandle_++;
    open_[handle] = std::move(file);
    return handle;
}

std::string CalcFs::GrowthRefusal(const std::string& data) const {
    if (!textMode_) {
        return "an object file holds one object of its own length, so nothing can be added to it";
    }
    // The text form's first line says how the rest is read; what follows must stay one
    // object, or the calculator would run the words around it.
    std::size_t body = data.rfind("%%ZQ: ", 0) == 0 ? data.find('\n') : std::string::npos;
    body = body == std::string::npos ? 0 : body + 1;
    TextObjectCheck check(TextToCalc(data.substr(body), false));
    return check.IsOneObject() ? "" : "the text would no longer be one object: " + check.Problem();
}

std::string CalcFs::HeldData(const std::string& path) const {
    for (const auto& [handle, file] : open_) {
        if (file.path == path && file.dirty) {
            return file.data;
        }
    }
    auto held = held_.find(path);
    return held == held_.end() ? std::string() : held->second.data;
}

int CalcFs::Open(const std::string& path, int flags, std::uint64_t& handle) {
    OpenFile file;
    file.path = path;
    file.append = (flags & O_APPEND) != 0;
    bool truncating = (flags & O_ACCMODE) != O_RDONLY && (flags & O_TRUNC) != 0;
    if (held_.count(path) != 0) {
        // A file held here, also one still being written through another handle.
        file.held = IsHeldName(path);
        file.loaded = true;
        file.data = truncating ? std::string() : HeldData(path);
        file.dirty = truncating;
        handle = AddOpenFile(std::move(file));
        return 0;
    }
    int error = 0;
    const TXPObject* item = FindFresh(path, error);
    if (item == nullptr) {
        return error;
    }
    if (item == &commands_.Root() || item->IsDirectory()) {
        return -EISDIR;
    }
    file.inPlace = !truncating;
    if (truncating) {
        file.loaded = true;
        file.dirty = true;
    } else if (textMode_) {
        if (int failed = Load(file); failed != 0) {
            return failed;
        }
    }
    handle = AddOpenFile(std::move(file));
    return 0;
}

int CalcFs::Create(const std::string& path, std::uint64_t& handle) {
    if (int error = FreshListing(); error != 0) {
        return error;
    }
    std::string name;
    if (FindParent(path, name) == nullptr) {
        return -ENOENT;
    }
    OpenFile file;
    file.path = path;
    file.loaded = true;
    file.dirty = true;
    file.held = IsHeldName(path);
    // Shown from now on: the calculator holds no empty variable, so the file goes to it with
    // its first data.
    held_[path].made = std::time(nullptr);
    handle = AddOpenFile(std::move(file));
    return 0;
}

int CalcFs::Load(OpenFile& file) {
    if (file.loaded) {
        return 0;
    }
    if (int error = Fetch(file.path, file.data); error != 0) {
        return error;
    }
    file.loaded = true;
    return 0;
}

CalcFs::OpenFile* CalcFs::LoadedFile(std::uint64_t handle, int& error) {
    auto found = open_.find(handle);
    if (found == open_.end()) {
        error = -EBADF;
        return nullptr;
    }
    error = Load(found->second);
    return error == 0 ? &found->second : nullptr;
}

int CalcFs::Fetch(const std::string& path, std::string& data) {
    if (listing_.Cached(path, data)) {
        return 0;
    }
    if (int error = Ready(); error != 0) {
        return error;
    }
    const TXPObject* item = Find(path);
    if (item == nullptr) {
        return -ENOENT;
    }
    if (int error = EnterDirectory(item->Parent->GetPath()); error != 0) {
        return error;
    }
    item = Find(path);
    if (item == nullptr) {
        return -ENOENT;
    }
    std::string listedName = item->Name;
    std::size_t listedFile = static_cast<std::size_t>(item->Size) + kObjectFileHeader;
    if (Outcome got = commands_.FetchItemData(*item, data); !got) {
        data.clear();
        return Failed(path, got.Saying(listedName + ": not read: " + got.message));
    }
    if (!textMode_ && data.size() != listedFile) {
        // What came is not what the listing promised: served to nobody, kept by nobody.
        Report(path + ": not read: " + std::to_string(data.size()) +
               " bytes came, the listing says " + std::to_string(listedFile));
        data.clear();
        return -EIO;
    }
    if (settings_.trustReads) {
        listing_.Remember(path, data);
    }
    if (ListingCache::Version* version = listing_.Find(path); version != nullptr) {
        version->fileSize = data.size();
    }
    return 0;
}

int CalcFs::Read(std::uint64_t handle, char* buffer, std::size_t size, std::int64_t offset) {
    int error = 0;
    OpenFile* loaded = LoadedFile(handle, error);
    if (loaded == nullptr) {
        return error;
    }
    OpenFile& file = *loaded;
    if (offset < 0 || static_cast<std::size_t>(offset) >= file.data.size()) {
        return 0;
    }
    std::size_t count = std::min(size, file.data.size() - static_cast<std::size_t>(offset));
    std::memcpy(buffer, file.data.data() + offset, count);
    return static_cast<int>(count);
}

int CalcFs::Write(std::uint64_t handle, const char* buffer, std::size_t size, std::int64_t offset) {
    int error = 0;
    // A write into an existing file changes its data as read: appends and partial writes are
    // sent whole at close.
    OpenFile* loaded = LoadedFile(handle, error);
    if (loaded == nullptr) {
        return error;
    }
    OpenFile& file = *loaded;
    if (file.noRoom) {
        return -ENOSPC;
    }
    if (offset < 0) {
        return -EINVAL;
    }
    std::size_t at = file.append ? file.data.size() : static_cast<std::size_t>(offset);
    std::size_t end = at + size;
    if (static_cast<std::int64_t>(end) > FreeBytes()) {
        // More than the calculator could take is never buffered, and what was written
        // before is no file the writer meant: nothing of it is sent or kept.
        file.noRoom = true;
        held_.erase(file.path);
        Report(file.path + ": not sent: " + std::to_string(end) +
               " bytes are more than the calculator's free memory");
        return -ENOSPC;
    }
    std::string before;
    if (file.inPlace && end > file.data.size()) {
        before = file.data;
    }
    if (end > file.data.size()) {
        file.data.resize(end);
    }
    std::memcpy(file.data.data() + at, buffer, size);
    if (!before.empty()) {
        if (std::string why = GrowthRefusal(file.data); !why.empty()) {
            file.data = std::move(before);
            Report(file.path + ": not written: " + why);
            return -EINVAL;
        }
    }
    file.dirty = true;
    return static_cast<int>(size);
}

int CalcFs::Truncate(const std::string& path, const std::uint64_t* handle, std::int64_t size) {
    if (size < 0) {
        return -EINVAL;
    }
    if (handle != nullptr) {
        // A file being written anew may pass through any size; its put at close decides.
        auto found = open_.find(*handle);
        if (found == open_.end()) {
            return -EBADF;
        }
        OpenFile& file = found->second;
        if (int error = Load(file); error != 0) {
            return error;
        }
        if (file.inPlace && static_cast<std::size_t>(size) != file.data.size()) {
            return ImpossibleSize(path, size);
        }
        file.data.resize(static_cast<std::size_t>(size));
        file.dirty = true;
        file.inPlace = false;
        return 0;
    }
    for (auto& [openHandle, file] : open_) {
        if (file.path == path) {
            std::uint64_t same = openHandle;
            return Truncate(path, &same, size);
        }
    }
    if (auto held = held_.find(path); held != held_.end()) {
        held->second.data.resize(static_cast<std::size_t>(size));
        return 0;
    }
    std::string data;
    if (int error = Fetch(path, data); error != 0) {
        return error;
    }
    if (static_cast<std::size_t>(size) == data.size()) {
        return 0;
    }
    return ImpossibleSize(path, size);
}

int CalcFs::ImpossibleSize(const std::string& path, std::int64_t size) {
    // A variable's file cut or padded is no object the calculator could hold.
    Report(path + ": a variable's file cannot be made " + std::to_string(size) +
           " bytes long; write the whole file instead");
    return -EINVAL;
}

int CalcFs::Flush(std::uint64_t handle) {
    auto found = open_.find(handle);
    if (found == open_.end()) {
        return -EBADF;
    }
    OpenFile& file = found->second;
    if (file.noRoom) {
        return 0;  // the write that did not fit said so, and nothing goes
    }
    if (file.held) {
        held_[file.path].data = file.data;
        file.dirty = false;
        return 0;
    }
    // The calculator holds no empty variable: a file with nothing written yet is sent once
    // something is (a shell's redirection flushes before its first write).
    if (!file.dirty || file.data.empty()) {
        return 0;
    }
    file.dirty = false;
    auto held = held_.find(file.path);
    std::optional<timespec> accessed;
    std::optional<timespec> modified;
    if (held != held_.end()) {
        accessed = held->second.accessed;
        modified = held->second.modified;
        held_.erase(held);  // from now on the calculator's, or kept in the unsent folder
    }
    int result = Put(file.path, file.data);
    if (ListingCache::Version* version = listing_.Find(file.path); result == 0 && version) {
        version->accessed = accessed;
        version->modified = modified;
    }
    return result;
}

int CalcFs::Release(std::uint64_t handle) {
    int result = 0;
    if (auto found = open_.find(handle); found != open_.end()) {
        result = Flush(handle);  // no close saw it; a failure still keeps the data
    }
    open_.erase(handle);
    return result;
}

}  // namespace vaddex::mount
