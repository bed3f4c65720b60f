#pragma once

#include <string_view>
#include <vector>

#include "sim/calc/SimObject.h"

namespace zqsim {

// Parses a command line (calculator bytes; « is 0xAB, » is 0xBB, → is 0x8D) into the
// objects it holds, in order, the way a program body holds them: built-in words become
// command pointers, other words global names, a quoted name the Quote pointer and the name.
// `mark` is the decimal mark; the other of "." and "," then separates like a blank.
// Throws RplError(kInvalidSyntax) when the text does not parse.
std::vector<ObjPtr> ParseCommandLine(std::string_view text, char mark);

}  // namespace zqsim
