#pragma once

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mount/ListingCache.h"
#include "session/SessionCommands.h"

namespace vaddex::mount {

// The calculator's HOME as a tree of folders and files over SessionCommands: directories are
// folders, each variable a binary object file named in the file form plus ".zq", or in text
// mode its text file with ".txt". Paths are the mount's ("/", "/A/B.zq"); every call returns
// 0 or a byte count, or -errno, and a failure's reason is reported. One caller at a time, on
// the thread that owns the session.
class CalcFs {
public:
    struct Settings {
        int refreshSeconds = 10;   // the listing is read again after this long
        std::string unsentFolder;  // where the data of a failed put is kept
        // The reason of a failure the writing program only sees as an errno.
        std::function<void(const std::string&)> report;
        std::size_t cacheBytes = std::size_t{4} << 20;  // objects kept after a read
        // The owner every file shows; chown to it changes nothing and is allowed.
        uid_t uid = ::getuid();
        gid_t gid = ::getgid();
        // A read with the one-byte checksum may pass damaged data: it is served, never kept.
        bool trustReads = true;
    };

    CalcFs(SessionCommands& commands, Settings settings);

    int GetAttr(const std::string& path, struct stat& st);
    int ReadDir(const std::string& path, std::vector<std::pair<std::string, struct stat>>& entries);
    // `handle` names the open file in the calls below.
    int Open(const std::string& path, int flags, std::uint64_t& handle);
    int Create(const std::string& path, std::uint64_t& handle);
    int Read(std::uint64_t handle, char* buffer, std::size_t size, std::int64_t offset);
    int Write(std::uint64_t handle, const char* buffer, std::size_t size, std::int64_t offset);
    // `handle` is null for a truncate by path.
    int Truncate(const std::string& path, const std::uint64_t* handle, std::int64_t size);
    // Puts what was written since the last flush; a put that fails keeps the data in the
    // unsent folder and returns its errno, so that it reaches close.
    int Flush(std::uint64_t handle);
    int Release(std::uint64_t handle);
    int MakeDir(const std::string& path);
    int Unlink(const std::string& path);
    int RemoveDir(const std::string& path);
    int Rename(const std::string& from, const std::string& to);
    int StatFs(struct statvfs& st);
    // The modes and owner are the mount's own: setting the ones shown changes nothing and
    // works, any other fails with EPERM.
    int ChangeMode(const std::string& path, mode_t mode);
    int ChangeOwner(const std::string& path, uid_t uid, gid_t gid);
    // Kept for the mount's life; `times` as utimensat takes them.
    int UpdateTimes(const std::string& path, const timespec times[2]);

    // Says why an operation failed: on the mount's standard error and in the trace.
    void Report(const std::string& text);
    // The calculator's port has gone since the last connection (a device path that no longer
    // exists, a USB device unplugged): the mount can only end.
    bool PortHasGone() const;
    const std::string& Port() const { return port_; }

    // $XDG_STATE_HOME/vaddex/unsent/, else ~/.local/state/vaddex/unsent/.
    static std::string DefaultUnsentFolder();

    // Files the calculator cannot hold under their names are held in memory: hidden ones
    // (".name"), as rsync and editors write before they rename them, and in text mode names
    // without ".txt", as sed -i writes. They are sent when renamed to a name the calculator
    // takes. A new file is held until something is written to it. At the end, those never
    // sent are kept in the unsent folder (empty ones dropped), each said.
    void KeepHeldFiles();

private:
    struct OpenFile {
        std::string path;
        std::string data;
        bool loaded = false;   // data holds the file (fetched, truncated or created)
        bool dirty = false;    // written since the last put
        bool held = false;     // kept by the mount, not on the calculator
        bool noRoom = false;   // a write failed for room: nothing of it is ever sent
        bool append = false;   // O_APPEND: every write goes to the end
        bool inPlace = false;  // the variable's own data, neither truncated nor created
    };
    struct HeldFile {
        std::string data;
        mode_t mode = 0644;  // a temporary file's own, as its writer sets it
        std::time_t made = 0;
        std::optional<timespec> accessed;
        std::optional<timespec> modified;
    };

