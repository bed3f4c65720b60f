#include "cli/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "util/Ticks.h"

namespace vaddex::test {
namespace {

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

ChildProcess::ChildProcess(const ChildOptions& options) {
    int in[2] = {-1, -1};
    int out[2];
    int err[2];
    if ((options.input < 0 && ::pipe2(in, O_CLOEXEC) != 0) || ::pipe2(out, O_CLOEXEC) != 0 ||
        ::pipe2(err, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<char*> argv;
    for (const std::string& word : options.argv) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
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
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        if (!options.folder.empty() && ::chdir(options.folder.c_str()) != 0) {
            ::_exit(126);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    if (options.input < 0) {
        ::close(in[0]);
        inputPipe_ = in[1];
    }
    ::close(out[1]);
    ::close(err[1]);
    outPipe_ = out[0];
    errPipe_ = err[0];
}

ChildProcess::~ChildProcess() {
    if (!ended_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
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
    if (!Ended(timeoutMs)) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        ended_ = true;
        return status_ = -1;
    }
    int status = 0;
    ::waitpid(pid_, &status, 0);
    ended_ = true;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return status_;
}

}  // namespace vaddex::test
