// The files installed beside the program: checked in as the generator makes them, and
// doing on the simulator what the program expects of them.
#include <gtest/gtest.h>

#include "SimTestHelpers.h"
#include "sim/calc/DataFiles.h"
#include "util/FileIo.h"

namespace zqsim::test {
namespace {

std::string DataFile(const char* name) {
    std::string content;
    EXPECT_TRUE(vaddex::ReadWholeFile(std::string(ZQSIM_SOURCE_DATA_DIR) + name, content))
        << name << " is missing; run zqsim_datafiles data";
    return content;
}

TEST(DataFiles, CheckedInFilesAreWhatTheGeneratorMakes) {
    EXPECT_EQ(DataFile(kArchiveK7FileName), ArchiveProgramFile("K7"));
    EXPECT_EQ(DataFile(kArchiveK8FileName), ArchiveProgramFile("K8"));
    EXPECT_EQ(DataFile(kServerFileName), ServerProgramFile());
    EXPECT_EQ(ArchiveProgramFile("K7").substr(0, 8), "ZQZQK7-C");
    EXPECT_EQ(ArchiveProgramFile("K8").substr(0, 8), "ZQZQK8-C");
}

TEST(DataFiles, ArchiveProgramSendsHomeAndLeavesTheFlags) {
    for (Personality personality : {Personality::K7, Personality::K8}) {
        SimCalculator calc(personality);
        std::string file = ArchiveProgramFile(calc.SeriesCode());
        ASSERT_TRUE(calc.StoreObject("ARCH", file.substr(8)));
        calc.Execute("RCLF ARCH");  // evaluating the name runs the program
        ExecResult result = calc.Execute("STOF");
        EXPECT_FALSE(result.transmit);
        calc.Execute("RCLF 'ARCH' RCL");
        result = calc.Execute("EVAL STOF");
        ASSERT_TRUE(result.transmit);
        EXPECT_EQ(result.transmit->substr(0, 8), calc.FileHeader());
        ObjPtr backup = ObjectOfFile(*result.transmit);
        ASSERT_TRUE(backup);
        EXPECT_EQ(backup->kind, ObjKind::Backup);
        std::size_t homeCount = 0;
        for (const SimVariableInfo& info : calc.Snapshot()) {
            homeCount += info.path == "HOME" ? 1 : 0;
        }
        EXPECT_EQ(backup->items.at(0)->entries.size(), homeCount);
        EXPECT_TRUE(calc.StackTexts().empty());
    }
}

TEST(DataFiles, ServerProgramIsAFirstSeriesLibrary) {
    SimCalculator k7(Personality::K7, EmptyOptions());
    std::string file = ServerProgramFile();
    ASSERT_TRUE(k7.StoreObject("XSRVR", file.substr(8) + std::string(100, '\x1A')));
    EXPECT_EQ(k7.RecallFile("XSRVR").value_or("").substr(8), file.substr(8));
    EXPECT_EQ(k7.Snapshot().at(0).typeName, "Library");
    k7.Execute("XSRVR TYPE");
    EXPECT_EQ(k7.StackTexts(), std::vector<std::string>{"16."});
}

}  // namespace
}  // namespace zqsim::test
