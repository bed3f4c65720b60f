#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "sim/server/SimStats.h"

namespace zqsim {

// The statistics behind a lock, with waiting for a condition on them. Thread-safe.
class StatsBoard {
public:
    // Changes the statistics and wakes every waiter.
    void Update(const std::function<void(SimStats&)>& change);
    SimStats Snapshot() const;
    // Blocks until condition holds on the statistics or timeoutMs passed; true when it holds.
    bool WaitFor(const std::function<bool(const SimStats&)>& condition, std::int64_t timeoutMs);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    SimStats stats_;
};

}  // namespace zqsim
