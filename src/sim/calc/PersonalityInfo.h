#pragma once

#include <cstdint>

#include "sim/CalculatorModel.h"

namespace zqsim {

// What tells the four calculators apart.
struct PersonalityInfo {
    Personality personality;
    const char* seriesCode;             // "K7" or "K8"
    char headerLetter;                  // the 8th byte of its binary file header
    const char* serverVersion;          // the answer to "V"
    const char* versionText;            // VERSION's first text
    const char* copyrightText;          // VERSION's second text
    std::uint32_t errorCleanupAddress;  // the one SYSEVAL address the program may send
    int prologRows;                     // rows of the prolog table the series knows
};

const PersonalityInfo& InfoOf(Personality personality);

}  // namespace zqsim
