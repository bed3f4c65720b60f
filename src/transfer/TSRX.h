#pragma once

#include <string>

#include "transfer/TYModemRX.h"

namespace vaddex {

// Receives the calculator's screen image after its first byte (read by the caller).
class TSRX : public TYModemRX {
public:
    TSRX(CommLink& link, std::string firstByte, ReportFn callback);
    ~TSRX() override;

    // First byte + header + image on success; empty after a failure.
    const std::string& ScreenData() const { return screen_; }

protected:
    void Execute() override;

private:
    std::string screen_;
};

}  // namespace vaddex
