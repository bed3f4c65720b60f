// VersionDigits on an arbitrary reply; the first byte chooses the count.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "objects/TextFileForm.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t count = data[0] % 32;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string digits = vaddex::VersionDigits(text, count);
    if (digits.size() != count) {
        std::abort();
    }
    for (char c : digits) {
        if (c != '0' && text.find(c) == std::string::npos) {
            std::abort();
        }
    }
    return 0;
}
