#include "link/LibUsbPipe.h"

#include <libusb.h>

#include <algorithm>
#include <cstring>

#include "link/LibUsbDevice.h"
#include "util/Ticks.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

// Pause after a failed round of event handling, so that a broken context never spins.
constexpr int kEventFailurePauseMs = 20;

}  // namespace

LibUsbPipe::LibUsbPipe(std::shared_ptr<LibUsbDevice> device, Direction direction)
    : device_(std::move(device)), direction_(direction) {
    if (direction_ == kIn) {
        transfer_ = libusb_alloc_transfer(0);
        packet_.resize(static_cast<std::size_t>(device_->InPacketSize()));
    }
}

LibUsbPipe::~LibUsbPipe() {
    if (transfer_ != nullptr) {
        libusb_free_transfer(transfer_);
    }
}

void LibUsbPipe::OnTransferDone(libusb_transfer* transfer) {
    static_cast<LibUsbPipe*>(transfer->user_data)->completed_ = 1;
}

long LibUsbPipe::TakePending(char* data, std::size_t count) {
    std::size_t n = std::min(count, pending_.size());
    std::memcpy(data, pending_.data(), n);
    pending_.erase(0, n);
    return static_cast<long>(n);
}

long LibUsbPipe::ReadChunk(char* data, std::size_t count) {
    if (transfer_ == nullptr) {
        return -1;
    }
    if (!pending_.empty()) {
        return TakePending(data, count);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (cancelled_) {
            return 0;
        }
        completed_ = 0;
        // Whole packets are asked for: a shorter buffer would overflow on a larger packet.
        libusb_fill_bulk_transfer(transfer_, device_->Handle(), device_->InEndpoint(),
                                  reinterpret_cast<unsigned char*>(packet_.data()),
                                  static_cast<int>(packet_.size()), &LibUsbPipe::OnTransferDone,
                                  this, 0);
        if (libusb_submit_transfer(transfer_) != 0) {
            return -1;
        }
        active_ = true;
    }
    while (completed_ == 0) {
        int result = libusb_handle_events_completed(device_->Context(), &completed_);
        if (result < 0 && result != LIBUSB_ERROR_INTERRUPTED) {
            Trace(std::string("USB: event handling failed (") + libusb_error_name(result) + ")");
            libusb_cancel_transfer(transfer_);
            SleepMs(kEventFailurePauseMs);
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        active_ = false;
    }
    switch (transfer_->status) {
        case LIBUSB_TRANSFER_COMPLETED:
            pending_.assign(packet_.data(), static_cast<std::size_t>(transfer_->actual_length));
            return TakePending(data, count);
        case LIBUSB_TRANSFER_CANCELLED:
        case LIBUSB_TRANSFER_TIMED_OUT:
            return 0;
        default:
            return -1;  // stall, overflow, device gone
    }
}

void LibUsbPipe::CancelRead() {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
    if (active_) {
        libusb_cancel_transfer(transfer_);
    }
}

long LibUsbPipe::Write(const char* data, std::size_t count, int timeoutMs) {
    if (direction_ != kOut) {
        return -1;
    }
    int transferred = 0;
    int result = libusb_bulk_transfer(device_->Handle(), device_->OutEndpoint(),
                                      reinterpret_cast<unsigned char*>(const_cast<char*>(data)),
                                      static_cast<int>(count), &transferred,
                                      static_cast<unsigned>(std::max(timeoutMs, 1)));
    if (result != 0 && transferred == 0) {
        Trace(std::string("USB: write failed (") + libusb_error_name(result) + ")");
        return -1;
    }
    return transferred;
}

}  // namespace vaddex
