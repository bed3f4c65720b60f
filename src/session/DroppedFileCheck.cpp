#include "session/DroppedFileCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vaddex {

std::string WhyNotSendable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? "cannot be found."
                               : "cannot be read (" + std::string(std::strerror(errno)) + ").";
    }
    if (S_ISDIR(info.st_mode)) {
        return "is a folder. Only files can be sent to the calculator.";
    }
    if (!S_ISREG(info.st_mode)) {
        return "is a device or other special file and cannot be sent to the calculator.";
    }
    // O_NONBLOCK: should the file be swapped for a FIFO meanwhile, the check still returns.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return "cannot be read (" + std::string(std::strerror(errno)) + ").";
    }
    ::close(fd);
    if (info.st_size == 0) {
        return "is empty.";
    }
    if (info.st_size > kLargestSendableFile) {
        return "is too large for the calculator (" + std::to_string(info.st_size) +
               " bytes; an object file holds at most " + std::to_string(kLargestSendableFile) +
               " bytes).";
    }
    return {};
}

}  // namespace vaddex
