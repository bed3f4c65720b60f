#pragma once

#include <string>

namespace vaddex {

// Why a file cannot be restored; empty when it can.
struct ArchiveVerdict {
    std::string reason;
    bool Restorable() const { return reason.empty(); }
};

// Tells whether a file holds a complete memory archive of the calculator series ("K7", "K8"):
// the binary header of that series, a Backup object around a directory (or a bare directory),
// and an object whose whole length lies within the file. Reads the file; never raises.
ArchiveVerdict CheckArchiveFile(const std::string& path, const std::string& series);

// Raises an OperationError naming the file and the reason when CheckArchiveFile refuses it.
void RequireArchiveFile(const std::string& path, const std::string& series);

}  // namespace vaddex
