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
    // Blocks while the header after the first byte is read; returns the image size and
    // stores the header as it is kept in the screen data.
    std::size_t ReadHeader(char first, std::string& header);

    std::string screen_;
};

}  // namespace vaddex
