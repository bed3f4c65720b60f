#include "support/ChildPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "util/FileIo.h"
#include "util/Ticks.h"

extern char** environ;

namespace vaddex::test {

ChildPeer::ChildPeer(const std::string& program, const std::vector<std::string>& args, int stdioFd,
                     const std::string& folder, const std::string& errorFile) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, stdioFd, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, stdioFd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<char*> argv;
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(rc));
    }
    pidFd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
}

ChildPeer::~ChildPeer() {
    Kill();
    if (pidFd_ >= 0) {
        ::close(pidFd_);
    }
}

bool ChildPeer::WaitExit(int timeoutMs, int* status) {
    if (reaped_) {
        return true;
    }
    if (pidFd_ >= 0) {
        pollfd entry{pidFd_, POLLIN, 0};
        int rc;
        do {
            rc = ::poll(&entry, 1, timeoutMs);
        } while (rc < 0 && errno == EINTR);
        if (rc == 0) {
            return false;
        }
    }
    int exitStatus = 0;
    rusage usage{};
    pid_t got = ::wait4(pid_, &exitStatus, pidFd_ >= 0 ? 0 : WNOHANG, &usage);
    for (std::int64_t end = TickMs() + timeoutMs; got == 0 && TickMs() < end;) {
        SleepMs(10);  // no process descriptor on this kernel: look again shortly
        got = ::wait4(pid_, &exitStatus, WNOHANG, &usage);
    }
    if (got != pid_) {
        return false;
    }
    reaped_ = true;
    cpuSeconds_ = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                  usage.ru_stime.tv_usec / 1e6;
    if (status != nullptr) {
        *status = exitStatus;
    }
    return true;
}

void ChildPeer::Kill() {
    if (pid_ <= 0 || reaped_) {
        return;
    }
    ::kill(pid_, SIGTERM);
    if (!WaitExit(1000)) {
        ::kill(pid_, SIGKILL);
        WaitExit(5000);
    }
}

PeerPty::PeerPty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
        ReleaseMaster();
        throw std::runtime_error("no pseudo-terminal");
    }
    slavePath_ = name;
}

PeerPty::~PeerPty() {
    ReleaseMaster();
}

void PeerPty::ReleaseMaster() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
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
