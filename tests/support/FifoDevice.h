#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vaddex::test {

// The device side of a FIFO-pair USB stand-in: creates <root>/<name>/PIPE0 and PIPE1 and
// holds both open while it lives, so that the link lists and opens the device. The test plays
// the calculator: Write goes to PIPE0 (the link reads it), Read takes what the link wrote to
// PIPE1. Each FIFO is held read-write, so the device never sees end of file or EPIPE of its
// own while the link opens, closes or lists it.
class FifoDevice {
public:
    // Throws std::runtime_error when the folder or the FIFOs cannot be made.
    FifoDevice(const std::string& root, const std::string& name);
    // Closes the FIFOs and removes them and the folder.
    ~FifoDevice();
    FifoDevice(const FifoDevice&) = delete;
    FifoDevice& operator=(const FifoDevice&) = delete;

    // The device folder, without a trailing "/".
    const std::string& Folder() const { return folder_; }

    // Blocks until every byte is in PIPE0, at most timeoutMs; false when they are not.
    bool Write(std::string_view bytes, int timeoutMs = 5000);
    // Blocks until `count` bytes came on PIPE1 or timeoutMs passed; returns what came.
    std::string Read(std::size_t count, int timeoutMs);

    // The device goes away: both FIFOs are closed but stay in the folder, so the folder is
    // a dead device from now on (its PIPE1 no longer opens for writing).
    void Close();

    // Makes <root>/<name> with the two FIFOs and nobody holding them: a dead device.
    static void MakeDeadFolder(const std::string& root, const std::string& name);

private:
    std::string folder_;
    int pipe0_ = -1;  // the device writes here
    int pipe1_ = -1;  // the device reads here
};

}  // namespace vaddex::test
