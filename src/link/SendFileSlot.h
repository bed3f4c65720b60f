#pragma once

#include <string>

namespace vaddex {

// The PC file a transmit thread is sending: one descriptor at most, closed when the slot is
// emptied, reopened or destroyed. The link keeps it so that a disconnect closes the file too.
class SendFileSlot {
public:
    SendFileSlot() = default;
    ~SendFileSlot() { Close(); }
    SendFileSlot(const SendFileSlot&) = delete;
    SendFileSlot& operator=(const SendFileSlot&) = delete;

    // Opens an existing file (not a directory) for reading; returns its descriptor, or -1
    // with the system error code in *error.
    int Open(const std::string& path, int* error = nullptr);
    void Close();
    int Fd() const { return fd_; }

private:
    int fd_ = -1;
};

}  // namespace vaddex
