#pragma once

#include <string>

#include "sim/server/SimTransport.h"

namespace zqsim {

// The calculator on the master side of a pseudo-terminal; the PC opens the slave path.
class PtyTransport : public SimTransport {
public:
    // Creates the pty in raw mode at 9600 bit/s; with a non-empty linkPath also a symbolic
    // link to the slave there. Throws std::system_error when the pty cannot be made.
    explicit PtyTransport(const std::string& linkPath = "");
    ~PtyTransport() override;

    std::string PortName() const override { return slavePath_; }
    int BitsPerSecond() const override;
    void Close() override;

private:
    std::string slavePath_;
    std::string linkPath_;
    // Held open so that the PC closing and reopening the slave does not hang up the master.
    UniqueFd slave_;
};

}  // namespace zqsim
