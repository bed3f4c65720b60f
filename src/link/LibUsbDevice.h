#pragma once

#include <memory>
#include <vector>

#include "link/UsbIds.h"

struct libusb_context;
struct libusb_device_handle;

namespace vaddex {

// One opened USB calculator: its own libusb context, the device handle and the claimed
// interface that holds a bulk IN endpoint (PIPE0) and a bulk OUT endpoint (PIPE1). Shared by
// the two pipes made from it; the last one to go releases the device.
class LibUsbDevice {
public:
    // Positions (0 to 4) among the devices with a listed id, in enumeration order, of those
    // that can be opened now.
    static std::vector<int> OpenableIndexes(const std::vector<UsbId>& ids);

    // Opens the device at that position and claims its bulk interface; nullptr (traced) when
    // there is none or it cannot be opened or claimed.
    static std::shared_ptr<LibUsbDevice> Open(int index, const std::vector<UsbId>& ids);

    ~LibUsbDevice();
    LibUsbDevice(const LibUsbDevice&) = delete;
    LibUsbDevice& operator=(const LibUsbDevice&) = delete;

    libusb_context* Context() const { return context_; }
    libusb_device_handle* Handle() const { return handle_; }
    unsigned char InEndpoint() const { return inEndpoint_; }
    unsigned char OutEndpoint() const { return outEndpoint_; }
    int InPacketSize() const { return inPacketSize_; }

private:
    LibUsbDevice() = default;
    bool ClaimBulkInterface();

    libusb_context* context_ = nullptr;
    libusb_device_handle* handle_ = nullptr;
    int interface_ = -1;
    unsigned char inEndpoint_ = 0;
    unsigned char outEndpoint_ = 0;
    int inPacketSize_ = 64;
};

}  // namespace vaddex
