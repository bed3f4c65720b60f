#pragma once

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "session/SessionCommands.h"

namespace vaddex::mount {

// The calculator's HOME as a tree of folders and files over SessionCommands: directories are
// folders, each variable a binary object file named in the file form plus ".zq", or in text
// mode its text file with ".txt". Paths are
// the mount's ("/", "/A/B.zq"); every call returns 0 or a byte count, or -errno. One caller at
// a time, on the thread that owns the session. Session errors are raised.
class CalcFs {
public:
    struct Settings {
        int refreshSeconds = 10;   // the listing is read again after this long
        std::string unsentFolder;  // where the data of a failed put is kept
        // The reason of a failure the writing program only sees as an errno.
        std::function<void(const std::string&)> report;
        std::size_t cacheBytes = std::size_t{4} << 20;  // objects kept after a read
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

    // Says why an operation failed: on the mount's standard error and in the trace.
    void Report(const std::string& text);
    // The calculator's port has gone since the last connection (a device path that no longer
    // exists, a USB device unplugged): the mount can only end.
    bool PortHasGone() const;
    const std::string& Port() const { return port_; }

    // $XDG_STATE_HOME/vaddex/unsent/, else ~/.local/state/vaddex/unsent/.
    static std::string DefaultUnsentFolder();

    // Hidden files (".name"), as rsync and editors write before they rename them, are held
    // in memory and sent when renamed to a name the calculator takes. At the end, those never
    // renamed are kept in the unsent folder, each said.
    void KeepHeldFiles();

private:
    struct OpenFile {
        std::string path;
        std::string data;
        bool loaded = false;   // data holds the file (fetched, truncated or created)
        bool dirty = false;    // written since the last put
        bool created = false;  // not on the calculator until its first put
        bool held = false;     // a hidden file: kept by the mount, never sent under its name
    };
    struct Version {
        int size = 0;
        int typeCode = 0;
        std::time_t seen = 0;
        // The file's size once it has been read: a text file's is not known before.
        std::optional<std::size_t> fileSize;
    };
    // Connected, again if a failure disconnected the line: 0, or -EIO with the reason said.
    // While the calculator does not answer, a new try waits a few seconds.
    int Ready();
    // Ready, and the listing read again when it is older than the refresh time.
    int FreshListing();
    // Makes the directory of a mount operation the calculator's current one; nothing is sent
    // when the calculator is known to be there already.
    void EnterDirectory(const std::string& path);
    void Reread();
    // Notes the versions of the tree as read now: a variable's time is when it was first seen
    // with its size and type, and the cache forgets the objects of other versions.
    void Index();
    // The item of a mount path; the root for "/"; null when there is none.
    const TXPObject* Find(const std::string& path);
    // Find after FreshListing; null with -ENOENT, or the connection's error, in `error`.
    const TXPObject* FindFresh(const std::string& path, int& error);
    // The directory the path's last component would be in, and that component.
    const TXPObject* FindParent(const std::string& path, std::string& name);
    std::string EntryName(const TXPObject& item) const;
    // A null item is a directory.
    void FillStat(const TXPObject* item, const std::string& path, struct stat& st);
    // A file the mount holds that the calculator has not (yet): created or hidden.
    void FillUnsentStat(const std::string& path, std::size_t size, struct stat& st);
    // Keeps an open file; its handle.
    std::uint64_t AddOpenFile(OpenFile file);
    std::int64_t FreeBytes();
    // The object file of a variable: from the cache, else fetched once.
    int Fetch(const std::string& path, std::string& data);
    void Remember(const std::string& path, const std::string& data);
    void Forget(const std::string& path);
    int Load(OpenFile& file);
    // The open file of a handle with its data loaded; null with the error (EBADF, or the
    // fetch's) when there is none.
    OpenFile* LoadedFile(std::uint64_t handle, int& error);
    int Put(const std::string& path, const std::string& data);
    // What is sent of written data: in text mode a text without the text form's first line
    // gets an empty one, so that it goes as text.
    std::string SendableForm(const std::string& data) const;
    int Remove(const std::string& path, bool directory);
    static bool IsHidden(const std::string& path);
    // The held files of a directory, and their stat, for ReadDir.
    void AddHeldEntries(const std::string& directory,
                        std::vector<std::pair<std::string, struct stat>>& entries);
    int RenameHeld(const std::string& from, const std::string& to);
    // Keeps data of a put that failed; returns the file's path, empty when it could not.
    std::string SaveUnsent(const std::string& path, const std::string& data);

    SessionCommands& commands_;
    Settings settings_;
    bool textMode_ = false;
    std::string extension_;  // of every variable's file
    std::string port_;       // the port to connect again on
    std::time_t lastConnectTry_ = 0;
    std::string calculatorDirectory_;          // the calculator's current one; empty: not known
    std::time_t lastListing_ = 0;              // the time files without a version of their own show
    std::int64_t listedAtMs_ = 0;              // on the monotonic clock, for the refresh
    std::map<std::string, Version> versions_;  // by path
    // path -> object file; a listing that shows another version forgets it
    std::map<std::string, std::string> cache_;
    std::vector<std::string> cacheOrder_;  // oldest first
    std::size_t cachedBytes_ = 0;
    std::map<std::uint64_t, OpenFile> open_;
    std::map<std::string, std::string> held_;  // path of a hidden file -> its data
    std::uint64_t nextHandle_ = 1;
};

}  // namespace vaddex::mount
