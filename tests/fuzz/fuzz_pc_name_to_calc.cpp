// PcNameToCalc on arbitrary names in both forms, and the round trip from calculator form.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "objects/CalcNames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name(reinterpret_cast<const char*>(data), size);
    const bool hasZero = name.find('\0') != std::string::npos;
    for (bool fileForm : {false, true}) {
        if (vaddex::PcNameToCalc(name, fileForm).size() > name.size()) {
            std::abort();
        }
        std::string pc = vaddex::CalcNameToPc(name, fileForm);
        if (fileForm && pc.find_first_of("\\/<>:*?\"|") != std::string::npos) {
            std::abort();
        }
        bool roundTrips = !hasZero && (fileForm || name.empty() || name.back() != '\\');
        if (roundTrips && vaddex::PcNameToCalc(pc, fileForm) != name) {
            std::abort();
        }
    }
    return 0;
}
