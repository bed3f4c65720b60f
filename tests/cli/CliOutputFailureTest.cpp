// Output that cannot be written fails the command with the system's reason, and a get
// reports the bytes it wrote wherever they went.

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliHarness.h"

namespace vaddex::test {
namespace {

// GREETING of the built-in calculator's demo memory, as a binary object file.
constexpr std::size_t kGreetingFileSize = 23;

enum class Target { Pipe, PipeClosedEarly, FullDevice, Closed };

struct OutputCase {
    const char* name;
    Target target;
    std::vector<std::string> arguments;  // after "-p sim"
    const char* message;                 // a line of standard error, or a part of it
};

void PrintTo(const OutputCase& c, std::ostream* out) {
    *out << c.name;
}

class CliOutputFailureTest : public ::testing::TestWithParam<OutputCase> {
protected:
    CliHarness cli_;
};

// Standard output as the case asks for; the test's copy is closed once the program runs.
int OpenTarget(Target target) {
    if (target == Target::Pipe) {
        return -1;  // the harness's own, which it reads
    }
    if (target == Target::Closed) {
        return CliHarness::kClosedOutput;
    }
    if (target == Target::FullDevice) {
        return ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return -1;
    }
    ::close(ends[0]);  // nobody will ever read: every write meets EPIPE
    return ends[1];
}

TEST_P(CliOutputFailureTest, FailsWithTheReason) {
    const OutputCase& c = GetParam();
    int output = OpenTarget(c.target);
    ASSERT_TRUE(output != -1 || c.target == Target::Pipe);
    std::vector<std::string> arguments = {"-p", "sim"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    CliResult result = cli_.RunWithOutput(arguments, output);
    if (output >= 0) {
        ::close(output);
    }
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    LostOutput, CliOutputFailureTest,
    ::testing::Values(OutputCase{"ObjectIntoAPipeClosedEarly",
                                 Target::PipeClosedEarly,
                                 {"get", "GREETING", "-"},
                                 "vaddex-cli: standard output: Broken pipe\n"},
                      OutputCase{"ListingIntoAPipeClosedEarly",
                                 Target::PipeClosedEarly,
                                 {"ls"},
                                 "vaddex-cli: standard output: Broken pipe\n"},
                      OutputCase{"ObjectOntoAFullDevice",
                                 Target::FullDevice,
                                 {"get", "GREETING", "-"},
                                 "vaddex-cli: standard output: No space left on device\n"},
                      OutputCase{"ListingOntoAFullDevice",
                                 Target::FullDevice,
                                 {"ls"},
                                 "vaddex-cli: standard output: No space left on device\n"},
                      OutputCase{"VersionOntoAFullDevice",
                                 Target::FullDevice,
                                 {"--version"},
                                 "vaddex-cli: standard output: No space left on device\n"},
                      OutputCase{"EveryCommandOfASessionOntoAFullDevice",
                                 Target::FullDevice,
                                 {"-e", "ls", "-e", "stack"},
                                 "vaddex-cli: standard output: No space left on device\n"},
                      OutputCase{"ObjectIntoAClosedOutput",
                                 Target::Closed,
                                 {"get", "GREETING", "-"},
                                 "vaddex-cli: standard output: Bad file descriptor\n"},
                      OutputCase{"ListingIntoAClosedOutput",
                                 Target::Closed,
                                 {"ls"},
                                 "vaddex-cli: standard output: Bad file descriptor\n"},
                      OutputCase{"ReportOfAGetIntoAClosedOutput",
                                 Target::Closed,
                                 {"get", "GREETING", "g.zq"},
                                 "vaddex-cli: standard output: Bad file descriptor\n"},
                      OutputCase{"NamedFileOnAFullDevice",
                                 Target::Pipe,
                                 {"get", "GREETING", "/dev/full"},
                                 "/dev/full: No space left on device"},
                      OutputCase{
                          "TraceOnAFullDevice",
                          Target::Pipe,
                          {"--trace", "/dev/full", "ls"},
                          "vaddex-cli: the trace file /dev/full: No space left on device\n"}),
    [](const ::testing::TestParamInfo<OutputCase>& info) { return info.param.name; });

// A device behind a link keeps no size to read back: the report gives what was written, the
// size the same command writes into a regular file.
TEST(CliGetReportTest, BytesWrittenThroughALinkToADevice) {
    CliHarness cli;
    const std::vector<std::vector<std::string>> commands = {
        {"get", "GREETING"}, {"backup"}, {"--sim-name", "GREETING", "xsend"}};
    int n = 0;
    for (std::vector<std::string> command : commands) {
        SCOPED_TRACE(command[0]);
        std::string file = "regular" + std::to_string(n) + ".zq";
        std::string link = "null" + std::to_string(n++) + ".zq";
        std::filesystem::create_symlink("/dev/null", cli.Work(link));
        std::vector<std::string> words = {"-p", "sim", "--yes"};
        words.insert(words.end(), command.begin(), command.end());
        words.push_back(file);
        ASSERT_EQ(cli.Run(words).status, 0);
        std::size_t size = std::filesystem::file_size(cli.Work(file));
        words.back() = link;
        CliResult result = cli.Run(words);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, "Wrote " + link + " (" + std::to_string(size) + " bytes)\n");
        EXPECT_TRUE(std::filesystem::is_symlink(cli.Work(link))) << "the link stays a link";
    }
    EXPECT_EQ(std::filesystem::file_size(cli.Work("regular0.zq")), kGreetingFileSize);
}

}  // namespace
}  // namespace vaddex::test
