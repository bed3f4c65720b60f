// What a session saves a script: ten gets of 1 KB variables from zqsim on a pseudo-terminal,
// once as ten invocations of vaddex-cli (each connecting, identifying and listing) and once
// as one invocation with ten -e commands. Prints both times and their ratio.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kGets = 10;
constexpr std::size_t kVariableChars = 1000;

namespace fs = std::filesystem;

// A process started with its output into `outPath`; ended by its pid when the object goes.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::string& outPath) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<char*> args;
        for (const std::string& word : argv) {
            args.push_back(const_cast<char*>(word.c_str()));
        }
        args.push_back(nullptr);
        int error = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0) {
            throw std::runtime_error("cannot start " + argv[0]);
        }
    }
    ~Process() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            Wait();
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Blocks until the process ends; its exit status.
    int Wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
};

// A binary string object file of `chars` characters.
std::string StringFile(std::size_t chars, char fill) {
    std::size_t length = 5 + 2 * chars;  // nibbles, the length field included
    std::string file = "ZQZQK8-R";
    file += static_cast<char>(0x2C);
    file += static_cast<char>(0x2A);
    file += static_cast<char>((length & 0xF) << 4);
    file += static_cast<char>((length >> 4) & 0xFF);
    file += static_cast<char>((length >> 12) & 0xFF);
    return file + std::string(chars, fill);
}

void RunCli(const fs::path& folder, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), VADDEX_CLI_PATH);
    Process cli(arguments, (folder / "cli-out.txt").string());
    if (cli.Wait() != 0) {
        throw std::runtime_error("vaddex-cli failed: " + arguments.back());
    }
}

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string FirstLine(const fs::path& path) {
    for (int tries = 0; tries < 100; ++tries) {
        std::ifstream in(path);
        std::string line;
        if (std::getline(in, line) && in.good()) {
            return line;
        }
        ::usleep(50000);
    }
    throw std::runtime_error("zqsim printed no port");
}

int Bench(const fs::path& folder) {
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    Process sim({ZQSIM_PATH}, (folder / "zqsim-out.txt").string());
    std::string port = FirstLine(folder / "zqsim-out.txt");

    std::vector<std::string> put = {"-p", port, "--yes"};
    for (int i = 0; i < kGets; ++i) {
        std::string path = (folder / ("KB" + std::to_string(i) + ".zq")).string();
        std::ofstream(path, std::ios::binary) << StringFile(kVariableChars, 'a' + i);
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
