// ParseTextFile on arbitrary file content: only the known mode commands come out, and a text
// goes inline in the command line only when it is short and holds no NUL.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "objects/TextFileForm.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    vaddex::ParsedTextFile parsed = vaddex::ParseTextFile(content);
    if (parsed.stringMode && (size > 300 || parsed.body.find('\0') != std::string::npos)) {
        std::abort();
    }
    const std::string& a = parsed.angle;
    if (!a.empty() && a != "DEG " && a != "RAD " && a != "GRAD ") {
        std::abort();
    }
    const std::string& f = parsed.fraction;
    if (!f.empty() && f != "-51 SF " && f != "-51 CF ") {
        std::abort();
    }
    return 0;
}
