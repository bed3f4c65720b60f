#pragma once

#include <string>
#include <vector>

namespace vaddex {

// Folder of the running program file, with a trailing "/".
std::string ProgramFolder();

// The folders looked in for the files installed beside the program (archive and server
// programs, help), in order, each with a trailing "/": only $VADDEX_DATA_DIR when set; else
// only the share folder of an installed program; else (a build tree) its data/ folder, then
// the configured install folder.
std::vector<std::string> DataFolders();

// The first of DataFolders() that exists (the first one when none does).
std::string DataFolder();

// Path of the data file NAME in the first of DataFolders() that holds it. When none does the
// operation is abandoned with a message naming every folder looked in.
std::string DataFilePath(const std::string& name);

// One private folder per run under the system temporary folder (owner-only access),
// with a trailing "/". Made on first use and removed with its content when the
// process ends normally. Throws std::runtime_error when it cannot be made.
std::string TempFolder();

}  // namespace vaddex
