#include "link/PortGoneError.h"

#include <cstring>

namespace vaddex {

PortGoneError::PortGoneError(const std::string& port, int error)
    : ConnectionError("The calculator's port " + port + " is gone (" + std::strerror(error) + ")"),
      error_(error) {}

}  // namespace vaddex
