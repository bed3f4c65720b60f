// The stack picture from the list the calculator sends: at most seven lines, each "n: ...",
// numbered down to 1, whatever the bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "session/StackLines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines = vaddex::StackLinesFromList(input);
    if (lines.size() > 7) {
        std::abort();
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind(std::to_string(lines.size() - i) + ": ", 0) != 0) {
            std::abort();
        }
    }
    return 0;
}
