#include "session/SessionPaths.h"

#include "util/AppPaths.h"

namespace vaddex {
namespace {

bool IsAsciiLetterOrDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::string LongTextTempPath(const std::string& portName) {
    std::string name = "$$$a";
    for (char c : portName) {
        name += IsAsciiLetterOrDigit(c) ? c : '_';
    }
    return TempFolder() + name;
}

std::string ArchiveProgramPath(const std::string& series) {
    return DataFilePath("Arch" + series + ".zq");
}

std::string ServerProgramPath() {
    return DataFilePath("XSrvrK7.zq");
}

}  // namespace vaddex
