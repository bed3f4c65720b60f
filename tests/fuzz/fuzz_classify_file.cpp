// Any file's first bytes: ClassifyFile calls it binary exactly with the series' binary head,
// text exactly with a text head, and names a kind for the wrong-file question otherwise.
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>

#include "objects/ClassifyFile.h"
#include "util/AppPaths.h"
#include "util/FileIo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The run's private temporary folder goes, with the file, when the fuzzer ends.
    static const std::string path = vaddex::TempFolder() + "classify";
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (!vaddex::WriteWholeFile(path, input)) {
        std::abort();
    }
    for (const char* series : {"K7", "K8"}) {
        vaddex::FileClass c;
        try {
            c = vaddex::ClassifyFile(path, series);
        } catch (const std::exception&) {
            continue;  // a short file may be refused with an error
        }
        bool zqzq = input.rfind("ZQZQ", 0) == 0;
        bool binary = input.rfind(std::string("ZQZQ") + series, 0) == 0;
        bool text = input.rfind("%ZQZQ: ", 0) == 0 || input.rfind("%%ZQ: ", 0) == 0;
        bool neither = c.form == vaddex::FileForm::Neither;
        if (c.beginsWithZqzq != zqzq || (c.form == vaddex::FileForm::Binary) != binary ||
            (c.form == vaddex::FileForm::Text) != (text && !binary) || neither == c.kind.empty()) {
            std::abort();
        }
    }
    return 0;
}
