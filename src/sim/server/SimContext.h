#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "sim/CalculatorModel.h"
#include "sim/server/FaultInjector.h"
#include "sim/server/SimLink.h"
#include "sim/server/SimServerOptions.h"
#include "sim/server/StatsBoard.h"

namespace zqsim {

// What the calculator's routines on the server thread work with.
struct SimContext {
    SimLink& link;
    StatsBoard& stats;
    FaultInjector& faults;
    const SimServerOptions& options;
    CalculatorModel& model;
    std::mutex& modelMutex;  // also taken by SimServer::WithCalculator

    // Runs fn(model) under the model's lock and returns its result.
    template <typename Fn>
    auto WithModel(Fn&& fn) {
        std::lock_guard lock(modelMutex);
        return fn(model);
    }

    // Calculator milliseconds as they pass here, after the time scale.
    std::int64_t Scaled(std::int64_t calculatorMs) const;
};

// Stores a received object file under the name: the 8-byte header is stripped and the rest
// (padding of the last block included) handed to the model. Records the outcome.
bool StoreReceivedFile(SimContext& context, const std::string& name, const std::string& file);

}  // namespace zqsim
