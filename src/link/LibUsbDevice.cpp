#include "link/LibUsbDevice.h"

#include <libusb.h>

#include <algorithm>
#include <string>

#include "link/PortNames.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

// A libusb context and its device list for one enumeration.
class DeviceList {
public:
    explicit DeviceList(libusb_context* context) {
        ssize_t count = libusb_get_device_list(context, &list_);
        count_ = count > 0 ? count : 0;
    }
    ~DeviceList() {
        if (list_ != nullptr) {
            libusb_free_device_list(list_, 1);
        }
    }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    // The devices with a listed id, in enumeration order, at most one per device name.
    std::vector<libusb_device*> Matching(const std::vector<UsbId>& ids) const {
        std::vector<libusb_device*> found;
        for (ssize_t i = 0; i < count_ && found.size() < kUsbDeviceNameCount; ++i) {
            libusb_device_descriptor descriptor{};
            if (libusb_get_device_descriptor(list_[i], &descriptor) != 0) {
                continue;
            }
            UsbId id{descriptor.idVendor, descriptor.idProduct};
            if (std::find(ids.begin(), ids.end(), id) != ids.end()) {
                found.push_back(list_[i]);
            }
        }
        return found;
    }

private:
    libusb_device** list_ = nullptr;
    ssize_t count_ = 0;
};

libusb_context* NewContext() {
    libusb_context* context = nullptr;
    int result = libusb_init(&context);
    if (result != 0) {
        Trace(std::string("USB: libusb_init failed (") + libusb_error_name(result) + ")");
        return nullptr;
    }
    return context;
}

}  // namespace

std::vector<int> LibUsbDevice::OpenableIndexes(const std::vector<UsbId>& ids) {
    std::vector<int> indexes;
    if (ids.empty()) {
        return indexes;
    }
    libusb_context* context = NewContext();
    if (context == nullptr) {
        return indexes;
    }
    {
        DeviceList list(context);
        std::vector<libusb_device*> devices = list.Matching(ids);
        for (std::size_t i = 0; i < devices.size(); ++i) {
            libusb_device_handle* handle = nullptr;
            if (libusb_open(devices[i], &handle) == 0) {
                libusb_close(handle);
                indexes.push_back(static_cast<int>(i));
            }
        }
    }
    libusb_exit(context);
    return indexes;
}

std::shared_ptr<LibUsbDevice> LibUsbDevice::Open(int index, const std::vector<UsbId>& ids) {
    std::shared_ptr<LibUsbDevice> device(new LibUsbDevice());
    device->context_ = NewContext();
    if (device->context_ == nullptr) {
        return nullptr;
    }
    {
        DeviceList list(device->context_);
        std::vector<libusb_device*> devices = list.Matching(ids);
        if (index < 0 || static_cast<std::size_t>(index) >= devices.size()) {
            Trace("USB: no device " + std::string(index >= 0 ? kUsbDeviceNames[index] : "?"));
            return nullptr;
        }
        int result = libusb_open(devices[index], &device->handle_);
        if (result != 0) {
            Trace(std::string("USB: libusb_open failed (") + libusb_error_name(result) + ")");
            device->handle_ = nullptr;
            return nullptr;
        }
    }
    if (!device->ClaimBulkInterface()) {
        return nullptr;
    }
    return device;
}

bool LibUsbDevice::ClaimBulkInterface() {
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(libusb_get_device(handle_), &config) != 0) {
        Trace("USB: no active configuration");
        return false;
    }
    for (int i = 0; i < config->bNumInterfaces && interface_ < 0; ++i) {
        const libusb_interface& candidate = config->interface[i];
        if (candidate.num_altsetting < 1) {
            continue;
        }
        const libusb_interface_descriptor& setting = candidate.altsetting[0];
        unsigned char in = 0;
        unsigned char out = 0;
        int inSize = 0;
        for (int e = 0; e < setting.bNumEndpoints; ++e) {
            const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
            if ((endpoint.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK) {
                continue;
            }
            if ((endpoint.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN) {
                if (in == 0) {
                    in = endpoint.bEndpointAddress;
                    inSize = endpoint.wMaxPacketSize;
                }
            } else if (out == 0) {
                out = endpoint.bEndpointAddress;
            }
        }
        if (in != 0 && out != 0) {
            interface_ = setting.bInterfaceNumber;
            inEndpoint_ = in;
            outEndpoint_ = out;
            inPacketSize_ = std::max(inSize, 64);
        }
    }
    libusb_free_config_descriptor(config);
    if (interface_ < 0) {
        Trace("USB: no interface with bulk IN and OUT endpoints");
        return false;
    }
    libusb_set_auto_detach_kernel_driver(handle_, 1);  // unsupported on some systems: harmless
    int result = libusb_claim_interface(handle_, interface_);
    if (result != 0) {
        Trace(std::string("USB: cannot claim the interface (") + libusb_error_name(result) + ")");
        interface_ = -1;
        return false;
    }
    return true;
}

LibUsbDevice::~LibUsbDevice() {
    if (handle_ != nullptr) {
        if (interface_ >= 0) {
            libusb_release_interface(handle_, interface_);
        }
        libusb_close(handle_);
    }
    if (context_ != nullptr) {
        libusb_exit(context_);
    }
}

}  // namespace vaddex
