#include "sim/calc/DataFiles.h"

#include "sim/calc/NibbleFields.h"
#include "sim/calc/ObjectCodec.h"
#include "sim/calc/PrologTable.h"
#include "sim/calc/RplParser.h"

namespace zqsim {

namespace {

// Files built for the program carry the letter C in their header.
std::string Header(const std::string& seriesCode) {
    return "ZQZQ" + seriesCode + "-C";
}

constexpr std::uint32_t kServerLibraryNumber = 1234;
constexpr const char* kServerLibraryName = "XSRVR";
constexpr const char* kServerBody =
    "ZQ K7 XModem server, stand-in for the simulator. Commands: E G P V M l Q. ";
constexpr int kServerBodyRepeats = 8;

}  // namespace

std::string ArchiveProgramFile(const std::string& seriesCode) {
    ObjPtr program = ParseCommandLine("\xAB :IO:BACKUP ARCHIVE \xBB", '.').at(0);
    return Header(seriesCode) + NibblesToBytes(EncodeObject(*program));
}

std::string ServerProgramFile() {
    std::string body;
    std::string name = kServerLibraryName;
    AppendField(body, static_cast<std::uint32_t>(name.size()), 2);
    AppendBytes(body, name);
    AppendField(body, kServerLibraryNumber, 3);
    for (int i = 0; i < kServerBodyRepeats; ++i) {
        AppendBytes(body, kServerBody);
    }
    std::string library;
    AppendField(library, kPrologLibrary, 5);
    AppendField(library, static_cast<std::uint32_t>(5 + body.size()), 5);
    library += body;
    return Header("K7") + NibblesToBytes(library);
}

}  // namespace zqsim
