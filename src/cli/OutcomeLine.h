#pragma once

#include <string>

#include "session/Outcome.h"

namespace vaddex::cli {

// The command line's one reading of an outcome: the line its failure prints ("Canceled by
// user." for the user's Cancel, else the session's reason on one line). Every outcome but
// done ends the command with status 1.
std::string OutcomeLine(const Outcome& outcome);

// Throws CommandFailed with OutcomeLine unless the outcome is done.
void RequireDone(const Outcome& outcome);

}  // namespace vaddex::cli
