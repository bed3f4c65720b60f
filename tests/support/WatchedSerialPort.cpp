#include "support/WatchedSerialPort.h"

#include <chrono>
#include <cstring>
#include <stdexcept>

#include "link/TermiosPort.h"

namespace vaddex::test {

std::unique_ptr<WatchedSerialPort> WatchedSerialPort::Open(const std::string& path) {
    int error = 0;
    std::unique_ptr<SerialPort> port = TermiosPort::Open(path, &error);
    if (!port) {
        throw std::runtime_error("cannot open " + path + ": " + std::strerror(error));
    }
    return std::make_unique<WatchedSerialPort>(std::move(port));
}

bool WatchedSerialPort::WaitForReadAfterWrite(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return readBegun_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [this] { return readsSinceWrite_ > 0; });
}

long WatchedSerialPort::Read(char* data, std::size_t count) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++readsSinceWrite_;
    }
    readBegun_.notify_all();
    return port_->Read(data, count);
}

long WatchedSerialPort::Write(const char* data, std::size_t count) {
    // Counted before the bytes go: once the peer has them, the count is already reset.
    {
        std::lock_guard<std::mutex> lock(mutex_);
        readsSinceWrite_ = 0;
    }
    return port_->Write(data, count);
}

}  // namespace vaddex::test
