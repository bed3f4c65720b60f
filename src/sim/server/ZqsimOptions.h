#pragma once

#include <string>
#include <vector>

#include "sim/calc/SimCalculator.h"
#include "sim/server/FaultPlan.h"
#include "sim/server/SimServerOptions.h"

namespace zqsim {

// Everything zqsim's command line sets.
struct ZqsimOptions {
    SimServerOptions server;
    SimCalculatorOptions calculator;
    FaultPlan faults;
    std::string tracePath;  // "-": standard error; empty: no trace
    bool help = false;
    bool version = false;
};

// Reads zqsim's arguments (without the program name). Throws std::invalid_argument with a
// message naming the bad argument.
ZqsimOptions ParseZqsimArguments(const std::vector<std::string>& arguments);

// The text of "zqsim --help".
std::string ZqsimHelpText();

std::string PersonalityName(Personality personality);

}  // namespace zqsim
