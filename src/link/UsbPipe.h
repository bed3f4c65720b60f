#pragma once

#include <cstddef>

namespace vaddex {

// One pipe of the USB device: PIPE0 (the PC reads) or PIPE1 (the PC writes). Back ends are
// libusb bulk endpoints and the FIFO pair under $VADDEX_USB_ROOT; a test double may join.
class UsbPipe {
public:
    virtual ~UsbPipe() = default;

    // Blocks without limit until at least one byte came, then returns up to `count` bytes.
    // Returns 0 at end of file or once CancelRead was called, -1 when the read failed.
    virtual long ReadChunk(char* data, std::size_t count) = 0;

    // Any thread: wakes a ReadChunk blocked on another thread; later reads return 0 at once.
    virtual void CancelRead() = 0;
    // The descriptor whose hang-up tells that the device went away, for a watch while
    // nothing reads it; -1 when the pipe has none.
    virtual int HangUpDescriptor() const { return -1; }

    // Blocks until every byte went out or timeoutMs passed; returns the bytes written, or -1
    // when the pipe failed (no device, device gone).
    virtual long Write(const char* data, std::size_t count, int timeoutMs) = 0;
};

}  // namespace vaddex
