#pragma once

#include <string_view>
#include <vector>

#include "sim/calc/SimObject.h"

namespace zqsim {

// Parses the text between the quotes of an algebraic ('X+1') into its postfix items: reals,
// names and the functions + - * / ^ NEG. Throws RplError(kInvalidSyntax) when it is no
// expression.
std::vector<ObjPtr> ParseAlgebraic(std::string_view text, char mark);

}  // namespace zqsim
