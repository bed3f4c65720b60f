#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace vaddex {

class UsbPipe;
class TSafeRdThread;

// The USB reception buffer: the chunk the reader thread handed over last, with the position
// of the next unread byte. The reader thread is started on the first refill and keeps at most
// one request outstanding, so that a chunk that comes late is taken by the next refill.
class UsbReception {
public:
    static constexpr int kRefillWaitMs = 80;

    UsbReception();
    ~UsbReception();  // StopReader
    UsbReception(const UsbReception&) = delete;
    UsbReception& operator=(const UsbReception&) = delete;

    // The whole chunk, read or not.
    std::string_view Chunk() const { return {reinterpret_cast<const char*>(buffer_), count_}; }
    // Bytes of the chunk that no read has taken yet.
    std::size_t UnreadCount() const { return count_ >= next_ ? count_ - next_ + 1 : 0; }
    bool HasChunk() const { return count_ > 0; }
    // Forgets what is left of the chunk: the next read waits for a new one.
    void Drop() { count_ = 0; }
    // No chunk and no position: a link opened or reset anew.
    void Reset() {
        count_ = 0;
        next_ = 1;
    }
    // Copies up to `max` unread bytes to `out` and returns their count.
    std::size_t Take(char* out, std::size_t max);

    // Replaces the chunk with the reader thread's next one from `pipe`, or leaves it empty
    // when none came within kRefillWaitMs. Without a pipe it only waits that long.
    void Refill(UsbPipe* pipe);
    // Ends the reader thread (blocks until it has ended); the next refill starts another.
    void StopReader();
    bool HasReader() const { return reader_ != nullptr; }

private:
    std::uint8_t buffer_[64] = {};  // chunk handed over by the reader thread
    std::uint32_t count_ = 0;       // valid bytes in buffer_
    std::uint32_t next_ = 1;        // 1-based; used up when count_ < next_
    std::unique_ptr<TSafeRdThread> reader_;
    bool requestPending_ = false;
};

}  // namespace vaddex
