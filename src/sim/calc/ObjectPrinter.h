#pragma once

#include <string>

#include "sim/calc/SimObject.h"

namespace zqsim {

struct PrintSettings {
    char mark = '.';    // decimal mark (flag -51)
    int wordSize = 64;  // binary integers show their low `wordSize` bits
};

// The text →STR gives: a string is its own characters, a name is quoted ('X'); everything
// else as it shows inside a list.
std::string ObjectToText(const SimObject& object, const PrintSettings& settings);

// The text of an object inside a list or program: strings in double quotes (with \" and
// \\ for a quote and a backslash inside), names bare.
std::string ObjectToInnerText(const SimObject& object, const PrintSettings& settings);

}  // namespace zqsim
