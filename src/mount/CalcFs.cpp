#include "mount/CalcFs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "mount/OutcomeErrno.h"
#include "objects/CalcNames.h"
#include "objects/TextTranslation.h"
#include "util/Ticks.h"
#include "util/Trace.h"

namespace vaddex::mount {
namespace {

// The binary object file's header before the object ("ZQZQ" and the series): the listing
// gives the object's size, the file is this much longer.
constexpr int kObjectFileHeader = 8;
// A calculator that did not answer a connect is not asked again sooner: a file manager's
// burst of lookups must not each wait for it.
constexpr std::time_t kConnectRetrySeconds = 3;
constexpr mode_t kFileMode = 0644;
constexpr mode_t kDirectoryMode = 0755;

std::time_t Now() {
    return std::time(nullptr);
}

std::string ParentPath(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

timespec Seconds(std::time_t time) {
    return {time, 0};
}

}  // namespace

CalcFs::CalcFs(SessionCommands& commands, Settings settings)
    : commands_(commands),
      settings_(std::move(settings)),
      textMode_(commands.State().textMode),
      extension_(textMode_ ? ".txt" : ".zq"),
      port_(commands.PortName().empty() ? commands.SelectedPort : commands.PortName()),
      listing_(settings_.cacheBytes) {
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

void CalcFs::Report(const std::string& text) {
    Trace("mount: " + text);
    if (settings_.report) {
        settings_.report(text);
    }
}

int CalcFs::Failed(const std::string& path, const Outcome& outcome) {
    int error = ErrnoOf(outcome.kind);
    if (error != 0 && !outcome.message.empty()) {
        Report(path + ": " + outcome.message);
    }
    return -error;
}

// --- the connection and the listing -------------------------------------------------------

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

int CalcFs::EnterDirectory(const std::string& path) {
    commands_.CurrentPath = path;
    Outcome there = commands_.ChangeToCurrentDir();
    return there ? 0 : Failed(path, there);
}

const TXPObject* CalcFs::FindFresh(const std::string& path, int& error) {
    error = FreshListing();
    const TXPObject* item = error == 0 ? Find(path) : nullptr;
    if (error == 0 && item == nullptr) {
        error = -ENOENT;
    }
    return item;
}

const TXPObject* CalcFs::FindChangeable(const std::string& path, int& error) {
    const TXPObject* item = FindFresh(path, error);
    if (item == &commands_.Root()) {
        error = -EBUSY;
        return nullptr;
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
    // Shown by nobody, so the calculator stays in the directory it is in.
    commands_.Reread([] {});
    Trace("mount: the listing was read");
    Index();
}

void CalcFs::Index() {
    listedAtMs_ = TickMs();
    std::vector<ListingCache::Listed> files;
    std::function<void(const TXPObject&, const std::string&)> walk =
        [&](const TXPObject& directory, const std::string& prefix) {
            for (const auto& child : directory.Children) {
                std::string path = prefix + "/" + EntryName(*child);
                if (child->IsDirectory()) {
                    walk(*child, path);
                } else {
                    files.push_back({path, child->Size, child->TypeCode});
                }
            }
        };
    walk(commands_.Root(), "");
    listing_.Index(files, Now());
}

// Names are shown in UTF-8 where the calculator has a character of its own (π, the Latin-1
// letters), in the file form's escapes otherwise, and taken back both ways.
std::string CalcFs::EntryName(const TXPObject& item) const {
    std::string name;
    for (char ch : PcNameToCalc(item.Name, false)) {
        std::string one(1, ch);
        std::string shown = static_cast<unsigned char>(ch) >= 0x80 ? CalcToUtf8(one) : one;
        name += shown != one ? shown : CalcNameToPc(one, true);
    }
    return item.IsDirectory() ? name : name + extension_;
}

std::string CalcFs::ItemName(const std::string& fileName, bool directory) const {
    std::string stem = directory ? fileName : SessionCommands::StripObjectExtension(fileName);
    if (!directory && fileName.size() - stem.size() != extension_.size()) {
        return "";
    }
    return CalcNameToPc(PcNameToCalc(Utf8ToCalc(stem), true), false);
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

std::int64_t CalcFs::FreeBytes() {
    // The last listing's figure: asking the calculator for each write would cost a command.
    std::optional<std::int64_t> free = commands_.LastFreeBytes();
    if (!free) {
        free = commands_.FreeBytes();
    }
    return free.value_or(0);
}

// --- stat -----------------------------------------------------------------------------------

void CalcFs::FillStat(const TXPObject* item, const std::string& path, struct stat& st) {
    st = {};
    st.st_uid = settings_.uid;
    st.st_gid = settings_.gid;
    st.st_atim = st.st_mtim = st.st_ctim = Seconds(startedAt_);
    if (item == nullptr || item->IsDirectory() || item == &commands_.Root()) {
        st.st_mode = S_IFDIR | kDirectoryMode;
        st.st_nlink = 2;
        return;
    }
    st.st_mode = S_IFREG | kFileMode;
    st.st_nlink = 1;
    st.st_size = textMode_ ? 0 : item->Size + kObjectFileHeader;
    if (const ListingCache::Version* version = listing_.Find(path); version != nullptr) {
        st.st_atim = st.st_mtim = st.st_ctim = Seconds(version->seen);
        st.st_atim = version->accessed.value_or(st.st_atim);
        st.st_mtim = version->modified.value_or(st.st_mtim);
        if (version->fileSize) {
            st.st_size = static_cast<off_t>(*version->fileSize);
        }
    }
    st.st_blocks = (st.st_size + 511) / 512;  // du and ls -s count 512-byte blocks
}

void CalcFs::FillHeldStat(const std::string& path, const HeldFile& held, struct stat& st) {
    FillStat(nullptr, path, st);
    st.st_mode = S_IFREG | held.mode;
    st.st_nlink = 1;
    st.st_size = static_cast<off_t>(HeldData(path).size());
    st.st_blocks = (st.st_size + 511) / 512;
    st.st_atim = held.accessed.value_or(Seconds(held.made));
    st.st_mtim = held.modified.value_or(Seconds(held.made));
}

int CalcFs::GetAttr(const std::string& path, struct stat& st) {
    if (auto held = held_.find(path); held != held_.end()) {
        FillHeldStat(path, held->second, st);
        return 0;
    }
    for (const auto& [handle, file] : open_) {
        // An open file is what is being read or written: the kernel's questions about it in
        // the middle of a long copy need no new listing.
        if (file.path == path && file.loaded) {
            if (const TXPObject* item = Find(path); item != nullptr) {
                FillStat(item, path, st);
                if (file.dirty) {
                    st.st_size = static_cast<off_t>(file.data.size());
                }
                return 0;
            }
        }
    }
    int error = 0;
    const TXPObject* item = FindFresh(path, error);
    if (item == nullptr) {
        return error;
    }
    const ListingCache::Version* version = listing_.Find(path);
    if (textMode_ && version != nullptr && !version->fileSize) {
        // tar, cp -a and du trust the size stat gives: the text is made now, and kept.
        std::string data;
        if (int fetched = Fetch(path, data); fetched != 0) {
            return fetched;
        }
        item = Find(path);
        if (item == nullptr) {
            return -ENOENT;
        }
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

// --- modes, owners and times ------------------------------------------------------------

int CalcFs::ChangeMode(const std::string& path, mode_t mode) {
    if (auto held = held_.find(path); held != held_.end() && IsHeldName(path)) {
        held->second.mode = mode & 0777;  // the writer's own until it is renamed and sent
        return 0;
    }
    struct stat st {};
    if (int error = GetAttr(path, st); error != 0) {
        return error;
    }
    if ((mode & 07777) == (st.st_mode & 07777)) {
        return 0;
    }
    Report(path + ": the calculator keeps no modes; only the mode shown can be set");
    return -EPERM;
}

int CalcFs::ChangeOwner(const std::string& path, uid_t uid, gid_t gid) {
    struct stat st {};
    if (int error = GetAttr(path, st); error != 0) {
        return error;
    }
    bool sameUser = uid == static_cast<uid_t>(-1) || uid == st.st_uid;
    bool sameGroup = gid == static_cast<gid_t>(-1) || gid == st.st_gid;
    if (sameUser && sameGroup) {
        return 0;
    }
    Report(path + ": the calculator keeps no owners; only the owner shown can be set");
    return -EPERM;
}

int CalcFs::UpdateTimes(const std::string& path, const timespec times[2]) {
    auto chosen = [](const timespec& time) -> std::optional<timespec> {
        if (time.tv_nsec == UTIME_OMIT) {
            return std::nullopt;
        }
        if (time.tv_nsec == UTIME_NOW) {
            timespec now{};
            ::clock_gettime(CLOCK_REALTIME, &now);
            return now;
        }
        return time;
    };
    auto set = [&](std::optional<timespec>& accessed, std::optional<timespec>& modified) {
        if (auto time = chosen(times[0])) {
            accessed = time;
        }
        if (auto time = chosen(times[1])) {
            modified = time;
        }
    };
    if (auto held = held_.find(path); held != held_.end()) {
        set(held->second.accessed, held->second.modified);
        return 0;
    }
    int error = 0;
    const TXPObject* item = FindFresh(path, error);
    if (item == nullptr) {
        return error;
    }
    if (ListingCache::Version* version = listing_.Find(path); version != nullptr) {
        set(version->accessed, version->modified);
    }
    return 0;  // a directory's times are the listing's
}

}  // namespace vaddex::mount
