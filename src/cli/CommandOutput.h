#pragma once

#include <string>
#include <vector>

#include "session/TXPObject.h"

namespace vaddex::cli {

// What "info" prints about the connected calculator.
struct CalculatorInfo {
    std::string port;
    int speed = 0;
    std::string version;  // the server's version text
    std::string series;
    std::string model;
    std::string romVersion;
    std::string flags;       // '0'/'1' per reported calculator flag
    std::string freeMemory;  // bytes, as the calculator tells them
};

// Plain text for people, one "Label: value" a line.
std::string InfoText(const CalculatorInfo& info);
// A JSON object; freeMemory is a number when the calculator's text is one.
std::string InfoJson(const CalculatorInfo& info);

// The items of a directory in aligned columns: name (display form), type name, size in bytes.
// Recursive: every directory below as well, each under a "HOME A:" heading.
std::string ListingText(const TXPObject& directory, bool recursive);
// A JSON array of {name, type, size, path}; recursive: directories carry "children".
std::string ListingJson(const TXPObject& directory, bool recursive);

// The stack picture, one line each, or as a JSON array of strings.
std::string StackText(const std::vector<std::string>& lines);
std::string StackJson(const std::vector<std::string>& lines);

}  // namespace vaddex::cli
