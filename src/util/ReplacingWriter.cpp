#include "util/ReplacingWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <set>

#include "util/FileIo.h"

namespace vaddex {
namespace {

// Fixed length, whatever the target's name: a name near the 255-byte limit still works.
constexpr const char* kTempPattern = ".vaddex-XXXXXX";
// As the kernel's own limit on links followed in one path.
constexpr int kMaxLinks = 40;

// Temporary files between their creation and their rename, for AbandonUnfinished.
std::mutex gUnfinishedMutex;
std::set<std::string> gUnfinished;

bool WriteAll(int fd, std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;  // a write that takes nothing would repeat for ever
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The path a chain of symbolic links ends at; the path itself when it is no link. A link to
// nothing gives the path it names, which the write then creates.
bool ResolveLinks(std::string path, std::string& resolved) {
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            resolved = path;
            return true;
        }
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0) {
            return false;
        }
        target.resize(static_cast<std::size_t>(n));
        path = !target.empty() && target[0] == '/' ? target : FolderOf(path) + target;
    }
    errno = ELOOP;
    return false;
}

mode_t NewFileMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

ReplacingWriter::ReplacingWriter(std::string path) : path_(std::move(path)) {}

bool ReplacingWriter::Fail(int code, std::string refusal) {
    errorCode_ = code;
    refusal_ = std::move(refusal);
    return false;
}

bool ReplacingWriter::Examine(std::string& target, bool& device) {
    device = false;
    if (!ResolveLinks(path_, target)) {
        return Fail(errno);
    }
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        return errno == ENOENT || Fail(errno);
    }
    if (S_ISREG(st.st_mode)) {
        return true;
    }
    if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) {
        device = true;
        return true;
    }
    if (S_ISDIR(st.st_mode)) {
        return Fail(EISDIR, "is a folder");
    }
    return Fail(EINVAL, S_ISBLK(st.st_mode) ? "is a block device" : "is not a file");
}

bool ReplacingWriter::Write(std::string_view data) {
    std::string target;
    bool device = false;
    if (!Examine(target, device)) {
        return false;
    }
    return device ? WriteDevice(target, data) : ReplaceFile(target, data);
}

bool ReplacingWriter::CanWrite() {
    std::string target;
    bool device = false;
    if (!Examine(target, device)) {
        return false;
    }
    if (device) {
        return true;  // whether a FIFO has a reader is known only when the data is there
    }
    std::string temp = FolderOf(target) + kTempPattern;
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        return Fail(errno);
    }
    ::close(fd);
    ::unlink(temp.c_str());
    return true;
}

bool ReplacingWriter::ReplaceFile(const std::string& target, std::string_view data) {
    struct stat old {};
    mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
    std::string temp = FolderOf(target) + kTempPattern;
    int fd = -1;
    {
        std::lock_guard<std::mutex> lock(gUnfinishedMutex);
        fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (fd < 0) {
            return Fail(errno);
        }
        gUnfinished.insert(temp);
    }
    bool ok = WriteAll(fd, data) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int code = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    std::lock_guard<std::mutex> lock(gUnfinishedMutex);
    gUnfinished.erase(temp);
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return Fail(code);
    }
    return true;
}

bool ReplacingWriter::WriteDevice(const std::string& target, std::string_view data) {
    // Not blocking in open: a FIFO that nobody reads would otherwise hang the program.
    int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENXIO ? Fail(ENXIO, "is a FIFO that no program reads from") : Fail(errno);
    }
    int flags = ::fcntl(fd, F_GETFL);
    bool ok = flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 && WriteAll(fd, data);
    int code = errno;
    // A device may report a lost write only when it is closed.
    if (::close(fd) != 0 && ok && errno != EINTR) {
        ok = false;
        code = errno;
    }
    return ok || Fail(code);
}

void ReplacingWriter::AbandonUnfinished() {
    // Never unlocked: a write that has not begun its rename must not begin it now.
    gUnfinishedMutex.lock();
    for (const std::string& temp : gUnfinished) {
        ::unlink(temp.c_str());
    }
    gUnfinished.clear();
}

}  // namespace vaddex
