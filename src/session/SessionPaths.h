#pragma once

#include <string>

namespace vaddex {

// The temporary PC file of a long text put: "$$$a" + the port name with every character that
// is not a letter or digit made "_", in the private temporary folder, so no port name (a
// device path holds "/") can place it anywhere else.
std::string LongTextTempPath(const std::string& portName);

// The archive program sent before each backup: "Arch" + series + ".zq" in the first data
// folder that holds it; abandons the operation, naming every folder looked in, when none does.
std::string ArchiveProgramPath(const std::string& series);

// The server program for first-series calculators: "XSrvrK7.zq", found as the archive
// program is.
std::string ServerProgramPath();

}  // namespace vaddex
