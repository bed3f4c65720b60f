#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

#include "link/CommLink.h"
#include "link/ReportProgress.h"
#include "util/AutoResetEvent.h"

namespace vaddex {

// Base of the four transfer threads. While one runs it is the only user of the link; it
// reports to the UI thread synchronously (Report waits until the callback has run there)
// and polls the termination request that the UI thread sets on Cancel. The run method never
// lets an exception escape, and its last report is always kind 3 (finished). Statistics
// reports are coalesced: one goes to the UI thread when it has reached another tenth of the
// transfer than the last one sent, else at most one per kProgressIntervalMs; the latest one
// held back always goes out before any other report.
class TransferThread {
public:
    virtual ~TransferThread();  // requests termination and joins; nothing outlives the owner
    TransferThread(const TransferThread&) = delete;
    TransferThread& operator=(const TransferThread&) = delete;

    // UI thread: the user's Cancel.
    void RequestTerminate() { terminate_ = true; }
    bool TerminationRequested() const { return terminate_; }

    // UI thread: blocks until the run method has ended, letting UI events (and the reports
    // the thread still sends) run meanwhile.
    void WaitFor();
    bool Finished() const { return finished_; }

    // Read after the thread has ended.
    bool Success() const { return success_; }

protected:
    TransferThread(CommLink& link, ReportFn callback);

    // Derived constructors call this as their last step, so the run method never sees a
    // half-built object.
    void Start();
    // Requests termination and blocks until the thread has been joined (running the UI
    // thread's events meanwhile when called there). Every derived destructor calls it first,
    // so the run method never outlives the part of the object it uses.
    void Stop();

    // Blocks until the report callback has run on the UI thread with the five values, after
    // the statistics report held back, if any.
    void Report(const std::string& text, int kind, std::int64_t position, std::int64_t maximum,
                std::int64_t spare);
    // The statistics text of `done` of `total` bytes as a kind-2 report (nothing for total 0).
    // Sent at once when it has reached another tenth of the transfer than the last one sent or
    // that went out kProgressIntervalMs ago or more, else held back in place of the one held
    // before.
    void Progress(std::int64_t done, std::int64_t total, std::int64_t startTick);

    // One byte read with the 2500 ms silence limit; 0 when nothing came.
    char ReadByte();

    // The run method of the thread.
    virtual void Execute() = 0;

    CommLink& link_;
    ReportFn callback_;
    std::atomic<bool> success_{false};

private:
    // A statistics report held back, with the tick at which its figures were taken.
    struct HeldProgress {
        std::int64_t done = 0;
        std::int64_t total = 0;
        std::int64_t startTick = 0;
        std::int64_t tick = 0;
    };

    void Run();
    // Sends the held statistics report, if any.
    void SendHeldProgress();
    void Deliver(const std::string& text, int kind, std::int64_t position, std::int64_t maximum,
                 std::int64_t spare);

    std::atomic<bool> terminate_{false};
    std::atomic<bool> finished_{false};
    AutoResetEvent finishedEvent_;
    std::thread thread_;
    std::optional<HeldProgress> heldProgress_;
    std::int64_t lastProgressTick_ = 0;  // 0 until the first statistics report went out
    std::int64_t lastProgressStep_ = 0;  // the tenth of the transfer it had reached
};

// Between the tenths a statistics report reaches the UI thread at most this often: each costs
// the transfer thread a wait for the UI thread, and the eye sees no more.
inline constexpr std::int64_t kProgressIntervalMs = 50;

// Longest silence the transfer threads wait out for one read.
inline constexpr int kTransferReadWaitMs = 2500;

// "0x"-less two-digit upper-case hexadecimal form of a byte, for the traces.
std::string HexByte(char byte);

}  // namespace vaddex
