#pragma once

#include <string>

namespace vaddex {

// True for a built-in command or function word of the calculator (calculator characters, so
// "\x8DLIST" for →LIST). To the calculator's reader such a word in quotes is that command, not a
// name: a variable of that name could never be stored, recalled or purged again.
bool IsCalculatorWord(const std::string& calcName);

// Why a calculator-form name may not name a new variable or directory: the top directory, a
// command word, or the prefix of the program's scratch variables. Empty when it may.
std::string ReservedNameReason(const std::string& calcName);

}  // namespace vaddex
