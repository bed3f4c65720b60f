#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "link/UsbPipe.h"

namespace vaddex {

// One pipe of a FIFO-pair device folder ($VADDEX_USB_ROOT/<device name>/PIPE0 and PIPE1),
// which stands for the USB device in tests and the simulator. The device side creates both
// FIFOs and holds them open while it lives.
class FifoPipe : public UsbPipe {
public:
    // Opens PIPE0 for reading, with a wake-up pipe beside it so that a blocked read can be
    // cancelled. Does not block; succeeds whether or not a device holds the FIFO.
    static std::unique_ptr<FifoPipe> OpenForReading(const std::string& path, int* error = nullptr);
    // Opens PIPE1 for writing. Does not block; fails with ENXIO when no device holds the FIFO
    // open for reading. Ignores SIGPIPE process-wide from the first call on, so that writing
    // to a vanished device fails with EPIPE instead of ending the process.
    static std::unique_ptr<FifoPipe> OpenForWriting(const std::string& path, int* error = nullptr);

    ~FifoPipe() override;
    FifoPipe(const FifoPipe&) = delete;
    FifoPipe& operator=(const FifoPipe&) = delete;

    long ReadChunk(char* data, std::size_t count) override;
    void CancelRead() override;
    int HangUpDescriptor() const override { return fd_; }
    long Write(const char* data, std::size_t count, int timeoutMs) override;

private:
    FifoPipe(int fd, int wakeRead, int wakeWrite)
        : fd_(fd), wakeRead_(wakeRead), wakeWrite_(wakeWrite) {}

    static int OpenFifo(const std::string& path, int flags, int* error);

    int fd_;
    int wakeRead_;   // -1 on the writing pipe
    int wakeWrite_;  // -1 on the writing pipe
    std::atomic<bool> cancelled_{false};
};

}  // namespace vaddex
