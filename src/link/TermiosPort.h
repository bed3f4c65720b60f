#pragma once

#include <memory>
#include <string>

#include "link/SerialPort.h"

namespace vaddex {

// A serial device (or pseudo-terminal) driven with POSIX termios. Reads and writes use poll
// deadlines, so the descriptor stays non-blocking; reads take what the driver holds at once
// and keep the surplus for the next read. Closing never flushes output: on a
// pseudo-terminal a flush can discard the last bytes written.
class TermiosPort : public SerialPort {
public:
    // Opens the device path as given, for this process alone (an exclusive advisory lock).
    // Returns nullptr with the system error in *error when it cannot be opened now or is no
    // terminal. Does not block.
    static std::unique_ptr<TermiosPort> Open(const std::string& path, int* error = nullptr);

    ~TermiosPort() override;
    TermiosPort(const TermiosPort&) = delete;
    TermiosPort& operator=(const TermiosPort&) = delete;

    bool Configure(int speed) override;
    bool SetSpeed(int speed) override;
    SerialTimeouts Timeouts() const override { return timeouts_; }
    bool SetTimeouts(const SerialTimeouts& timeouts) override;
    long Read(char* data, std::size_t count) override;
    bool WaitReadable(int maxMs) override;
    long Write(const char* data, std::size_t count) override;
    bool PurgeInput() override;
    int LostError() const override { return lost_; }
    int HangUpDescriptor() const override { return fd_; }

    const std::string& Path() const { return path_; }

private:
    TermiosPort(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

    void RaiseModemLines();
    // Copies up to `count` bytes that an earlier read took beyond its request; returns them.
    std::size_t TakeAhead(char* data, std::size_t count);
    // Records why the port went away when `error` says it did.
    void NoteFailure(int error);

    int fd_;
    std::string path_;
    SerialTimeouts timeouts_;
    int lost_ = 0;
    // What one read(2) brought beyond the request, for the next Read: the first byte of a
    // block and the block itself then cost one wake-up and one system call, not two.
    static constexpr std::size_t kAheadSize = 4096;
    char ahead_[kAheadSize] = {};
    std::size_t aheadStart_ = 0;
    std::size_t aheadEnd_ = 0;
};

}  // namespace vaddex
