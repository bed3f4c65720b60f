#pragma once

#include <string>

namespace zqsim {

// The files installed beside the program, as the generator writes them.

// ArchK7.zq / ArchK8.zq: the archive program « :IO:BACKUP ARCHIVE » in the series'
// binary object file form ("K7" or "K8"). Evaluated by "EVAL STOF" with the saved flags
// beneath it, it sends HOME as one Backup object and leaves the flags for STOF.
std::string ArchiveProgramFile(const std::string& seriesCode);

// XSrvrK7.zq: a first-series Library object standing for the XModem server program.
std::string ServerProgramFile();

// The file names, in the data folder.
inline constexpr const char* kArchiveK7FileName = "ArchK7.zq";
inline constexpr const char* kArchiveK8FileName = "ArchK8.zq";
inline constexpr const char* kServerFileName = "XSrvrK7.zq";

}  // namespace zqsim
