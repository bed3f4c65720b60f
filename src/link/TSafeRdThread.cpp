#include "link/TSafeRdThread.h"

#include <chrono>
#include <cstring>
#include <exception>

#include "link/UsbPipe.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

// A failing read (or end of file while no device holds the FIFO) is retried after this
// pause, so that a vanished device never makes the thread spin.
constexpr int kRetryPauseMs = 20;

}  // namespace

TSafeRdThread::TSafeRdThread(UsbPipe& pipe) : pipe_(pipe), thread_([this] { Run(); }) {}

TSafeRdThread::~TSafeRdThread() {
    Stop();
}

std::uint32_t TSafeRdThread::TakeChunk(std::uint8_t* out) const {
    std::memcpy(out, handOver_, handOverCount_);
    return handOverCount_;
}

void TSafeRdThread::Stop() {
    {
        std::lock_guard<std::mutex> lock(pauseMutex_);
        stop_ = true;
    }
    pipe_.CancelRead();
    request_.Set();
    pauseWake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void TSafeRdThread::Run() {
    try {
        for (;;) {
            request_.Wait();
            if (stop_) {
                return;
            }
            lastCount_ = ReadUntilData();
            if (stop_) {
                return;
            }
            std::memcpy(handOver_, area_, static_cast<std::size_t>(lastCount_));
            handOverCount_ = static_cast<std::uint32_t>(lastCount_);
            done_.Set();
        }
    } catch (const std::exception& e) {
        Trace(std::string("SafeRd thread ended: ") + e.what());
    } catch (...) {
        Trace("SafeRd thread ended");
    }
}

long TSafeRdThread::ReadUntilData() {
    for (;;) {
        long n = pipe_.ReadChunk(reinterpret_cast<char*>(area_), kChunkSize);
        if (stop_) {
            return 0;
        }
        if (n > 0) {
            return n;
        }
        PauseAfterFailure();
    }
}

void TSafeRdThread::PauseAfterFailure() {
    std::unique_lock<std::mutex> lock(pauseMutex_);
    pauseWake_.wait_for(lock, std::chrono::milliseconds(kRetryPauseMs),
                        [this] { return stop_.load(); });
}

}  // namespace vaddex
