#pragma once

#include <memory>
#include <string>

#include "link/SerialPort.h"

namespace vaddex {

// A serial device (or pseudo-terminal) driven with POSIX termios. Reads and writes use poll
// deadlines, so the descriptor stays non-blocking. Closing never flushes output: on a
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

    const std::string& Path() const { return path_; }

private:
    TermiosPort(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

    void RaiseModemLines();
    // Records why the port went away when `error` says it did.
    void NoteFailure(int error);

    int fd_;
    std::string path_;
    SerialTimeouts timeouts_;
    int lost_ = 0;
};

}  // namespace vaddex
