#pragma once

#include <cstdint>
#include <mutex>
#include <random>
#include <string>
#include <string_view>

#include "sim/server/FaultPlan.h"

namespace zqsim {

// Applies a FaultPlan to the bytes crossing the link. Each direction draws from its own
// generator, one draw per byte, so which bytes are hit depends only on the seed and on the
// bytes themselves, not on how reads and writes interleave. Thread-safe.
class FaultInjector {
public:
    // Replaces the plan and restarts the generators (plan.seed, or defaultSeed when it is 0).
    void SetPlan(const FaultPlan& plan, std::uint64_t defaultSeed);
    FaultPlan Plan() const;

    // Bytes from the PC as the calculator receives them.
    std::string FilterIn(std::string_view bytes);
    // Bytes to the PC as they leave; pullNow is set when the plan pulls the cable here (the
    // bytes before that point are returned).
    std::string FilterOut(std::string_view bytes, bool& pullNow);

    // True once for the block of the plan's lose-ack (ordinal within the transfer).
    bool TakeLostAck(int blockOrdinal);
    // True while answer packets are still to go out with a wrong checksum; counts one down.
    bool TakeBadChecksum();

    // Bytes damaged, lost or held back so far under the current plan.
    std::int64_t Damaged() const;

private:
    static bool Chance(std::mt19937_64& engine, double rate);

    mutable std::mutex mutex_;
    FaultPlan plan_;
    std::mt19937_64 inEngine_;
    std::mt19937_64 outEngine_;
    std::int64_t sentUnderPlan_ = 0;
    std::int64_t damaged_ = 0;
};

}  // namespace zqsim
