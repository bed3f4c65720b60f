#include "sim/server/SimLink.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "util/Ticks.h"

namespace zqsim {
namespace {

// How long the PC may leave our output unread before the rest is dropped.
constexpr int kWriteStallMs = 5000;
// Bytes of a chunk shown in full in the trace.
constexpr std::size_t kTraceBytes = 48;

std::int64_t MicrosNow() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

SimLink::SimLink(SimTransport& transport, FaultInjector& faults, StatsBoard& stats,
                 const std::atomic<bool>& interrupt, bool pacing, TraceFn trace)
    : transport_(transport),
      faults_(faults),
      stats_(stats),
      interrupt_(interrupt),
      pacing_(pacing),
      trace_(std::move(trace)) {}

void SimLink::CheckInterrupt() const {
    if (interrupt_.load()) {
        throw Interrupted{};
    }
}

void SimLink::Note(const std::string& text) {
    if (trace_) {
        trace_("* " + text);
    }
}

void SimLink::TraceBytes(char direction, std::string_view bytes) {
    if (!trace_ || bytes.empty()) {
        return;
    }
    std::string line(1, direction);
    char hex[4];
    for (std::size_t i = 0; i < bytes.size() && i < kTraceBytes; ++i) {
        std::snprintf(hex, sizeof hex, " %02X", static_cast<unsigned char>(bytes[i]));
        line += hex;
    }
    if (bytes.size() > kTraceBytes) {
        line += " ... (" + std::to_string(bytes.size()) + " bytes)";
    }
    trace_(line);
}

bool SimLink::Fill(int timeoutMs) {
    std::int64_t deadline = timeoutMs < 0 ? 0 : vaddex::TickMs() + timeoutMs;
    for (;;) {
        CheckInterrupt();
        int wait = -1;
        if (timeoutMs >= 0) {
            wait = static_cast<int>(std::max<std::int64_t>(0, deadline - vaddex::TickMs()));
        }
        char buffer[1024];
        std::size_t count = 0;
        IoStatus status = transport_.Read(buffer, sizeof buffer, wait, count);
        if (status == IoStatus::Closed) {
            throw LinkClosed{};
        }
        if (status == IoStatus::Done) {
            std::string_view raw(buffer, count);
            TraceBytes('<', raw);
            std::string kept = faults_.FilterIn(raw);
            stats_.Update([&](SimStats& s) { s.bytesIn += static_cast<std::int64_t>(count); });
            // A real line delivers the PC's bytes no faster than its speed; a read that only
            // looks at what is there (timeout 0) must not block.
            if (timeoutMs != 0) {
                WaitForLine(inFreeAtUs_, count);
            }
            if (next_ > 0 && next_ == pending_.size()) {
                pending_.clear();
                next_ = 0;
            }
            pending_ += kept;
            if (!kept.empty()) {
                return true;
            }
        }
        if (timeoutMs >= 0 && vaddex::TickMs() >= deadline) {
            CheckInterrupt();
            return false;
        }
    }
}

std::optional<std::uint8_t> SimLink::ReadByte(int timeoutMs) {
    CheckInterrupt();
    while (next_ >= pending_.size()) {
        if (!Fill(timeoutMs)) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint8_t>(pending_[next_++]);
}

std::string SimLink::ReadBytes(std::size_t n, int byteTimeoutMs) {
    std::string out;
    while (out.size() < n) {
        if (next_ >= pending_.size() && !Fill(byteTimeoutMs)) {
            break;
        }
        std::size_t take = std::min(n - out.size(), pending_.size() - next_);
        out.append(pending_, next_, take);
        next_ += take;
    }
    return out;
}

std::string SimLink::TakePending() {
    while (Fill(0)) {
    }
    std::string out = pending_.substr(next_);
    pending_.clear();
    next_ = 0;
    return out;
}

void SimLink::DiscardInput() {
    std::string dropped = TakePending();
    if (!dropped.empty()) {
        Note("input cleared (" + std::to_string(dropped.size()) + " bytes)");
    }
}

void SimLink::DiscardUntilQuiet(int quietMs) {
    pending_.clear();
    next_ = 0;
    while (Fill(quietMs)) {
        pending_.clear();
        next_ = 0;
    }
}

void SimLink::Pause(std::int64_t ms) {
    std::int64_t deadline = vaddex::TickMs() + ms;
    for (;;) {
        CheckInterrupt();
        std::int64_t left = deadline - vaddex::TickMs();
        if (left <= 0) {
            return;
        }
        transport_.Sleep(static_cast<int>(left));
    }
}

void SimLink::WaitForFlag(const std::atomic<bool>& flag) {
    while (!flag.load()) {
        CheckInterrupt();
        transport_.Sleep(-1);
    }
}

void SimLink::Write(std::string_view bytes) {
    CheckInterrupt();
    bool pullNow = false;
    std::string out = faults_.FilterOut(bytes, pullNow);
    if (!pacing_) {
        WriteChunk(out);
    } else {
        int bytesPerSecond = std::max(1, transport_.BitsPerSecond() / 10);
        // Chunks of about 10 ms of line time keep the pace smooth without a write per byte.
        std::size_t chunk = std::max(1, bytesPerSecond / 100);
        for (std::size_t at = 0; at < out.size(); at += chunk) {
            std::string_view piece = std::string_view(out).substr(at, chunk);
            WriteChunk(piece);
            WaitForLine(outFreeAtUs_, piece.size());
        }
    }
    if (pullNow) {
        Note("fault plan pulls the cable");
        throw LinkClosed{true};
    }
}

void SimLink::WaitForLine(std::int64_t& freeAtUs, std::size_t count) {
    if (!pacing_) {
        return;
    }
    std::int64_t bytesPerSecond = std::max(1, transport_.BitsPerSecond() / 10);
    std::int64_t nowUs = MicrosNow();
    // The line time adds up exactly however the sleeps round: a byte count is 10 bits each.
    freeAtUs =
        std::max(freeAtUs, nowUs) + static_cast<std::int64_t>(count) * 1000000 / bytesPerSecond;
    // Whole milliseconds rounded down: the line stays busy until freeAtUs, so the next piece
    // is counted on from there. Rounding up, or a sleep that wakes late, would leave the
    // line idle for that fraction on every piece and every one-byte answer.
    std::int64_t waitMs = (freeAtUs - nowUs) / 1000;
    if (waitMs > 0) {
        Pause(waitMs);
    }
}

void SimLink::WriteChunk(std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        std::size_t written = 0;
        IoStatus status =
            transport_.Write(bytes.data() + done, bytes.size() - done, kWriteStallMs, written);
        TraceBytes('>', bytes.substr(done, written));
        stats_.Update([&](SimStats& s) { s.bytesOut += static_cast<std::int64_t>(written); });
        done += written;
        if (status == IoStatus::Closed) {
            throw LinkClosed{};
        }
        if (status == IoStatus::Woken) {
            CheckInterrupt();
        } else if (status == IoStatus::Timeout) {
            Note("the PC reads nothing: " + std::to_string(bytes.size() - done) + " bytes dropped");
            return;
        }
    }
}

}  // namespace zqsim
