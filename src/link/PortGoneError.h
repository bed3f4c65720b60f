#pragma once

#include <string>

#include "util/Errors.h"

namespace vaddex {

// The port itself went away (the far end of a pseudo-terminal closed, a USB serial adapter was
// unplugged): no retry can help, and the session is no longer connected.
class PortGoneError : public ConnectionError {
public:
    // "The calculator's port PORT is gone (system text)" for the system error `error`.
    PortGoneError(const std::string& port, int error);

    int Error() const { return error_; }

private:
    int error_;
};

}  // namespace vaddex
