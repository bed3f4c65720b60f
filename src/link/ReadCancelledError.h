#pragma once

#include "util/Errors.h"

namespace vaddex {

// A read that the user's Cancel ended (Ctrl-C, the window's Cancel): to every caller a
// connection error as before, and to a connect that tries one port after another the end of
// the search, since the cancel itself is taken when the read ends.
class ReadCancelledError : public ConnectionError {
public:
    ReadCancelledError() = default;
};

}  // namespace vaddex
