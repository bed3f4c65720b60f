#pragma once

#include <string>

#include "util/Errors.h"

namespace vaddex {

// The port could not be opened (no such device, no permission): the system's reason says
// why, so that nobody has to open the port again to learn it.
class PortOpenError : public ConnectionError {
public:
    // The message is the system's text for `error` ("No such file or directory").
    PortOpenError(const std::string& port, int error);

    const std::string& Port() const { return port_; }
    int Error() const { return error_; }

private:
    std::string port_;
    int error_;
};

}  // namespace vaddex
