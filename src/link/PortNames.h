#pragma once

#include <string>
#include <vector>

namespace vaddex {

// The names under which the USB device is listed and opened, in listing order.
inline constexpr const char* kUsbDeviceNames[] = {"ZQx8G+", "ZQx8G+_1", "ZQx8G+_2", "ZQx8G+_3",
                                                  "ZQx8G+_4"};
inline constexpr int kUsbDeviceNameCount = 5;

// True when the port name means the USB device: it contains "ZQx8G+" in any case.
bool IsUsbPortName(const std::string& name);

// Index into kUsbDeviceNames of the name, compared case-insensitively; -1 for other names.
int UsbNameIndex(const std::string& name);

// Orders port names by name, runs of digits compared as numbers ("ttyS2" before "ttyS10").
bool NaturalPortLess(const std::string& a, const std::string& b);

// Every serial port the system knows, openable or not, in NaturalPortLess order.
std::vector<std::string> EnumerateSerialPorts();

// The device paths in $VADDEX_EXTRA_PORTS (colon-separated), in the order given.
std::vector<std::string> ExtraPorts();

// $VADDEX_USB_ROOT, the folder of FIFO-pair devices; empty when not set.
std::string UsbRoot();

// "Auto" and a line feed, then every name that opens now, each followed by `separator`: the
// enumerated serial ports, the paths of $VADDEX_EXTRA_PORTS, then the USB device names (the
// FIFO-pair folders under $VADDEX_USB_ROOT when set, else libusb devices with the ids of the
// setting or $VADDEX_USB_IDS). Opens and closes each candidate; blocks only that long.
std::string ListOpenablePorts(const std::string& separator, const std::string& usbIdsSetting);

}  // namespace vaddex
