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

#include "support/PeerIo.h"

namespace vaddex::test {
namespace {

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
    return PeerWrite(pipe0_, bytes, timeoutMs);
}

std::string FifoDevice::Read(std::size_t count, int timeoutMs) {
    return PeerRead(pipe1_, count, timeoutMs);
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
