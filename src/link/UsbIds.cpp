#include "link/UsbIds.h"

#include <cctype>
#include <cstdlib>

namespace vaddex {
namespace {

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

bool ParseHex16(const std::string& text, std::uint16_t& value) {
    if (text.empty() || text.size() > 4) {
        return false;
    }
    unsigned result = 0;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        result = result * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c))
                                                         ? c - '0'
                                                         : std::tolower(c) - 'a' + 10);
    }
    value = static_cast<std::uint16_t>(result);
    return true;
}

}  // namespace

std::vector<UsbId> ParseUsbIds(const std::string& text) {
    std::vector<UsbId> ids;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) {
            comma = text.size();
        }
        std::string entry = Trimmed(text.substr(start, comma - start));
        std::size_t colon = entry.find(':');
        UsbId id;
        if (colon != std::string::npos && ParseHex16(entry.substr(0, colon), id.vendor) &&
            ParseHex16(entry.substr(colon + 1), id.product)) {
            ids.push_back(id);
        }
        start = comma + 1;
    }
    return ids;
}

std::vector<UsbId> EffectiveUsbIds(const std::string& setting) {
    const char* environment = std::getenv("VADDEX_USB_IDS");
    return ParseUsbIds(environment ? std::string(environment) : setting);
}

}  // namespace vaddex
