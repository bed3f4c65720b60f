#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

// Helpers of the benchmarks that time the built programs run as a user runs them.
namespace vaddex::bench {

// A process started with its output into `outPath` and its errors into `outPath`.err (so
// progress lines stay out of the figures), found on PATH unless given with a folder; ended
// by its pid when the object goes.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::string& outPath) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::string errPath = outPath + ".err";
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<char*> args;
        for (const std::string& word : argv) {
            args.push_back(const_cast<char*>(word.c_str()));
        }
        args.push_back(nullptr);
        int error = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
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

// Runs a program to its end; a failure is raised with its command line.
inline void RunToEnd(const std::vector<std::string>& argv, const std::string& outPath) {
    Process program(argv, outPath);
    if (program.Wait() != 0) {
        std::string line;
        for (const std::string& word : argv) {
            line += (line.empty() ? "" : " ") + word;
        }
        std::ifstream err(outPath + ".err");
        std::stringstream said;
        said << err.rdbuf();
        throw std::runtime_error("failed: " + line + "\n" + said.str());
    }
}

// A binary string object file holding `chars`.
inline std::string StringFile(const std::string& chars) {
    std::size_t length = 5 + 2 * chars.size();  // nibbles, the length field included
    std::string file = "ZQZQK8-R";
    file += static_cast<char>(0x2C);
    file += static_cast<char>(0x2A);
    file += static_cast<char>((length & 0xF) << 4);
    file += static_cast<char>((length >> 4) & 0xFF);
    file += static_cast<char>((length >> 12) & 0xFF);
    return file + chars;
}

inline double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The first complete line a started program writes to `path`, waited for a few seconds.
inline std::string FirstLine(const std::filesystem::path& path) {
    for (int tries = 0; tries < 100; ++tries) {
        std::ifstream in(path);
        std::string line;
        if (std::getline(in, line) && in.good()) {
            return line;
        }
        ::usleep(50000);
    }
    throw std::runtime_error(path.string() + " holds no line");
}

// Blocks until the file holds `text`, looking often enough for the wait to time a start-up;
// false after timeoutMs.
inline bool WaitForText(const std::filesystem::path& path, const std::string& text, int timeoutMs) {
    constexpr int kLookUs = 2000;
    for (int waited = 0; waited <= timeoutMs * 1000; waited += kLookUs) {
        std::ifstream in(path);
        std::stringstream content;
        content << in.rdbuf();
        if (content.str().find(text) != std::string::npos) {
            return true;
        }
        ::usleep(kLookUs);
    }
    return false;
}

}  // namespace vaddex::bench
