// ObjectSize on arbitrary bytes: it must never read outside them, never make them longer,
// and leave them untouched when it fails.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "objects/ObjectSize.h"

namespace {
std::int64_t FrozenClock() {
    return 1;  // no time limit: a fuzz input must be walked to its end
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string file = input;
    vaddex::ObjectSizeResult result = vaddex::ObjectSize(file, 1, &FrozenClock);
    if (!result.success) {
        if (file != input) {
            std::abort();
        }
        return 0;
    }
    // The shortest object is a prolog behind the 8-byte header.
    if (file.size() > input.size() || file.size() < 11) {
        std::abort();
    }
    if (file.compare(0, file.size() - 1, input, 0, file.size() - 1) != 0) {
        std::abort();
    }
    if (result.odd && (static_cast<unsigned char>(file.back()) >> 4) != 0) {
        std::abort();
    }
    return 0;
}
