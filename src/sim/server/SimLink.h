#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sim/server/FaultInjector.h"
#include "sim/server/SimTransport.h"
#include "sim/server/StatsBoard.h"

namespace zqsim {

// Thrown on the server thread when the control side wants it to do something else.
struct Interrupted {};
// Thrown when the stream is gone (closed by the far end or by a pulled cable).
struct LinkClosed {
    bool pulledByPlan = false;
};

using TraceFn = std::function<void(const std::string& line)>;

// The calculator's byte layer on the server thread: buffered reads with time-outs, writes
// paced at the line speed when asked, fault injection both ways, statistics and the trace.
class SimLink {
public:
    SimLink(SimTransport& transport, FaultInjector& faults, StatsBoard& stats,
            const std::atomic<bool>& interrupt, bool pacing, TraceFn trace);

    // Blocks for the next byte at most timeoutMs (negative: no limit); nullopt on silence.
    // Throws Interrupted or LinkClosed.
    std::optional<std::uint8_t> ReadByte(int timeoutMs);
    // Blocks for up to n bytes, each within byteTimeoutMs of the previous; fewer: silence.
    std::string ReadBytes(std::size_t n, int byteTimeoutMs);
    // Blocks until the bytes are out (paced when asked); throws Interrupted or LinkClosed.
    void Write(std::string_view bytes);
    // Drops the input that has come and not been read; never blocks.
    void DiscardInput();
    // Blocks dropping input until none came for quietMs.
    void DiscardUntilQuiet(int quietMs);
    // Never blocks: the input that has come and not been read, taken out of the buffer.
    std::string TakePending();
    // Blocks for ms; throws Interrupted.
    void Pause(std::int64_t ms);
    // Blocks until flag is set by a thread that then wakes the transport; throws Interrupted.
    void WaitForFlag(const std::atomic<bool>& flag);
    // A line in the trace, when one is kept.
    void Note(const std::string& text);

private:
    // Blocks at most timeoutMs for more input into the buffer; true when some came.
    bool Fill(int timeoutMs);
    void CheckInterrupt() const;
    void WriteChunk(std::string_view bytes);
    void TraceBytes(char direction, std::string_view bytes);
    // With pacing: blocks until `count` more bytes could have crossed the line, counted from
    // `freeAtUs` (when the line is free again, in microseconds; advanced here) or from now.
    void WaitForLine(std::int64_t& freeAtUs, std::size_t count);

    SimTransport& transport_;
    FaultInjector& faults_;
    StatsBoard& stats_;
    const std::atomic<bool>& interrupt_;
    bool pacing_;
    TraceFn trace_;
    std::string pending_;
    std::size_t next_ = 0;
    std::int64_t outFreeAtUs_ = 0;  // when our output has crossed the line
    std::int64_t inFreeAtUs_ = 0;   // when the PC's input could have crossed it
};

}  // namespace zqsim
