// zqsim_datafiles DIR: writes the archive program files and the server program file that
// are installed beside the program.
#include <cstdio>
#include <string>

#include "sim/calc/DataFiles.h"
#include "util/FileIo.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zqsim_datafiles DIR\n");
        return 2;
    }
    std::string folder = argv[1];
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    const std::pair<const char*, std::string> files[] = {
        {zqsim::kArchiveK7FileName, zqsim::ArchiveProgramFile("K7")},
        {zqsim::kArchiveK8FileName, zqsim::ArchiveProgramFile("K8")},
        {zqsim::kServerFileName, zqsim::ServerProgramFile()},
    };
    for (const auto& [name, content] : files) {
        int error = 0;
        if (!vaddex::WriteWholeFile(folder + name, content, &error)) {
            std::fprintf(stderr, "cannot write %s%s (error %d)\n", folder.c_str(), name, error);
            return 1;
        }
    }
    return 0;
}
