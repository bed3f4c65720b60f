#include "link/UsbReception.h"

#include <algorithm>
#include <cstring>

#include "link/TSafeRdThread.h"
#include "util/Ticks.h"
#include "util/Trace.h"

namespace vaddex {

UsbReception::UsbReception() = default;

UsbReception::~UsbReception() {
    StopReader();
}

std::size_t UsbReception::Take(char* out, std::size_t max) {
    std::size_t n = std::min(UnreadCount(), max);
    std::memcpy(out, buffer_ + next_ - 1, n);
    next_ += static_cast<std::uint32_t>(n);
    return n;
}

void UsbReception::Refill(UsbPipe* pipe) {
    Reset();
    if (!pipe) {
        // No read pipe: the wait of a read that brings nothing, without a thread to make it.
        SleepMs(kRefillWaitMs);
        Trace("SafeRd TimeOut");
        return;
    }
    if (!reader_) {
        requestPending_ = false;
        reader_ = std::make_unique<TSafeRdThread>(*pipe);
    }
    if (!requestPending_) {
        reader_->Request();
    }
    requestPending_ = true;
    if (reader_->WaitDone(kRefillWaitMs)) {
        requestPending_ = false;
        count_ = reader_->TakeChunk(buffer_);
    } else {
        Trace("SafeRd TimeOut");
    }
}

void UsbReception::StopReader() {
    if (reader_) {
        reader_->Stop();
        reader_.reset();
    }
    requestPending_ = false;
}

}  // namespace vaddex
