#include "mount/CalcFs.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string_view>

#include "objects/CalcNames.h"
#include "util/AppPaths.h"
#include "util/FileIo.h"
#include "util/Ticks.h"
#include "util/Trace.h"

namespace vaddex::mount {
namespace {

// The binary object file's header before the object ("ZQZQ" and the series): the listing
// gives the object's size, the file is this much longer.
constexpr int kObjectFileHeader = 8;
// A text written without the text form's first line is sent as it stands, with the modes
// the calculator is in: an empty header says nothing of the angle or the fraction mark.
constexpr const char* kPlainTextHeader = "%%ZQ: ;\n";
constexpr const char* kFreeMemoryLabel = "Free Mem: ";
// A calculator that did not answer a connect is not asked again sooner: a file manager's
// burst of lookups must not each wait for it.
constexpr std::time_t kConnectRetrySeconds = 3;

std::time_t Now() {
    return std::time(nullptr);
}

std::string ParentPath(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

// Why the calculator cannot take this display-form name; empty when it can.
std::string NameRefusal(const std::string& name) {
    if (name.empty()) {
        return "an empty name";
    }
    if (std::string why = IncompleteEscapeReason(name); !why.empty()) {
        return why;
    }
    std::string calcName = PcNameToCalc(name, false);
    if (std::string why = UnsafeNameReason(calcName); !why.empty()) {
        return why;
    }
    return IsReservedName(calcName) ? "the calculator's top directory" : "";
}

// A scratch file in the run's private folder, removed when it goes.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& name) {
        std::string folder = TempFolder() + "mount/";
        std::filesystem::create_directories(folder);
        path_ = folder + name;
    }
    ~ScratchFile() { ::unlink(path_.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

CalcFs::CalcFs(SessionCommands& commands, Settings settings)
    : commands_(commands),
      settings_(std::move(settings)),
      textMode_(commands.State().textMode),
      extension_(textMode_ ? ".txt" : ".zq"),
      port_(commands.PortName().empty() ? commands.SelectedPort : commands.PortName()),
      // A connect's reread leaves the calculator in the directory the commands stand in.
      calculatorDirectory_(commands.CurrentPath) {
    Index();  // the tree the connect has just read
}

std::string CalcFs::DefaultUnsentFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && *state == '/') {
        return std::string(state) + "/vaddex/unsent/";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/state/vaddex/unsent/";
}

// --- the listing ------------------------------------------------------------------------

int CalcFs::Ready() {
    if (commands_.Ui().Connected()) {
        return 0;
    }
    if (PortHasGone() || Now() - lastConnectTry_ < kConnectRetrySeconds) {
        return -EIO;
    }
    lastConnectTry_ = Now();
    commands_.SelectedPort = port_;
    if (Outcome connected = commands_.ConnectToCalculator(); !connected) {
        Report("not connected to the calculator on " + port_ + ": " + connected.message);
        return -EIO;
    }
    calculatorDirectory_ = commands_.CurrentPath;
    Report("connected again to the calculator on " + port_);
    Index();
    return 0;
}

bool CalcFs::PortHasGone() const {
    if (commands_.Ui().Connected()) {
        return false;
    }
    struct stat st {};
    bool path = port_.find('/') != std::string::npos;
    return path ? ::stat(port_.c_str(), &st) != 0 : commands_.PortLost();
}

void CalcFs::EnterDirectory(const std::string& path) {
    commands_.CurrentPath = path;
    if (calculatorDirectory_ != path) {
        calculatorDirectory_.clear();  // unknown, should the change fail half-way
        commands_.ChangeToCurrentDir();
        calculatorDirectory_ = path;
    }
}

const TXPObject* CalcFs::FindFresh(const std::string& path, int& error) {
    error = FreshListing();
    const TXPObject* item = error == 0 ? Find(path) : nullptr;
    if (error == 0 && item == nullptr) {
        error = -ENOENT;
    }
    return item;
}

int CalcFs::FreshListing() {
    if (int error = Ready(); error != 0) {
        return error;
    }
    // In milliseconds: whole seconds would let a listing read at x.9 s count as a second old
    // at once.
    if (TickMs() - listedAtMs_ >= std::int64_t{settings_.refreshSeconds} * 1000) {
        Reread();
    }
    return 0;
}

void CalcFs::Reread() {
    commands_.CurrentPath = "HOME";
    // Shown by nobody, so the calculator stays in the directory it is in (EnterDirectory).
    commands_.Reread([] {});
    Trace("mount: the listing was read");
    Index();
}

void CalcFs::Index() {
    lastListing_ = Now();
    listedAtMs_ = TickMs();
    std::map<std::string, Version> seen;
    std::function<void(const TXPObject&, const std::string&)> walk =
        [&](const TXPObject& directory, const std::string& prefix) {
            for (const auto& child : directory.Children) {
                std::string path = prefix + "/" + EntryName(*child);
                if (child->IsDirectory()) {
                    walk(*child, path);
                    continue;
                }
                Version version{child->Size, child->TypeCode, Now(), std::nullopt};
                auto old = versions_.find(path);
                if (old != versions_.end() && old->second.size == version.size &&
                    old->second.typeCode == version.typeCode) {
                    version = old->second;
                } else {
                    Forget(path);
                }
                seen[path] = version;
            }
        };
    walk(commands_.Root(), "");
    for (const auto& [path, version] : versions_) {
        if (seen.count(path) == 0) {
            Forget(path);
        }
    }
    versions_ = std::move(seen);
}

std::string CalcFs::EntryName(const TXPObject& item) const {
    std::string name = SessionCommands::FileNameForItem(item.Name);
    return item.IsDirectory() ? name : name + extension_;
}

const TXPObject* CalcFs::Find(const std::string& path) {
    const TXPObject* item = &commands_.Root();
    std::size_t start = 1;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        std::string component = path.substr(start, end - start);
        start = end == std::string::npos ? path.size() : end + 1;
        if (component.empty()) {
            continue;
        }
        const TXPObject* next = nullptr;
        for (const auto& child : item->Children) {
            if (EntryName(*child) == component) {
                next = child.get();
                break;
            }
        }
        if (next == nullptr) {
            return nullptr;
        }
        item = next;
    }
    return item;
}

const TXPObject* CalcFs::FindParent(const std::string& path, std::string& name) {
    name = path.substr(path.rfind('/') + 1);
    const TXPObject* parent = Find(ParentPath(path));
    return parent != nullptr && parent->IsDirectory() ? parent : nullptr;
}

void CalcFs::FillStat(const TXPObject* item, const std::string& path, struct stat& st) {
    st = {};
    st.st_uid = ::getuid();
    st.st_gid = ::getgid();
    st.st_atime = st.st_mtime = st.st_ctime = lastListing_;
    if (item == nullptr || item->IsDirectory() || item == &commands_.Root()) {
        st.st_mode = S_IFDIR | 0755;
        st.st_nlink = 2;
        return;
    }
    st.st_mode = S_IFREG | 0644;
    st.st_nlink = 1;
    // A text file is made on the calculator when it is read: until then its size is shown
    // as 0, and open reads it, so that a program asking the open file's size learns it.
    st.st_size = textMode_ ? 0 : item->Size + kObjectFileHeader;
    if (auto version = versions_.find(path); version != versions_.end()) {
        st.st_atime = st.st_mtime = st.st_ctime = version->second.seen;
        if (version->second.fileSize) {
            st.st_size = static_cast<off_t>(*version->second.fileSize);
        }
    }
    st.st_blocks = (st.st_size + 511) / 512;  // du and ls -s count 512-byte blocks
}

void CalcFs::FillUnsentStat(const std::string& path, std::size_t size, struct stat& st) {
    FillStat(nullptr, path, st);
    st.st_mode = S_IFREG | 0644;
    st.st_nlink = 1;
    st.st_size = static_cast<off_t>(size);
    st.st_blocks = (st.st_size + 511) / 512;
    st.st_mtime = Now();
}

std::uint64_t CalcFs::AddOpenFile(OpenFile file) {
    std::uint64_t handle = nextHandle_++;
    open_[handle] = std::move(file);
    return handle;
}

std::int64_t CalcFs::FreeBytes() {
    const std::string& status = commands_.MemoryStatus();
    std::size_t at = status.find(kFreeMemoryLabel);
    std::string text = at == std::string::npos ? commands_.FreeMemory()
                                               : status.substr(at + std::strlen(kFreeMemoryLabel));
    std::int64_t bytes = 0;
    std::from_chars(text.data(), text.data() + text.size(), bytes);
    return bytes;
}

// --- reading ----------------------------------------------------------------------------

int CalcFs::GetAttr(const std::string& path, struct stat& st) {
    if (auto held = held_.find(path); held != held_.end()) {
        std::size_t size = held->second.size();
        for (const auto& [handle, file] : open_) {
            size = file.path == path ? file.data.size() : size;
        }
        FillUnsentStat(path, size, st);
        return 0;
    }
    for (const auto& [handle, file] : open_) {
        // An open file is what is being read or written: the kernel's questions about it in
        // the middle of a long copy need no new listing.
        if (file.path == path && !file.created && file.loaded && !file.dirty) {
            if (const TXPObject* item = Find(path); item != nullptr) {
                FillStat(item, path, st);
                return 0;
            }
        }
        if (file.path == path && file.created) {
            FillUnsentStat(path, file.data.size(), st);
            return 0;
        }
    }
    int error = 0;
    const TXPObject* item = FindFresh(path, error);
    if (item == nullptr) {
        return error;
    }
    FillStat(item, path, st);
    return 0;
}

int CalcFs::ReadDir(const std::string& path,
                    std::vector<std::pair<std::string, struct stat>>& entries) {
    int error = 0;
    const TXPObject* directory = FindFresh(path, error);
    if (directory == nullptr) {
        return error;
    }
    if (directory != &commands_.Root() && !directory->IsDirectory()) {
        return -ENOTDIR;
    }
    std::string prefix = path == "/" ? "" : path;
    for (const auto& child : directory->Children) {
        std::string name = EntryName(*child);
        struct stat st {};
        FillStat(child.get(), prefix + "/" + name, st);
        entries.emplace_back(name, st);
    }
    AddHeldEntries(prefix, entries);
    return 0;
}

void CalcFs::AddHeldEntries(const std::string& directory,
                            std::vector<std::pair<std::string, struct stat>>& entries) {
    for (const auto& [path, data] : held_) {
        if (ParentPath(path) == (directory.empty() ? "/" : directory)) {
            struct stat st {};
            GetAttr(path, st);
            entries.emplace_back(path.substr(path.rfind('/') + 1), st);
        }
    }
}

bool CalcFs::IsHidden(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash != std::string::npos && slash + 1 < path.size() && path[slash + 1] == '.';
}

int CalcFs::Open(const std::string& path, int flags, std::uint64_t& handle) {
    if (auto held = held_.find(path); held != held_.end()) {
        OpenFile file;
        file.path = path;
        file.held = true;
        file.loaded = true;
        file.data = (flags & O_TRUNC) != 0 ? std::string() : held->second;
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
    OpenFile file;
    file.path = path;
    if ((flags & O_ACCMODE) != O_RDONLY && (flags & O_TRUNC) != 0) {
        file.loaded = true;
        file.dirty = true;
    } else if (textMode_) {
        if (int error = Load(file); error != 0) {
            return error;
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
    file.created = true;
    if (IsHidden(path)) {
        file.held = true;
        held_[path];
    }
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

int CalcFs::Fetch(const std::string& path, std::string& data) {
    auto version = versions_.find(path);
    auto cached = cache_.find(path);
    if (cached != cache_.end() && version != versions_.end()) {
        data = cached->second;
        return 0;
    }
    if (int error = Ready(); error != 0) {
        return error;
    }
    const TXPObject* item = Find(path);
    if (item == nullptr) {
        return -ENOENT;
    }
    EnterDirectory(item->Parent->GetPath());
    ScratchFile scratch("get");
    if (Outcome got = commands_.GetItemTo(*item, scratch.Path()); !got) {
        Report(path + ": not read: " + got.message);
        return -EIO;
    }
    if (!ReadWholeFile(scratch.Path(), data)) {
        Report(path + ": nothing was received");
        return -EIO;
    }
    Remember(path, data);
    if (auto found = versions_.find(path); found != versions_.end()) {
        found->second.fileSize = data.size();
    }
    return 0;
}

void CalcFs::Remember(const std::string& path, const std::string& data) {
    if (data.size() > settings_.cacheBytes) {
        return;
    }
    Forget(path);
    while (cachedBytes_ + data.size() > settings_.cacheBytes && !cacheOrder_.empty()) {
        Forget(cacheOrder_.front());
    }
    cache_[path] = data;
    cacheOrder_.push_back(path);
    cachedBytes_ += data.size();
}

void CalcFs::Forget(const std::string& path) {
    auto cached = cache_.find(path);
    if (cached == cache_.end()) {
        return;
    }
    cachedBytes_ -= cached->second.size();
    cache_.erase(cached);
    cacheOrder_.erase(std::find(cacheOrder_.begin(), cacheOrder_.end(), path));
}

void CalcFs::Report(const std::string& text) {
    Trace("mount: " + text);
    if (settings_.report) {
        settings_.report(text);
    }
}

// --- writing ----------------------------------------------------------------------------

int CalcFs::Write(std::uint64_t handle, const char* buffer, std::size_t size, std::int64_t offset) {
    int error = 0;
    OpenFile* loaded = LoadedFile(handle, error);
    if (loaded == nullptr) {
        return error;
    }
    OpenFile& file = *loaded;
    auto end = static_cast<std::size_t>(offset) + size;
    if (static_cast<std::int64_t>(end) > FreeBytes()) {
        return -ENOSPC;  // more than the calculator could take is never buffered
    }
    if (end > file.data.size()) {
        file.data.resize(end);
    }
    std::memcpy(file.data.data() + offset, buffer, size);
    file.dirty = true;
    return static_cast<int>(size);
}

int CalcFs::Truncate(const std::string& path, const std::uint64_t* handle, std::int64_t size) {
    if (size < 0) {
        return -EINVAL;
    }
    if (handle != nullptr) {
        auto found = open_.find(*handle);
        if (found == open_.end()) {
            return -EBADF;
        }
        OpenFile& file = found->second;
        if (int error = Load(file); error != 0) {
            return error;
        }
        file.data.resize(static_cast<std::size_t>(size));
        file.dirty = true;
        return 0;
    }
    for (auto& [openHandle, file] : open_) {
        if (file.path == path) {
            std::uint64_t same = openHandle;
            return Truncate(path, &same, size);
        }
    }
    if (auto held = held_.find(path); held != held_.end()) {
        held->second.resize(static_cast<std::size_t>(size));
        return 0;
    }
    std::string data;
    if (int error = Fetch(path, data); error != 0) {
        return error;
    }
    data.resize(static_cast<std::size_t>(size));
    return Put(path, data);
}

int CalcFs::Flush(std::uint64_t handle) {
    auto found = open_.find(handle);
    if (found == open_.end()) {
        return -EBADF;
    }
    OpenFile& file = found->second;
    if (file.held) {
        held_[file.path] = file.data;
        file.dirty = false;
        return 0;
    }
    // The calculator holds no empty variable: a file with nothing written yet is sent once
    // something is (a shell's redirection flushes before its first write).
    if (!file.dirty || file.data.empty()) {
        return 0;
    }
    file.dirty = false;
    file.created = false;
    return Put(file.path, file.data);
}

int CalcFs::Release(std::uint64_t handle) {
    int result = 0;
    if (auto found = open_.find(handle); found != open_.end()) {
        result = Flush(handle);  // no close saw it; a failure still keeps the data
    }
    open_.erase(handle);
    return result;
}

int CalcFs::Put(const std::string& path, const std::string& data) {
    std::string fileName;
    const TXPObject* parent = FindParent(path, fileName);
    if (parent == nullptr) {
        return -ENOENT;
    }
    std::string name = SessionCommands::ItemNameForFile(fileName);
    auto fail = [&](int error, const std::string& why) {
        std::string kept = SaveUnsent(name, data);
        std::string reason = why;
        while (!reason.empty() && (reason.back() == '.' || reason.back() == '\n')) {
            reason.pop_back();
        }
        Report(path + ": not sent: " + reason +
               (kept.empty() ? "; the data could not be kept" : "; the data is kept in " + kept));
        return -error;
    };
    // A connect again replaces every item: from here on the directory goes by its path.
    std::string directory = parent->GetPath();
    if (std::string why = NameRefusal(name); !why.empty()) {
        return fail(EINVAL, "the calculator cannot take the name " + name + ": " + why);
    }
    if (int error = Ready(); error != 0) {
        return fail(-error, "not connected to the calculator");
    }
    if (static_cast<std::int64_t>(data.size()) > FreeBytes()) {
        return fail(ENOSPC, "larger than the calculator's free memory");
    }
    Forget(path);
    Outcome put = Outcome::Fail(Outcome::Kind::Refused, "");
    try {
        ScratchFile scratch(SessionCommands::FileNameForItem(name) + extension_);
        if (!WriteWholeFile(scratch.Path(), SendableForm(data))) {
            return fail(EIO, "the data could not be prepared for sending");
        }
        EnterDirectory(directory);
        bool replaceAll = true;  // writing over a file replaces the variable
        put = commands_.PutDroppedFile(scratch.Path(), replaceAll, 1);
    } catch (const std::exception& e) {
        put = Outcome::Fail(Outcome::Kind::Refused, e.what());
    }
    Reread();
    if (!put) {
        return fail(put.IsDeclined() ? EINVAL : EIO,
                    put.message.empty() ? "the calculator did not take it" : put.message);
    }
    if (Find(path) == nullptr) {
        return fail(EIO, "the calculator made no variable " + name + " of it");
    }
    return 0;
}

std::string CalcFs::SendableForm(const std::string& data) const {
    auto begins = [&](std::string_view head) { return data.compare(0, head.size(), head) == 0; };
    if (!textMode_ || begins("ZQZQ") || begins("%%ZQ: ") || begins("%ZQZQ: ")) {
        return data;
    }
    return kPlainTextHeader + data;
}

std::string CalcFs::SaveUnsent(const std::string& name, const std::string& data) {
    std::error_code error;
    std::filesystem::create_directories(settings_.unsentFolder, error);
    char stamp[32];
    std::time_t now = Now();
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S-", &local);
    std::string base = settings_.unsentFolder + stamp + SessionCommands::FileNameForItem(name);
    std::string path = base + extension_;
    for (int n = 2; FileExists(path); ++n) {
        path = base + "-" + std::to_string(n) + extension_;
    }
    return WriteWholeFile(path, data) ? path : "";
}

// --- directories and names --------------------------------------------------------------

int CalcFs::MakeDir(const std::string& path) {
    if (int error = FreshListing(); error != 0) {
        return error;
    }
    std::string fileName;
    const TXPObject* parent = FindParent(path, fileName);
    if (parent == nullptr) {
        return -ENOENT;
    }
    if (Find(path) != nullptr) {
        return -EEXIST;
    }
    std::string name = SessionCommands::ItemNameForFile(fileName);
    if (std::string why = NameRefusal(name); !why.empty()) {
        Report(path + ": the calculator cannot take the name " + name + ": " + why);
        return -EINVAL;
    }
    EnterDirectory(parent->GetPath());
    Outcome made = commands_.MakeDirectory(name);
    Reread();
    if (!made) {
        Report(path + ": " + made.message);
        return made.IsDeclined() ? -EINVAL : -EIO;
    }
    return Find(path) != nullptr ? 0 : -EIO;
}

int CalcFs::Remove(const std::string& path, bool directory) {
    int error = 0;
    const TXPObject* item = FindFresh(path, error);
    if (item == nullptr) {
        return error;
    }
    if (item == &commands_.Root()) {
        return -EBUSY;
    }
    if (item->IsDirectory() != directory) {
        return directory ? -ENOTDIR : -EISDIR;
    }
    if (directory && !item->Children.empty()) {
        return -ENOTEMPTY;
    }
    std::string name = item->Name;
    EnterDirectory(item->Parent->GetPath());
    Outcome removed = commands_.DeleteItem(name, directory);
    Forget(path);
    Reread();
    if (!removed) {
        Report(path + ": " + removed.message);
        return removed.IsDeclined() ? -EINVAL : -EIO;
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
    const TXPObject* item = FindFresh(from, error);
    if (item == nullptr) {
        return error;
    }
    if (item == &commands_.Root()) {
        return -EBUSY;
    }
    if (ParentPath(from) != ParentPath(to)) {
        return -EXDEV;  // mv copies and deletes by itself
    }
    std::string fileName;
    if (FindParent(to, fileName) == nullptr) {
        return -ENOENT;
    }
    std::string name = SessionCommands::ItemNameForFile(fileName);
    if (std::string why = NameRefusal(name); !why.empty()) {
        Report(to + ": the calculator cannot take the name " + name + ": " + why);
        return -EINVAL;
    }
    std::string oldName = item->Name;
    bool directory = item->IsDirectory();
    if (const TXPObject* target = Find(to); target != nullptr) {
        if (target->IsDirectory() != directory) {
            return directory ? -ENOTDIR : -EISDIR;
        }
        if (directory) {
            // Replacing a directory would take its items with it.
            return target->Children.empty() ? -EEXIST : -ENOTEMPTY;
        }
        if (int error = Remove(to, false); error != 0) {
            return error;
        }
    }
    item = Find(from);  // a removed target reread the tree
    if (item == nullptr) {
        return -ENOENT;
    }
    EnterDirectory(item->Parent->GetPath());
    Outcome renamed = commands_.RenameItem(oldName, name, directory);
    Forget(from);
    Forget(to);
    Reread();
    if (!renamed) {
        Report(from + ": " + renamed.message);
        return renamed.IsDeclined() ? -EINVAL : -EIO;
    }
    return Find(to) != nullptr ? 0 : -EIO;
}

int CalcFs::StatFs(struct statvfs& st) {
    if (int error = FreshListing(); error != 0) {
        return error;
    }
    st = {};
    std::int64_t free = FreeBytes();
    std::int64_t used = commands_.Root().GetSize();
    st.f_bsize = 1;
    st.f_frsize = 1;
    st.f_blocks = static_cast<fsblkcnt_t>(free + used);
    st.f_bfree = static_cast<fsblkcnt_t>(free);
    st.f_bavail = static_cast<fsblkcnt_t>(free);
    st.f_namemax = 255;
    return 0;
}

// --- hidden files -------------------------------------------------------------------------

int CalcFs::RenameHeld(const std::string& from, const std::string& to) {
    std::string data = held_[from];
    if (IsHidden(to)) {
        std::string name;
        if (FindParent(to, name) == nullptr) {
            return -ENOENT;
        }
        held_.erase(from);
        held_[to] = std::move(data);
        return 0;
    }
    if (int error = FreshListing(); error != 0) {
        return error;
    }
    if (const TXPObject* target = Find(to); target != nullptr && target->IsDirectory()) {
        return -EISDIR;
    }
    // The renamed file is what the writer meant to send: it goes now, under its new name.
    int result = Put(to, data);
    if (result == 0) {
        held_.erase(from);
    }
    return result;
}

void CalcFs::KeepHeldFiles() {
    for (const auto& [path, data] : held_) {
        if (data.empty()) {
            continue;
        }
        std::string kept = SaveUnsent(path.substr(path.rfind('/') + 1), data);
        Report(path + ": never renamed to a name the calculator takes, so never sent; " +
               (kept.empty() ? "the data could not be kept" : "the data is kept in " + kept));
    }
    held_.clear();
}

}  // namespace vaddex::mount
