#pragma once

#include <exception>
#include <functional>

#include "session/Outcome.h"

namespace vaddex {

// The outcome of an operation that raised `error`: each of the session's failures has its
// kind (the user's Cancel, a port gone, in use or not to be opened, a name, a file, the free
// memory, a line that failed), so that no front end reads the text to learn which it was.
// `portLost` says that the port went away on the connection, which turns a line failure into
// a gone port.
Outcome OutcomeOfError(const std::exception_ptr& error, bool portLost);

// Runs the operation; what it raises becomes its outcome, and a line failure of a port that
// went (as `portLost` tells afterwards) a gone port.
Outcome GuardedOutcome(const std::function<Outcome()>& operation,
                       const std::function<bool()>& portLost);

}  // namespace vaddex
