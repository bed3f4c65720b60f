// What a session saves a script: ten gets of 1 KB variables from zqsim on a pseudo-terminal,
// once as ten invocations of vaddex-cli (each connecting, identifying and listing) and once
// as one invocation with ten -e commands. Prints both times and their ratio.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchPrograms.h"

namespace {

using vaddex::bench::FirstLine;
using vaddex::bench::Process;
using vaddex::bench::Seconds;
using vaddex::bench::StringFile;

constexpr int kGets = 10;
constexpr std::size_t kVariableChars = 1000;

namespace fs = std::filesystem;

void RunCli(const fs::path& folder, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), VADDEX_CLI_PATH);
    vaddex::bench::RunToEnd(arguments, (folder / "cli-out.txt").string());
}

int Bench(const fs::path& folder) {
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    Process sim({ZQSIM_PATH}, (folder / "zqsim-out.txt").string());
    std::string port = FirstLine(folder / "zqsim-out.txt");

    std::vector<std::string> put = {"-p", port, "--yes"};
    for (int i = 0; i < kGets; ++i) {
        std::string path = (folder / ("KB" + std::to_string(i) + ".zq")).string();
        std::ofstream(path, std::ios::binary) << StringFile(std::string(kVariableChars, 'a' + i));
        put.push_back("-e");
        put.push_back("put " + path);
    }
    RunCli(folder, put);

    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kGets; ++i) {
        RunCli(folder, {"-p", port, "get", "KB" + std::to_string(i),
                        (folder / ("one" + std::to_string(i) + ".zq")).string()});
    }
    double separate = Seconds(start);

    std::vector<std::string> session = {"-p", port};
    for (int i = 0; i < kGets; ++i) {
        session.push_back("-e");
        session.push_back("get KB" + std::to_string(i) + " " +
                          (folder / ("all" + std::to_string(i) + ".zq")).string());
    }
    start = std::chrono::steady_clock::now();
    RunCli(folder, session);
    double together = Seconds(start);

    std::printf("%d gets of %zu-character strings from zqsim\n", kGets, kVariableChars);
    std::printf("  separate invocations: %.2f s\n", separate);
    std::printf("  one session (-e):     %.2f s\n", together);
    std::printf("  ratio session / separate: %.2f (target <= 0.40)\n", together / separate);
    return 0;
}

}  // namespace

int main() {
    fs::path folder = fs::temp_directory_path() / ("bench-cli-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    int status = 1;
    try {
        status = Bench(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_cli_session: %s\n", e.what());
    }
    std::error_code error;
    fs::remove_all(folder, error);
    return status;
}
