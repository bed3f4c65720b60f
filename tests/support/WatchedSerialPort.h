#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "link/SerialPort.h"

namespace vaddex::test {

// A serial port that hands every call to a real one and lets a test wait until the link has
// begun a read since its latest write. A thread that is inside that read is past whatever it
// checked before reading, so a test can act at that moment instead of guessing it with sleeps.
class WatchedSerialPort : public SerialPort {
public:
    explicit WatchedSerialPort(std::unique_ptr<SerialPort> port) : port_(std::move(port)) {}

    // Opens the device as the link does (termios); throws std::runtime_error when it cannot.
    static std::unique_ptr<WatchedSerialPort> Open(const std::string& path);

    // Blocks until a read has begun after the latest write, at most timeoutMs; false when none
    // did in that time.
    bool WaitForReadAfterWrite(int timeoutMs);

    bool Configure(int speed) override { return port_->Configure(speed); }
    bool SetSpeed(int speed) override { return port_->SetSpeed(speed); }
    SerialTimeouts Timeouts() const override { return port_->Timeouts(); }
    bool SetTimeouts(const SerialTimeouts& timeouts) override {
        return port_->SetTimeouts(timeouts);
    }
    long Read(char* data, std::size_t count) override;
    bool WaitReadable(int maxMs) override { return port_->WaitReadable(maxMs); }
    long Write(const char* data, std::size_t count) override;
    bool PurgeInput() override { return port_->PurgeInput(); }

private:
    std::unique_ptr<SerialPort> port_;
    std::mutex mutex_;
    std::condition_variable readBegun_;
    int readsSinceWrite_ = 0;
};

}  // namespace vaddex::test
