#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "objects/TextFileForm.h"
#include "session/TXPObject.h"
#include "support/PatternText.h"
#include "support/SimFixture.h"
#include "util/FileIo.h"

namespace vaddex::test {

// The whole content of a PC file; empty when it cannot be read.
inline std::string FileBytes(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

inline void PutFileBytes(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(WriteWholeFile(path, bytes));
}

// The item of HOME with the given name after a listing, or nullptr.
inline const TXPObject* FindChild(const TXPObject& directory, const std::string& name) {
    return directory.FindChild(name);
}

// Options for a fixture whose calculator holds large objects.
inline SimFixtureOptions RoomyCalculator(
    zqsim::TransportKind transport = zqsim::TransportKind::Pty) {
    SimFixtureOptions options;
    options.transport = transport;
    options.calculator.memoryBytes = 4 * 1024 * 1024;
    return options;
}

// Whether the damage of DamageFirstTransfer has been done.
struct DamageWindow {
    bool damaging = false;
    bool done = false;
};

// Damages what the PC sends (5 bytes in 100, from `seed`) during the first transfer that shows
// the progress window, and only then: the command lines around it pass untouched.
inline std::shared_ptr<const DamageWindow> DamageFirstTransfer(SimFixture& sim,
                                                               std::uint64_t seed) {
    auto state = std::make_shared<DamageWindow>();
    sim.Ui().SetOnIdle([&sim, state, seed] {
        if (!state->done && !state->damaging && sim.Ui().IsStatusVisible()) {
            zqsim::FaultPlan plan;
            plan.seed = seed;
            plan.corruptIn = 0.05;
            sim.Server().SetFaultPlan(plan);
            state->damaging = true;
        } else if (state->damaging && !sim.Ui().IsStatusVisible()) {
            sim.Server().SetFaultPlan({});
            state->damaging = false;
            state->done = true;
        }
    });
    return state;
}

}  // namespace vaddex::test
