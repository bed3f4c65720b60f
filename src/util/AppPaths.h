#pragma once

#include <string>

namespace vaddex {

// Folder of the running program file, with a trailing "/".
std::string ProgramFolder();

// Folder of the files installed beside the program (archive and server programs, help),
// with a trailing "/": $VADDEX_DATA_DIR when set, else the installed share folder when it
// exists, else the build tree's data/ folder.
std::string DataFolder();

// One private folder per run under the system temporary folder (owner-only access),
// with a trailing "/". Made on first use and removed with its content when the
// process ends normally. Throws std::runtime_error when it cannot be made.
std::string TempFolder();

}  // namespace vaddex
