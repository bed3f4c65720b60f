#pragma once

#include <string>
#include <string_view>

#include "sim/calc/PrologTable.h"
#include "sim/calc/SimObject.h"

namespace zqsim {

// The object's nibbles in the calculator's format.
std::string EncodeObject(const SimObject& object);

// Reads the one object that `nibbles` holds from its first nibble to its last (nothing may
// follow). Types the simulator does not decode come back as Raw objects holding their exact
// nibbles, and every decoded object remembers the nibbles it came from. nullptr when the
// nibbles are no object of the series' `rowCount` rows, or a directory inside is damaged.
ObjPtr DecodeObject(std::string_view nibbles, int rowCount = kAllRows);

}  // namespace zqsim
