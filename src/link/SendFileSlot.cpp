#include "link/SendFileSlot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vaddex {

int SendFileSlot::Open(const std::string& path, int* error) {
    Close();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    int failure = fd < 0 ? errno : 0;
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        fd = -1;
        failure = EISDIR;
    }
    if (fd < 0) {
        if (error) {
            *error = failure;
        }
        return -1;
    }
    fd_ = fd;
    return fd;
}

void SendFileSlot::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace vaddex
