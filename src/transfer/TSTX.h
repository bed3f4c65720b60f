#pragma once

#include <string>

#include "transfer/TYModemTX.h"

namespace vaddex {

// Streams a whole PC file raw, preceded by its size as 4 little-endian bytes, for the ROM
// download. Closes the port when it ends.
class TSTX : public TYModemTX {
public:
    TSTX(CommLink& link, std::string path, ReportFn callback);
    ~TSTX() override;

protected:
    void Execute() override;

private:
    // The size field followed by the file's bytes; the file is closed again.
    std::string ReadStream();
    // Blocks until the whole stream has been written in pieces of 2048 bytes.
    void SendStream(const std::string& stream);
};

}  // namespace vaddex
