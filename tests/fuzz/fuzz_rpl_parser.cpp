// The simulated calculator's parser of command lines: any bytes parse or raise its own
// syntax error, with either decimal mark.
#include <cstdint>
#include <string_view>

#include "sim/calc/RplError.h"
#include "sim/calc/RplParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (char mark : {'.', ','}) {
        try {
            zqsim::ParseCommandLine(text, mark);
        } catch (const zqsim::RplError&) {
            // the calculator's "Invalid Syntax"
        }
    }
    return 0;
}
