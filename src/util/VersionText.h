#pragma once

#include <string>

namespace vaddex {

// "Version <major>.<minor> Build <build>" of this build, or "-.-.-.-" when the build
// carries no version.
std::string VersionText();

}  // namespace vaddex