    // --- CalcFs.cpp: the connection and the listing
    // Connected, again if a failure disconnected the line: 0, or -EIO with the reason said.
    // While the calculator does not answer, a new try waits a few seconds.
    int Ready();
    // Ready, and the listing read again when it is older than the refresh time.
    int FreshListing();
    // Makes the directory of a mount operation the calculator's current one.
    int EnterDirectory(const std::string& path);
    void Reread();
    void Index();
    // The item of a mount path; the root for "/"; null when there is none.
    const TXPObject* Find(const std::string& path);
    // Find after FreshListing; null with -ENOENT, or the connection's error, in `error`.
    const TXPObject* FindFresh(const std::string& path, int& error);
    // FindFresh of an item that may be removed or renamed: the root is -EBUSY.
    const TXPObject* FindChangeable(const std::string& path, int& error);
    // The directory the path's last component would be in, and that component.
    const TXPObject* FindParent(const std::string& path, std::string& name);
    std::string EntryName(const TXPObject& item) const;
    // The display-form name of a mount file name: a variable's without the mount's
    // extension, empty when it has none; a directory's as it stands.
    std::string ItemName(const std::string& fileName, bool directory = false) const;
    // A null item is a directory.
    void FillStat(const TXPObject* item, const std::string& path, struct stat& st);
    void FillHeldStat(const std::string& path, const HeldFile& held, struct stat& st);
    std::int64_t FreeBytes();
    // The outcome's errno, its message reported with the path in front.
    int Failed(const std::string& path, const Outcome& outcome);

    // --- CalcFsFiles.cpp: open files
    std::uint64_t AddOpenFile(OpenFile file);
    // The object file of a variable: from the cache, else fetched once.
    int Fetch(const std::string& path, std::string& data);
    int Load(OpenFile& file);
    // The open file of a handle with its data loaded; null with the error (EBADF, or the
    // fetch's) when there is none.
    OpenFile* LoadedFile(std::uint64_t handle, int& error);
    // Why a write that makes an existing variable's file longer cannot stand: empty when it
    // can. A program's write error is the only failure echo >> reports.
    std::string GrowthRefusal(const std::string& data) const;
    // -EINVAL for a truncate of a variable's own file to another size, said.
    int ImpossibleSize(const std::string& path, std::int64_t size);
    // The data a held file has now: that of a handle writing it, else the kept one.
    std::string HeldData(const std::string& path) const;

    // --- CalcFsWrites.cpp: puts, held files and the unsent folder
    // Sends the data as the file of a path; a failure keeps the data in the unsent folder.
    int Put(const std::string& path, const std::string& data);
    // What is sent of written data: in text mode a text without the text form's first line
    // gets an empty one, so that it goes as text.
    std::string SendableForm(const std::string& data) const;
    // A file the mount holds instead of sending: hidden, or without the mount's extension.
    bool IsHeldName(const std::string& path) const;
    // The held files of a directory, and their stat, for ReadDir.
    void AddHeldEntries(const std::string& directory,
                        std::vector<std::pair<std::string, struct stat>>& entries);
    int RenameHeld(const std::string& from, const std::string& to);
    // Keeps data of a put that failed; returns the file's path, empty when it could not.
    std::string SaveUnsent(const std::string& name, const std::string& data);

    // --- CalcFsNames.cpp: directories and names
    int Remove(const std::string& path, bool directory);
    // Why the calculator cannot take a variable or directory name: empty when it can. Said
    // without asking anyone, as the mount has nobody to ask.
    static std::string NameRefusal(const std::string& name);

    SessionCommands& commands_;
    Settings settings_;
    bool textMode_ = false;
    std::string extension_;  // of every variable's file
    std::string port_;       // the port to connect again on
    std::time_t lastConnectTry_ = 0;
    std::int64_t listedAtMs_ = 0;  // on the monotonic clock, for the refresh
    // Directories show when the mount began: a time that moved with each listing would tell
    // tar that every directory changed while it was read.
    std::time_t startedAt_ = std::time(nullptr);
    ListingCache listing_;
    std::map<std::uint64_t, OpenFile> open_;
    std::map<std::string, HeldFile> held_;  // by path
    std::uint64_t nextHandle_ = 1;
};

}  // namespace vaddex::mount
