#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "link/UsbPipe.h"

struct libusb_transfer;

namespace vaddex {

class LibUsbDevice;

// A bulk endpoint of the USB calculator as a pipe. Reads are asynchronous transfers without
// time limit, so that CancelRead can end them; writes are synchronous bulk transfers.
class LibUsbPipe : public UsbPipe {
public:
    enum Direction { kIn, kOut };

    LibUsbPipe(std::shared_ptr<LibUsbDevice> device, Direction direction);
    ~LibUsbPipe() override;
    LibUsbPipe(const LibUsbPipe&) = delete;
    LibUsbPipe& operator=(const LibUsbPipe&) = delete;

    long ReadChunk(char* data, std::size_t count) override;
    void CancelRead() override;
    long Write(const char* data, std::size_t count, int timeoutMs) override;

private:
    static void OnTransferDone(libusb_transfer* transfer);
    long TakePending(char* data, std::size_t count);

    std::shared_ptr<LibUsbDevice> device_;
    Direction direction_;
    libusb_transfer* transfer_ = nullptr;
    std::string packet_;   // one packet of the IN endpoint
    std::string pending_;  // bytes of the last packet not yet handed out
    std::mutex mutex_;     // orders CancelRead against submitting the transfer
    bool active_ = false;
    bool cancelled_ = false;
    int completed_ = 0;  // set by the transfer callback, read by libusb's event handling
};

}  // namespace vaddex
