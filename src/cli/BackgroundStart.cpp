#include "cli/BackgroundStart.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>

namespace vaddex::cli {
namespace {

constexpr char kMounted = 'm';
int gReadyPipe = -1;  // the child's end: one byte tells the parent that the folder is mounted

int ExitStatusOf(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return 1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

std::optional<int> BackgroundStart::Fork() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("cannot go to the background: ") +
                                 std::strerror(errno));
    }
    std::cout.flush();
    std::cerr.flush();
    pid_t child = ::fork();
    if (child < 0) {
        int error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        throw std::runtime_error(std::string("cannot go to the background: ") +
                                 std::strerror(error));
    }
    if (child == 0) {
        ::close(fds[0]);
        gReadyPipe = fds[1];
        ::setsid();  // the terminal's Ctrl-C and hang-up no longer reach the mount
        return std::nullopt;
    }
    ::close(fds[1]);
    char byte = 0;
    ssize_t got = 0;
    do {
        got = ::read(fds[0], &byte, 1);
    } while (got < 0 && errno == EINTR);
    ::close(fds[0]);
    // A child that ended before it mounted has said why on standard error.
    return got == 1 && byte == kMounted ? 0 : ExitStatusOf(child);
}

void BackgroundStart::Detach() {
    if (gReadyPipe < 0) {
        return;
    }
    std::cout.flush();
    std::fflush(stdout);
    int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        // Messages stay on a terminal or in a file; a pipe kept open would hold its reader
        // (a $(...) of the caller) until the mount ends.
        struct stat st {};
        if (::fstat(STDERR_FILENO, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))) {
            ::dup2(null, STDERR_FILENO);
        }
        ::close(null);
    }
    [[maybe_unused]] ssize_t sent = ::write(gReadyPipe, &kMounted, 1);
    ::close(gReadyPipe);
    gReadyPipe = -1;
}

}  // namespace vaddex::cli
