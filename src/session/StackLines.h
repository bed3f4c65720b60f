#pragma once

#include <string>
#include <vector>

namespace vaddex {

// Starts the text of a stack level that was a string, so that it is shown quoted.
inline constexpr const char* kStackStringMarker = "\x01\x03\x02";

// The stack picture from the received object file of the list of level texts (deepest level
// first): at most seven lines "n: text", level 1 last. Never reads past the data; a damaged
// list ends the picture where the damage begins.
std::vector<std::string> StackLinesFromList(const std::string& file);

}  // namespace vaddex
