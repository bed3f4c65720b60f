#include "cli/ScreenFile.h"

#include <cstring>
#include <stdexcept>

#include "cli/CliErrors.h"
#include "objects/PictureFiles.h"

namespace vaddex::cli {

bool IsScreenFileName(const std::string& path) {
    return PictureFormatFor(path) != PictureFormat::None;
}

void SaveScreenFile(const std::string& path, const ScreenPicture& picture) {
    int error = 0;
    bool written = false;
    try {
        written = WritePictureFile(path, picture, &error);
    } catch (const std::runtime_error& e) {
        throw CommandFailed(e.what());
    }
    if (!written) {
        throw CommandFailed("Cannot write " + path + ": " + std::strerror(error));
    }
}

}  // namespace vaddex::cli
