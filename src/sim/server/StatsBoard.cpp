#include "sim/server/StatsBoard.h"

#include <chrono>

namespace zqsim {

void StatsBoard::Update(const std::function<void(SimStats&)>& change) {
    {
        std::lock_guard lock(mutex_);
        change(stats_);
    }
    changed_.notify_all();
}

SimStats StatsBoard::Snapshot() const {
    std::lock_guard lock(mutex_);
    return stats_;
}

bool StatsBoard::WaitFor(const std::function<bool(const SimStats&)>& condition,
                         std::int64_t timeoutMs) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return condition(stats_); });
}

}  // namespace zqsim
