#include "sim/server/FaultInjector.h"

namespace zqsim {

void FaultInjector::SetPlan(const FaultPlan& plan, std::uint64_t defaultSeed) {
    std::lock_guard lock(mutex_);
    plan_ = plan;
    std::uint64_t seed = plan.seed != 0 ? plan.seed : defaultSeed;
    inEngine_.seed(seed);
    outEngine_.seed(seed ^ 0x9E3779B97F4A7C15ULL);
    sentUnderPlan_ = 0;
    damaged_ = 0;
}

FaultPlan FaultInjector::Plan() const {
    std::lock_guard lock(mutex_);
    return plan_;
}

bool FaultInjector::Chance(std::mt19937_64& engine, double rate) {
    // From the raw output, whose sequence the standard fixes, so runs repeat on any library.
    double draw = static_cast<double>(engine() >> 11) * 0x1.0p-53;
    return draw < rate;
}

std::string FaultInjector::FilterIn(std::string_view bytes) {
    std::lock_guard lock(mutex_);
    if (plan_.corruptIn == 0 && plan_.dropIn == 0) {
        return std::string(bytes);
    }
    std::string out;
    for (char byte : bytes) {
        bool drop = Chance(inEngine_, plan_.dropIn);
        bool corrupt = Chance(inEngine_, plan_.corruptIn);
        char flip = static_cast<char>(inEngine_() % 255 + 1);
        if (drop) {
            ++damaged_;
            continue;
        }
        if (corrupt) {
            ++damaged_;
            byte = static_cast<char>(byte ^ flip);
        }
        out += byte;
    }
    return out;
}

std::string FaultInjector::FilterOut(std::string_view bytes, bool& pullNow) {
    std::lock_guard lock(mutex_);
    pullNow = false;
    std::string out;
    for (char byte : bytes) {
        if (plan_.pullAfterBytes >= 0 && sentUnderPlan_ >= plan_.pullAfterBytes) {
            pullNow = true;
            break;
        }
        ++sentUnderPlan_;
        bool drop = Chance(outEngine_, plan_.dropOut);
        bool corrupt = Chance(outEngine_, plan_.corruptOut);
        char flip = static_cast<char>(outEngine_() % 255 + 1);
        if (plan_.silenceAfterBytes >= 0 && sentUnderPlan_ > plan_.silenceAfterBytes) {
            ++damaged_;
            continue;
        }
        if (drop) {
            ++damaged_;
            continue;
        }
        if (corrupt) {
            ++damaged_;
            byte = static_cast<char>(byte ^ flip);
        }
        out += byte;
    }
    return out;
}

bool FaultInjector::TakeLostAck(int blockOrdinal) {
    std::lock_guard lock(mutex_);
    if (plan_.loseAckBlock != 0 && plan_.loseAckBlock == blockOrdinal) {
        plan_.loseAckBlock = 0;
        return true;
    }
    return false;
}

bool FaultInjector::TakeBadChecksum() {
    std::lock_guard lock(mutex_);
    if (plan_.badPacketChecksums > 0) {
        --plan_.badPacketChecksums;
        return true;
    }
    return false;
}

std::int64_t FaultInjector::Damaged() const {
    std::lock_guard lock(mutex_);
    return damaged_;
}

}  // namespace zqsim
