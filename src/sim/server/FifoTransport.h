#pragma once

#include <string>

#include "sim/server/SimTransport.h"

namespace zqsim {

// The USB device as a folder <root>/<device name> holding two FIFOs: PIPE0, which the PC
// reads, and PIPE1, which the PC writes. Both are held open read-write while serving, so the
// PC's non-blocking open of PIPE1 for writing succeeds exactly while the device is present.
class FifoTransport : public SimTransport {
public:
    // The device names the PC looks for, in order.
    static constexpr const char* kDeviceNames[] = {"ZQx8G+", "ZQx8G+_1", "ZQx8G+_2", "ZQx8G+_3",
                                                   "ZQx8G+_4"};

    // root empty: $VADDEX_USB_ROOT. deviceName empty: the first name no other simulator
    // serves. Throws std::runtime_error (or std::system_error) when the device cannot be made.
    FifoTransport(const std::string& root, const std::string& deviceName);
    ~FifoTransport() override;

    std::string PortName() const override { return deviceName_; }
    // The USB device has no line speed; pacing uses the speed the PC reports for it.
    int BitsPerSecond() const override { return 130000; }
    void Close() override;

    // True when a simulator holds the device folder's PIPE1 open for reading.
    static bool DeviceInUse(const std::string& folder);

private:
    std::string folder_;
    std::string deviceName_;
};

}  // namespace zqsim
