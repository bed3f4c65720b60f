#include "util/Errors.h"

namespace vaddex {

void RaiseError(const std::string& text) {
    throw OperationError(text);
}

}  // namespace vaddex
