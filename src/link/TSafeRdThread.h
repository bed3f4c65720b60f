#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "util/AutoResetEvent.h"

namespace vaddex {

class UsbPipe;

// The USB reader thread: on each request it makes blocking reads of at most 64 bytes on the
// link's read pipe until one returns data, and hands the chunk over. The request and done
// events order the hand-over area between the two sides. Stop (or destruction) wakes the
// blocking read and joins, so the thread never outlives its owner.
class TSafeRdThread {
public:
    static constexpr std::size_t kChunkSize = 64;

    // Starts the thread on the pipe, which must outlive it.
    explicit TSafeRdThread(UsbPipe& pipe);
    ~TSafeRdThread();
    TSafeRdThread(const TSafeRdThread&) = delete;
    TSafeRdThread& operator=(const TSafeRdThread&) = delete;

    // Asks for the next chunk.
    void Request() { request_.Set(); }
    // Blocks at most timeoutMs for the chunk of the outstanding request; true when it came.
    bool WaitDone(int timeoutMs) { return done_.Wait(timeoutMs); }
    // After a successful WaitDone: copies the chunk out and returns its length (1 to 64).
    std::uint32_t TakeChunk(std::uint8_t* out) const;

    // Wakes a blocking read, ends the thread and joins it. Blocks until the thread has ended.
    void Stop();

private:
    void Run();
    // Reads until a read returns data or Stop was called; returns the count (0 on stop).
    long ReadUntilData();
    // The pause between failing reads; ends early on Stop.
    void PauseAfterFailure();

    UsbPipe& pipe_;
    AutoResetEvent request_;
    AutoResetEvent done_;
    std::uint8_t area_[kChunkSize] = {};
    long lastCount_ = 0;
    std::uint8_t handOver_[kChunkSize] = {};
    std::uint32_t handOverCount_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex pauseMutex_;
    std::condition_variable pauseWake_;
    std::thread thread_;  // last, so that it starts after everything above exists
};

}  // namespace vaddex
