#pragma once

#include <cstdint>
#include <string>

#include "session/TXPObject.h"

namespace vaddex {

// One item of the calculator's listing as plain values, so that it means the same after a
// refresh has replaced the listing it came from.
struct CalcItem {
    std::string path;       // "HOME A X"
    std::string directory;  // the path of the directory that holds it: "HOME A"
    std::string name;       // display form
    std::string typeName;
    int typeCode = 0;  // type table row + 9; kDirectoryTypeCode for a directory
    std::int64_t size = 0;

    bool IsDirectory() const { return typeCode == kDirectoryTypeCode; }
    bool operator==(const CalcItem&) const = default;
};

}  // namespace vaddex
