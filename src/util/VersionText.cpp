#include "util/VersionText.h"

namespace vaddex {

std::string VersionText() {
#if defined(VADDEX_VERSION_MAJOR) && defined(VADDEX_VERSION_MINOR) && defined(VADDEX_VERSION_BUILD)
    return "Version " + std::to_string(VADDEX_VERSION_MAJOR) + "." +
           std::to_string(VADDEX_VERSION_MINOR) + " Build " + std::to_string(VADDEX_VERSION_BUILD);
#else
    return "-.-.-.-";
#endif
}

}  // namespace vaddex
