#include "support/FifoDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "util/Ticks.h"

namespace vaddex::test {
namespace {

bool WaitReady(int fd, short events, std::int64_t deadline) {
    for (;;) {
        std::int64_t remaining = deadline - TickMs();
        if (remaining <= 0) {
            return false;
        }
        pollfd entry{fd, events, 0};
        int result = ::poll(&entry, 1, static_cast<int>(remaining));
        if (result > 0) {
            return true;
        }
        if (result < 0 && errno != EINTR) {
            return false;
        }
    }
}

void MakeFifos(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    for (const char* pipe : {"/PIPE0", "/PIPE1"}) {
        std::string path = folder + pipe;
        if (::mkfifo(path.c_str(), 0600) != 0 && errno != EEXIST) {
            throw std::runtime_error("cannot make " + path);
        }
    }
}

}  // namespace

FifoDevice::FifoDevice(const std::string& root, const std::string& name)
    : folder_(root + (root.empty() || root.back() == '/' ? "" : "/") + name) {
    MakeFifos(folder_);
    // Read-write opens never block and keep each FIFO alive whoever else opens or closes it.
    pipe0_ = ::open((folder_ + "/PIPE0").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    pipe1_ = ::open((folder_ + "/PIPE1").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (pipe0_ < 0 || pipe1_ < 0) {
        Close();
        throw std::runtime_error("cannot open the FIFOs of " + folder_);
    }
}

FifoDevice::~FifoDevice() {
    Close();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void FifoDevice::MakeDeadFolder(const std::string& root, const std::string& name) {
    MakeFifos(root + (root.empty() || root.back() == '/' ? "" : "/") + name);
}

bool FifoDevice::Write(std::string_view bytes, int timeoutMs) {
    std::int64_t deadline = TickMs() + timeoutMs;
    std::size_t done = 0;
    while (done < bytes.size() && pipe0_ >= 0) {
        ssize_t n = ::write(pipe0_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno != EAGAIN) {
            return false;
        } else if (!WaitReady(pipe0_, POLLOUT, deadline)) {
            return false;
        }
    }
    return done == bytes.size();
}

std::string FifoDevice::Read(std::size_t count, int timeoutMs) {
    std::int64_t deadline = TickMs() + timeoutMs;
    std::string result;
    char chunk[4096];
    while (result.size() < count && pipe1_ >= 0 && WaitReady(pipe1_, POLLIN, deadline)) {
        std::size_t want = std::min(count - result.size(), sizeof chunk);
        ssize_t n = ::read(pipe1_, chunk, want);
        if (n > 0) {
            result.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            break;
        }
    }
    return result;
}

void FifoDevice::Close() {
    if (pipe0_ >= 0) {
        ::close(pipe0_);
        pipe0_ = -1;
    }
    if (pipe1_ >= 0) {
        ::close(pipe1_);
        pipe1_ = -1;
    }
}

}  // namespace vaddex::test
