#include "link/PortNames.h"

#include <libserialport.h>

#include "link/FifoPipe.h"
#include "link/LibUsbDevice.h"
#include "link/TermiosPort.h"
#include "link/UsbIds.h"
#include "util/TextSplit.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace vaddex {
namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::string LowerCopy(const std::string& text) {
    std::string result = text;
    std::transform(result.begin(), result.end(), result.begin(), Lower);
    return result;
}

}  // namespace

bool IsUsbPortName(const std::string& name) {
    return LowerCopy(name).find(LowerCopy(kUsbDeviceNames[0])) != std::string::npos;
}

int UsbNameIndex(const std::string& name) {
    std::string lower = LowerCopy(name);
    for (int i = 0; i < kUsbDeviceNameCount; ++i) {
        if (lower == LowerCopy(kUsbDeviceNames[i])) {
            return i;
        }
    }
    return -1;
}

bool NaturalPortLess(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            std::size_t endA = i;
            std::size_t endB = j;
            while (endA < a.size() && IsDigit(a[endA])) {
                ++endA;
            }
            while (endB < b.size() && IsDigit(b[endB])) {
                ++endB;
            }
            // Compare the numbers without leading zeros: longer is larger, else digit by digit.
            std::string numberA = a.substr(i, endA - i);
            std::string numberB = b.substr(j, endB - j);
            numberA.erase(0, std::min(numberA.find_first_not_of('0'), numberA.size()));
            numberB.erase(0, std::min(numberB.find_first_not_of('0'), numberB.size()));
            if (numberA.size() != numberB.size()) {
                return numberA.size() < numberB.size();
            }
            if (numberA != numberB) {
                return numberA < numberB;
            }
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j]) {
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        }
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j) {
        return a.size() - i < b.size() - j;
    }
    return a < b;  // equal under the natural order ("ttyS01" and "ttyS1"): any fixed order
}

std::vector<std::string> EnumerateSerialPorts() {
    std::vector<std::string> names;
    sp_port** ports = nullptr;
    if (sp_list_ports(&ports) == SP_OK && ports != nullptr) {
        for (int i = 0; ports[i] != nullptr; ++i) {
            if (const char* name = sp_get_port_name(ports[i])) {
                names.emplace_back(name);
            }
        }
    }
    if (ports != nullptr) {
        sp_free_port_list(ports);
    }
    std::sort(names.begin(), names.end(), NaturalPortLess);
    return names;
}

std::vector<std::string> ExtraPorts() {
    const char* text = std::getenv("VADDEX_EXTRA_PORTS");
    if (text == nullptr) {
        return {};
    }
    return SplitSkippingEmpty(text, ":");
}

std::string UsbRoot() {
    const char* root = std::getenv("VADDEX_USB_ROOT");
    return root ? std::string(root) : std::string();
}

std::string ListOpenablePorts(const std::string& separator, const std::string& usbIdsSetting) {
    std::string result = "Auto\n";
    std::vector<std::string> listed;
    auto addSerial = [&](const std::string& path) {
        if (std::find(listed.begin(), listed.end(), path) == listed.end() &&
            TermiosPort::Open(path)) {
            listed.push_back(path);
            result += path + separator;
        }
    };
    for (const std::string& path : EnumerateSerialPorts()) {
        addSerial(path);
    }
    for (const std::string& path : ExtraPorts()) {
        addSerial(path);
    }
    std::string root = UsbRoot();
    if (!root.empty()) {
        for (const char* name : kUsbDeviceNames) {
            std::string folder = root + "/" + name;
            if (FifoPipe::OpenForReading(folder + "/PIPE0") &&
                FifoPipe::OpenForWriting(folder + "/PIPE1")) {
                result += std::string(name) + separator;
            }
        }
    } else {
        for (int index : LibUsbDevice::OpenableIndexes(EffectiveUsbIds(usbIdsSetting))) {
            result += std::string(kUsbDeviceNames[index]) + separator;
        }
    }
    return result;
}

}  // namespace vaddex
