#include "sim/server/FifoTransport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace zqsim {
namespace {

std::string UsbRoot(const std::string& root) {
    if (!root.empty()) {
        return root;
    }
    const char* env = std::getenv("VADDEX_USB_ROOT");
    if (env == nullptr || *env == '\0') {
        throw std::runtime_error("VADDEX_USB_ROOT is not set: no folder for the USB device");
    }
    return env;
}

void MakeFifo(const std::string& path) {
    ::unlink(path.c_str());  // a stale FIFO of an earlier run is replaced
    if (::mkfifo(path.c_str(), 0600) != 0) {
        throw std::system_error(errno, std::generic_category(), "mkfifo " + path);
    }
}

UniqueFd OpenFifo(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!fd.IsOpen()) {
        throw std::system_error(errno, std::generic_category(), "open " + path);
    }
    return fd;
}

}  // namespace

bool FifoTransport::DeviceInUse(const std::string& folder) {
    UniqueFd probe(::open((folder + "/PIPE1").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    return probe.IsOpen();
}

FifoTransport::FifoTransport(const std::string& root, const std::string& deviceName) {
    std::string base = UsbRoot(root);
    std::error_code error;
    std::filesystem::create_directories(base, error);
    if (deviceName.empty()) {
        for (const char* candidate : kDeviceNames) {
            if (!DeviceInUse(base + "/" + candidate)) {
                deviceName_ = candidate;
                break;
            }
        }
        if (deviceName_.empty()) {
            throw std::runtime_error("every USB device name under " + base + " is in use");
        }
    } else {
        deviceName_ = deviceName;
        if (DeviceInUse(base + "/" + deviceName_)) {
            throw std::runtime_error("the USB device " + deviceName_ + " is already served");
        }
    }
    folder_ = base + "/" + deviceName_;
    std::filesystem::create_directories(folder_, error);
    if (error) {
        throw std::system_error(error, "create " + folder_);
    }
    MakeFifo(folder_ + "/PIPE0");
    MakeFifo(folder_ + "/PIPE1");
    in_ = OpenFifo(folder_ + "/PIPE1");
    out_ = OpenFifo(folder_ + "/PIPE0");
}

FifoTransport::~FifoTransport() {
    Close();
}

void FifoTransport::Close() {
    SimTransport::Close();
    if (!folder_.empty()) {
        ::unlink((folder_ + "/PIPE0").c_str());
        ::unlink((folder_ + "/PIPE1").c_str());
        ::rmdir(folder_.c_str());
        folder_.clear();
    }
}

}  // namespace zqsim
