#pragma once

#include <string>

#include "objects/ScreenPicture.h"

namespace vaddex::cli {

// Whether "screen" can save under this name: what the capture viewer writes (".png", ".bmp",
// ".jpg", ".jpeg", a lone "." or no extension), in any case.
bool IsScreenFileName(const std::string& path);

// Writes the picture through PictureFiles; the file is either complete or untouched. Throws
// CommandFailed when it cannot be written.
void SaveScreenFile(const std::string& path, const ScreenPicture& picture);

}  // namespace vaddex::cli
