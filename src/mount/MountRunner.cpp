#define FUSE_USE_VERSION 31
#include "mount/MountRunner.h"

#include <fcntl.h>
#include <fuse.h>
#include <fuse_lowlevel.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <vector>

#include "mount/CalcFs.h"
#include "mount/MountOptions.h"
#include "util/ScopeExit.h"
#include "util/Trace.h"

namespace vaddex::mount {
namespace {

CalcFs& Fs() {
    return *static_cast<CalcFs*>(fuse_get_context()->private_data);
}

// No exception may cross into libfuse: it ends the request as an I/O error, and says why.
template <typename Operation>
int GuardedCall(const char* name, const char* path, Operation operation) {
    std::string what = std::string(path != nullptr ? path : "") + ": " + name + " failed";
    try {
        return operation(Fs());
    } catch (const std::exception& e) {
        what += std::string(": ") + e.what();
    } catch (...) {
        what += ": an unknown error";
    }
    try {
        Fs().Report(what);
    } catch (...) {
        Trace(what);
    }
    return -EIO;
}

// An operation by name. A file removed while open has no name left (the mount removes at
// once rather than hiding it under a name the calculator could not take).
template <typename Operation>
int Guarded(const char* name, const char* path, Operation operation) {
    return path != nullptr ? GuardedCall(name, path, operation) : -ENOENT;
}

void* Init(fuse_conn_info* connection, fuse_config* config) {
    // O_TRUNC comes with open instead of a truncate by path before it: a file written over
    // is one put, not an empty one first.
    connection->want |= FUSE_CAP_ATOMIC_O_TRUNC;
    config->use_ino = 0;
    // A file renamed over or removed while open goes at once: libfuse would otherwise move it
    // aside as .fuse_hidden…, a name the calculator cannot take, and perl -pi's rename fails.
    config->hard_remove = 1;
    // The listing is the truth; the kernel asks again after each change the mount makes.
    config->entry_timeout = 0;
    config->attr_timeout = 0;
    config->negative_timeout = 0;
    return fuse_get_context()->private_data;
}

int GetAttr(const char* path, struct stat* st, fuse_file_info*) {
    return Guarded("getattr", path, [&](CalcFs& fs) { return fs.GetAttr(path, *st); });
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
            fuse_readdir_flags) {
    return Guarded("readdir", path, [&](CalcFs& fs) {
        std::vector<std::pair<std::string, struct stat>> entries;
        if (int error = fs.ReadDir(path, entries); error != 0) {
            return error;
        }
        fill(buffer, ".", nullptr, 0, fuse_fill_dir_flags{});
        fill(buffer, "..", nullptr, 0, fuse_fill_dir_flags{});
        for (const auto& [name, st] : entries) {
            fill(buffer, name.c_str(), &st, 0, fuse_fill_dir_flags{});
        }
        return 0;
    });
}

int Open(const char* path, fuse_file_info* info) {
    return Guarded("open", path, [&](CalcFs& fs) {
        std::uint64_t handle = 0;
        int result = fs.Open(path, info->flags, handle);
        info->fh = handle;
        info->direct_io = 1;  // sizes of files being written are the mount's, not the kernel's
        return result;
    });
}

int Create(const char* path, mode_t, fuse_file_info* info) {
    return Guarded("create", path, [&](CalcFs& fs) {
        std::uint64_t handle = 0;
        int result = fs.Create(path, handle);
        info->fh = handle;
        info->direct_io = 1;
        return result;
    });
}

int Read(const char* path, char* buffer, std::size_t size, off_t offset, fuse_file_info* info) {
    return GuardedCall("read", path,
                       [&](CalcFs& fs) { return fs.Read(info->fh, buffer, size, offset); });
}

int Write(const char* path, const char* buffer, std::size_t size, off_t offset,
          fuse_file_info* info) {
    return GuardedCall("write", path,
                       [&](CalcFs& fs) { return fs.Write(info->fh, buffer, size, offset); });
}

int Truncate(const char* path, off_t size, fuse_file_info* info) {
    return Guarded("truncate", path, [&](CalcFs& fs) {
        return fs.Truncate(path, info != nullptr ? &info->fh : nullptr, size);
    });
}

int Flush(const char* path, fuse_file_info* info) {
    return GuardedCall("flush", path, [&](CalcFs& fs) { return fs.Flush(info->fh); });
}

int Release(const char* path, fuse_file_info* info) {
    return GuardedCall("release", path, [&](CalcFs& fs) { return fs.Release(info->fh); });
}

int MakeDir(const char* path, mode_t) {
    return Guarded("mkdir", path, [&](CalcFs& fs) { return fs.MakeDir(path); });
}

int Unlink(const char* path) {
    return Guarded("unlink", path, [&](CalcFs& fs) { return fs.Unlink(path); });
}

int RemoveDir(const char* path) {
    return Guarded("rmdir", path, [&](CalcFs& fs) { return fs.RemoveDir(path); });
}

int Rename(const char* from, const char* to, unsigned int flags) {
    return Guarded("rename", from, [&](CalcFs& fs) {
        // Neither an exchange nor a no-replace can be done in one step on the calculator.
        return flags != 0 ? -EINVAL : fs.Rename(from, to);
    });
}

int StatFs(const char* path, struct statvfs* st) {
    return Guarded("statfs", path, [&](CalcFs& fs) { return fs.StatFs(*st); });
}

int UpdateTimes(const char* path, const timespec times[2], fuse_file_info*) {
    return Guarded("utimens", path, [&](CalcFs& fs) { return fs.UpdateTimes(path, times); });
}

int ChangeMode(const char* path, mode_t mode, fuse_file_info*) {
    return Guarded("chmod", path, [&](CalcFs& fs) { return fs.ChangeMode(path, mode); });
}

int ChangeOwner(const char* path, uid_t uid, gid_t gid, fuse_file_info*) {
    return Guarded("chown", path, [&](CalcFs& fs) { return fs.ChangeOwner(path, uid, gid); });
}

fuse_operations Operations() {
    fuse_operations ops{};
    ops.init = Init;
    ops.getattr = GetAttr;
    ops.readdir = ReadDir;
    ops.open = Open;
    ops.create = Create;
    ops.read = Read;
    ops.write = Write;
    ops.truncate = Truncate;
    ops.flush = Flush;
    ops.release = Release;
    ops.mkdir = MakeDir;
    ops.unlink = Unlink;
    ops.rmdir = RemoveDir;
    ops.rename = Rename;
    ops.statfs = StatFs;
    ops.utimens = UpdateTimes;
    ops.chmod = ChangeMode;
    ops.chown = ChangeOwner;
    return ops;
}

}  // namespace

void MountRunner::FuseDeleter::operator()(struct fuse* f) const {
    fuse_destroy(f);
}

MountRunner::MountRunner(CalcFs& fs, const std::string& mountpoint, const MountOptions& options)
    : fs_(fs), mountpoint_(mountpoint) {
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error(std::string("no pipe for the mount: ") + std::strerror(errno));
    }
    std::vector<std::string> words = {"vaddex-cli"};
    for (std::string& word : options.FuseArguments()) {
        words.push_back(std::move(word));
    }
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    fuse_args args = FUSE_ARGS_INIT(static_cast<int>(argv.size()), argv.data());
    fuse_operations ops = Operations();
    fuse_.reset(fuse_new(&args, &ops, sizeof ops, &fs_));
    fuse_opt_free_args(&args);
    if (!fuse_) {
        throw std::runtime_error("the file system could not be set up");
    }
    if (fuse_mount(fuse_.get(), mountpoint_.c_str()) != 0) {
        throw std::runtime_error(mountpoint_ + " could not be mounted");
    }
    mounted_ = true;
}

MountRunner::~MountRunner() {
    if (mounted_) {
        fuse_unmount(fuse_.get());
    }
    fuse_.reset();
    for (int fd : wake_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void MountRunner::Stop() {
    char byte = 1;
    [[maybe_unused]] ssize_t ignored = ::write(wake_[1], &byte, 1);
}

void MountRunner::Run() {
    fuse_session* session = fuse_get_session(fuse_.get());
    fuse_buf buffer{};
    ScopeExit freeBuffer([&] { std::free(buffer.mem); });
    while (!fuse_session_exited(session)) {
        pollfd fds[2] = {{fuse_session_fd(session), POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error(std::string("the mount's poll failed: ") +
                                     std::strerror(errno));
        }
        if (fds[1].revents != 0) {
            return;
        }
        int received = fuse_session_receive_buf(session, &buffer);
        if (received == -EINTR || received == -EAGAIN) {
            continue;
        }
        if (received <= 0) {
            return;  // unmounted
        }
        fuse_session_process_buf(session, &buffer);
        if (fs_.PortHasGone()) {
            return;  // nothing more can be served; the caller says why
        }
    }
}

}  // namespace vaddex::mount
