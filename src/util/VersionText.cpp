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

std::string LicenceText() {
    return "License GPL-3.0-or-later: GNU GPL version 3 or later "
           "<https://gnu.org/licenses/gpl.html>.";
}

std::string VersionNotice(const std::string& program, const std::string& version) {
    return program + " " + version + "\n" + LicenceText() + "\n" +
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}

}  // namespace vaddex
