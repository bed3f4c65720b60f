#pragma once

#include <string>

namespace vaddex {

// "Version <major>.<minor> Build <build>" of this build, or "-.-.-.-" when the build
// carries no version.
std::string VersionText();

// The licence in one line, as the About window and every --version show it.
std::string LicenceText();

// What --version prints: "<program> <version>", the licence, and that there is no warranty;
// one line each.
std::string VersionNotice(const std::string& program, const std::string& version);

}  // namespace vaddex
