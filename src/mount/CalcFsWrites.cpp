// CalcFs: puts, the files held in memory and the unsent folder.

#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <string_view>

#include "mount/CalcFs.h"
#include "mount/OutcomeErrno.h"
#include "util/AppPaths.h"
#include "util/FileIo.h"
#include "util/Trace.h"

namespace vaddex::mount {
namespace {

// The binary object file's header before the object.
constexpr std::size_t kObjectFileHeader = 8;
// A text written without the text form's first line is sent as it stands, with the modes
// the calculator is in: an empty header says nothing of the angle or the fraction mark.
constexpr const char* kPlainTextHeader = "%%ZQ: ;\n";

std::string ParentOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

std::string LastComponent(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// A scratch file in the run's private folder, removed when it goes: the session sends files.
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

std::string WithoutFullStop(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == '\n')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

int CalcFs::Put(const std::string& path, const std::string& data) {
    std::string fileName;
    const TXPObject* parent = FindParent(path, fileName);
    if (parent == nullptr) {
        return -ENOENT;
    }
    std::string name = ItemName(fileName);
    auto fail = [&](const Outcome& outcome) {
        std::string kept = SaveUnsent(name.empty() ? fileName : name, data);
        Report(path + ": not sent: " + WithoutFullStop(outcome.message) +
               (kept.empty() ? "; the data could not be kept" : "; the data is kept in " + kept));
        int error = ErrnoOf(outcome.kind);
        return -(error != 0 ? error : EIO);
    };
    using Kind = Outcome::Kind;
    if (std::string why = NameRefusal(name); !why.empty()) {
        return fail(Outcome::Fail(Kind::BadName,
                                  "the calculator cannot take the name " + name + ": " + why));
    }
    // A connect again replaces every item: from here on the directory goes by its path.
    std::string directory = parent->GetPath();
    if (const TXPObject* target = Find(path); target != nullptr && target->IsDirectory()) {
        return -EISDIR;
    }
    if (Ready() != 0) {
        return fail(Outcome::Fail(Kind::NotConnected, "not connected to the calculator"));
    }
    if (static_cast<std::int64_t>(data.size()) > FreeBytes()) {
        return fail(Outcome::Fail(Kind::NoRoom, "larger than the calculator's free memory"));
    }
    listing_.Forget(path);
    ScratchFile scratch(SessionCommands::FileNameForItem(name) + extension_);
    if (!WriteWholeFile(scratch.Path(), SendableForm(data))) {
        return fail(Outcome::Fail(Kind::FileError, "the data could not be prepared for sending"));
    }
    if (int error = EnterDirectory(directory); error != 0) {
        return fail(
            Outcome::Fail(Kind::LinkFailed, "the calculator did not change to " + directory));
    }
    // Writing over a file replaces the variable, as POSIX has it: nobody is asked.
    std::vector<PutResult> results = commands_.PutFiles({scratch.Path()}, {}, true);
    Trace("mount: the listing was read");
    Index();
    Outcome put =
        results.empty() ? Outcome::Fail(Kind::Refused, "nothing was sent") : results.back().outcome;
    if (put.IsCancelled()) {
        // Nobody can cancel a put of the mount's: this is a question about the file that the
        // mount, with nobody to ask, answered No.
        put = Outcome::Fail(Kind::Refused, "not a file the calculator takes as it stands");
    }
    if (!put) {
        return fail(put.message.empty() ? put.Saying("the calculator did not take it") : put);
    }
    const TXPObject* stored = Find(path);
    bool objectFile = data.compare(0, 4, "ZQZQ") == 0;
    if (!textMode_ && objectFile && stored != nullptr &&
        static_cast<std::size_t>(stored->Size) + kObjectFileHeader != data.size()) {
        // The calculator read one object and dropped the rest (an append, say).
        return fail(Outcome::Fail(
            Kind::Refused, "the calculator kept " +
                               std::to_string(stored->Size + kObjectFileHeader) + " of the " +
                               std::to_string(data.size()) + " bytes written as one object"));
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
    std::time_t now = std::time(nullptr);
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

// --- held files ---------------------------------------------------------------------------

bool CalcFs::IsHeldName(const std::string& path) const {
    std::string name = LastComponent(path);
    return name.empty() || name[0] == '.' || ItemName(name).empty();
}

void CalcFs::AddHeldEntries(const std::string& directory,
                            std::vector<std::pair<std::string, struct stat>>& entries) {
    for (const auto& [path, held] : held_) {
        if (ParentOf(path) == (directory.empty() ? "/" : directory)) {
            struct stat st {};
            FillHeldStat(path, held, st);
            entries.emplace_back(LastComponent(path), st);
        }
    }
}

int CalcFs::RenameHeld(const std::string& from, const std::string& to) {
    std::string name;
    if (FindParent(to, name) == nullptr) {
        return -ENOENT;
    }
    HeldFile held = held_[from];
    held.data = HeldData(from);
    if (const TXPObject* target = Find(to); target != nullptr && target->IsDirectory()) {
        return -EISDIR;
    }
    if (IsHeldName(to) || held.data.empty()) {
        held_.erase(from);
        held_[to] = std::move(held);
        for (auto& [handle, file] : open_) {
            if (file.path == from) {
                file.path = to;
                file.held = IsHeldName(to);
            }
        }
        return 0;
    }
    if (int error = FreshListing(); error != 0) {
        return error;
    }
    // The renamed file is what the writer meant to send: it goes now, under its new name.
    held_.erase(from);
    int result = Put(to, held.data);
    if (ListingCache::Version* version = listing_.Find(to); result == 0 && version) {
        version->accessed = held.accessed;
        version->modified = held.modified;
    }
    return result;
}

void CalcFs::KeepHeldFiles() {
    for (const auto& [path, held] : held_) {
        if (held.data.empty()) {
            Report(path + ": created and never written, so the calculator never had it; dropped");
            continue;
        }
        std::string kept = SaveUnsent(LastComponent(path), held.data);
        Report(path + ": never renamed to a name the calculator takes, so never sent; " +
               (kept.empty() ? "the data could not be kept" : "the data is kept in " + kept));
    }
    held_.clear();
}

}  // namespace vaddex::mount
