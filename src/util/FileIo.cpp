#include "util/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "util/Errors.h"
#include "util/ReplacingWriter.h"

namespace vaddex {
namespace {

void SetError(int* error, int value) {
    if (error) {
        *error = value;
    }
}

[[noreturn]] void RaiseWriteFailure(const std::string& path, const ReplacingWriter& writer) {
    if (!writer.Refusal().empty()) {
        RaiseError("Cannot write " + path + ": it " + writer.Refusal(), ErrorKind::FileError);
    }
    RaiseError("Unable to write file " + path + ": " + std::strerror(writer.ErrorCode()),
               ErrorKind::FileError);
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& out, int* error) {
    out.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, errno);
        return false;
    }
    char chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetError(error, errno);
            ::close(fd);
            out.clear();
            return false;
        }
        if (n == 0) {
            break;
        }
        out.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

bool WriteWholeFile(const std::string& path, std::string_view data, int* error) {
    ReplacingWriter writer(path);
    if (writer.Write(data)) {
        return true;
    }
    SetError(error, writer.ErrorCode());
    return false;
}

void WriteUserFile(const std::string& path, std::string_view data) {
    ReplacingWriter writer(path);
    if (!writer.Write(data)) {
        RaiseWriteFailure(path, writer);
    }
}

void RequireWritable(const std::string& path) {
    ReplacingWriter writer(path);
    if (!writer.CanWrite()) {
        RaiseWriteFailure(path, writer);
    }
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool DeleteFileIfExists(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

std::string FileNameOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace vaddex
