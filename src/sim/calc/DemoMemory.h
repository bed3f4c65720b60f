#pragma once

#include "sim/calc/SimObject.h"

namespace zqsim {

// HOME as a new user finds it on the simulated calculator: a few reals, strings, a list,
// a program, an algebraic, directories with content, and names that use the calculator's
// own characters (π 0x87, → 0x8D).
ObjPtr DemoHome();

}  // namespace zqsim
