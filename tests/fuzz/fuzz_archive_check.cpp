// Any file offered for a restore: the archive check never raises, and it accepts a file only
// when it starts with the series' binary head.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "session/ArchiveCheck.h"
#include "util/AppPaths.h"
#include "util/FileIo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The run's private temporary folder goes, with the file, when the fuzzer ends.
    static const std::string path = vaddex::TempFolder() + "archive";
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (!vaddex::WriteWholeFile(path, input)) {
        std::abort();
    }
    for (const char* series : {"K7", "K8"}) {
        vaddex::ArchiveVerdict verdict = vaddex::CheckArchiveFile(path, series);
        if (verdict.Restorable() && input.rfind(std::string("ZQZQ") + series, 0) != 0) {
            std::abort();
        }
    }
    return 0;
}
