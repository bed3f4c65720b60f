#pragma once

#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/SerialPort.h"
#include "link/UsbPipe.h"

namespace vaddex::test {

// A serial port that delivers scripted input at once and records what it was asked for. It
// can refuse any call as a driver may (setting errno as a failed system call does), so that
// the link's failure paths run.
class ScriptedSerialPort : public SerialPort {
public:
    ~ScriptedSerialPort() override {
        if (closed) {
            *closed = true;
        }
    }

    std::string input;                   // bytes still to deliver
    std::vector<std::size_t> readSizes;  // the count of each Read
    std::string written;
    long writeLimit = -1;  // most bytes one Write takes; -1: all
    SerialTimeouts timeouts;
    std::vector<int> speeds;  // every rate it was set to, the first by Configure

    bool refuseSettings = false;  // Configure fails
    bool refuseSpeed = false;     // SetSpeed fails
    bool refusePurge = false;
    int timeoutsAccepted = -1;  // SetTimeouts calls still taken; -1: all
    int writesAccepted = -1;    // Write calls still taken; -1: all
    bool* closed = nullptr;     // set when the link lets go of the port

    bool Configure(int speed) override {
        if (refuseSettings) {
            return Refuse();
        }
        speeds.push_back(speed);
        return true;
    }
    bool SetSpeed(int speed) override {
        if (refuseSpeed) {
            return Refuse();
        }
        speeds.push_back(speed);
        return true;
    }
    SerialTimeouts Timeouts() const override { return timeouts; }
    bool SetTimeouts(const SerialTimeouts& t) override {
        if (!Take(timeoutsAccepted)) {
            return Refuse();
        }
        timeouts = t;
        return true;
    }
    long Read(char* data, std::size_t count) override {
        readSizes.push_back(count);
        std::size_t n = std::min(count, input.size());
        std::memcpy(data, input.data(), n);
        input.erase(0, n);
        return static_cast<long>(n);
    }
    long Write(const char* data, std::size_t count) override {
        if (!Take(writesAccepted)) {
            Refuse();
            return -1;
        }
        std::size_t n = writeLimit < 0 ? count : std::min(count, std::size_t(writeLimit));
        written.append(data, n);
        return static_cast<long>(n);
    }
    bool PurgeInput() override {
        if (refusePurge) {
            return Refuse();
        }
        input.clear();
        return true;
    }

private:
    static bool Take(int& left) {
        if (left == 0) {
            return false;
        }
        if (left > 0) {
            --left;
        }
        return true;
    }
    static bool Refuse() {
        errno = EIO;
        return false;
    }
};

// A read pipe whose reads block until the test feeds a chunk (or return end of file at once
// when eofForever is set), counting every read.
class ScriptedUsbPipe : public UsbPipe {
public:
    explicit ScriptedUsbPipe(bool eofForever = false) : eofForever_(eofForever) {}

    void Feed(const std::string& chunk) {
        std::lock_guard<std::mutex> lock(mutex_);
        chunks_.push_back(chunk);
        fed_.notify_all();
    }
    int Reads() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return reads_;
    }

    long ReadChunk(char* data, std::size_t count) override {
        std::unique_lock<std::mutex> lock(mutex_);
        ++reads_;
        if (eofForever_) {
            return 0;
        }
        fed_.wait(lock, [this] { return cancelled_ || !chunks_.empty(); });
        if (cancelled_) {
            return 0;
        }
        std::size_t n = std::min(count, chunks_.front().size());
        std::memcpy(data, chunks_.front().data(), n);
        chunks_.pop_front();
        return static_cast<long>(n);
    }
    void CancelRead() override {
        std::lock_guard<std::mutex> lock(mutex_);
        cancelled_ = true;
        fed_.notify_all();
    }
    long Write(const char*, std::size_t count, int) override { return static_cast<long>(count); }

private:
    bool eofForever_;
    mutable std::mutex mutex_;
    std::condition_variable fed_;
    std::deque<std::string> chunks_;
    int reads_ = 0;
    bool cancelled_ = false;
};

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

inline int CountEntries(const char* folder) {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++n;
    }
    return n;
}

// Open descriptors and threads of this process.
inline int OpenFdCount() {
    return CountEntries("/proc/self/fd");
}
inline int ThreadCount() {
    return CountEntries("/proc/self/task");
}

}  // namespace vaddex::test
