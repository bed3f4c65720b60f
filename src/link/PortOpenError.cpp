#include "link/PortOpenError.h"

#include <cstring>

namespace vaddex {

PortOpenError::PortOpenError(const std::string& port, int error)
    : ConnectionError(std::strerror(error)), port_(port), error_(error) {}

}  // namespace vaddex
