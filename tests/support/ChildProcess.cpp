#include "support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "util/FileIo.h"
#include "util/Ticks.h"

namespace vaddex::test {
namespace {

constexpr int kExitGraceMs = 1000;

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

ChildProcess::ChildProcess(const ChildOptions& options) {
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if ((options.input < 0 && ::pipe2(in, O_CLOEXEC) != 0) ||
        (options.output < 0 && ::pipe2(out, O_CLOEXEC) != 0) ||
        (options.errorFile.empty() && ::pipe2(err, O_CLOEXEC) != 0)) {
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
            CloseFd(fd);
        }
        throw std::runtime_error("pipe failed");
    }
    std::vector<char*> argv;
    for (const std::string& word : options.argv) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    const char* program = options.program.empty() ? argv[0] : options.program.c_str();
    // Everything the child needs is made before the fork: after it only async-signal-safe
    // calls are made.
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string text = *entry;
        bool replaced = false;
        for (const auto& [name, value] : options.environment) {
            replaced = replaced || text.rfind(name + "=", 0) == 0;
        }
        if (!replaced) {
            environment.push_back(text);
        }
    }
    for (const auto& [name, value] : options.environment) {
        environment.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (std::string& text : environment) {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        ::setsid();
        ::dup2(options.input >= 0 ? options.input : in[0], STDIN_FILENO);
        ::dup2(options.output >= 0 ? options.output : out[1], STDOUT_FILENO);
        int errorFd = options.errorFile.empty()
                          ? err[1]
                          : ::open(options.errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(errorFd, STDERR_FILENO);
        if (!options.folder.empty() && ::chdir(options.folder.c_str()) != 0) {
            ::_exit(126);
        }
        ::execve(program, argv.data(), envp.data());
        ::_exit(127);
    }
    pidFd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    CloseFd(in[0]);
    CloseFd(out[1]);
    CloseFd(err[1]);
    inputPipe_ = in[1];
    outPipe_ = out[0];
    errPipe_ = err[0];
}

ChildProcess::~ChildProcess() {
    if (!ended_) {
        ::kill(pid_, SIGKILL);
        Reap(-1);
    }
    CloseFd(pidFd_);
    CloseFd(inputPipe_);
    CloseFd(outPipe_);
    CloseFd(errPipe_);
}

void ChildProcess::WriteInput(const std::string& text) {
    if (inputPipe_ >= 0) {
        [[maybe_unused]] ssize_t ignored = ::write(inputPipe_, text.data(), text.size());
    }
}

void ChildProcess::CloseInput() {
    CloseFd(inputPipe_);
}

void ChildProcess::Signal(int signal) {
    if (!ended_) {
        ::kill(pid_, signal);
    }
}

bool ChildProcess::Pump(int timeoutMs) {
    pollfd fds[2] = {{outPipe_, POLLIN, 0}, {errPipe_, POLLIN, 0}};
    if (outPipe_ < 0 && errPipe_ < 0) {
        return false;
    }
    int n = ::poll(fds, 2, timeoutMs);
    if (n <= 0) {
        return true;
    }
    std::string* targets[2] = {&out_, &err_};
    int* pipes[2] = {&outPipe_, &errPipe_};
    for (int i = 0; i < 2; ++i) {
        if (fds[i].revents == 0) {
            continue;
        }
        char buffer[4096];
        ssize_t count = ::read(*pipes[i], buffer, sizeof buffer);
        if (count > 0) {
            targets[i]->append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0 || errno != EINTR) {
            CloseFd(*pipes[i]);
        }
    }
    return true;
}

bool ChildProcess::WaitFor(const std::string& text, const std::string& stream, int timeoutMs) {
    std::int64_t deadline = TickMs() + timeoutMs;
    while (stream.find(text) == std::string::npos) {
        std::int64_t left = deadline - TickMs();
        if (left <= 0 || !Pump(static_cast<int>(left))) {
            return stream.find(text) != std::string::npos;
        }
    }
    return true;
}

bool ChildProcess::Ended(int timeoutMs) {
    std::int64_t deadline = TickMs() + timeoutMs;
    while (outPipe_ >= 0 || errPipe_ >= 0) {
        std::int64_t left = deadline - TickMs();
        if (left <= 0) {
            return false;
        }
        Pump(static_cast<int>(left));
    }
    return true;
}

int ChildProcess::Wait(int timeoutMs) {
    if (ended_) {
        return status_;
    }
    std::int64_t deadline = TickMs() + timeoutMs;
    // A process whose pipes have ended is exiting: it gets a moment to do so.
    auto left = static_cast<int>(std::max<std::int64_t>(kExitGraceMs, deadline - TickMs()));
    if (!Ended(timeoutMs) || !Reap(left)) {
        ::kill(pid_, SIGKILL);
        Reap(-1);
        return status_ = -1;
    }
    return status_;
}

bool ChildProcess::Reap(int timeoutMs) {
    if (ended_) {
        return true;
    }
    if (pidFd_ >= 0 && timeoutMs >= 0) {
        pollfd entry{pidFd_, POLLIN, 0};
        int rc;
        do {
            rc = ::poll(&entry, 1, timeoutMs);
        } while (rc < 0 && errno == EINTR);
        if (rc == 0) {
            return false;
        }
    }
    int status = 0;
    rusage usage{};
    bool patient = timeoutMs < 0 || pidFd_ >= 0;
    pid_t got = ::wait4(pid_, &status, patient ? 0 : WNOHANG, &usage);
    for (std::int64_t end = TickMs() + timeoutMs; got == 0 && TickMs() < end;) {
        SleepMs(10);  // no process descriptor on this kernel: look again shortly
        got = ::wait4(pid_, &status, WNOHANG, &usage);
    }
    if (got != pid_) {
        return false;
    }
    ended_ = true;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    cpuSeconds_ = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return true;
}

bool WaitForText(const std::string& file, const std::string& text, int timeoutMs) {
    std::int64_t end = TickMs() + timeoutMs;
    std::string content;
    while (!ReadWholeFile(file, content) || content.find(text) == std::string::npos) {
        if (TickMs() >= end) {
            return false;
        }
        SleepMs(5);
    }
    return true;
}

bool ProgramAvailable(const std::string& program) {
    return ::access(program.c_str(), X_OK) == 0;
}

}  // namespace vaddex::test
