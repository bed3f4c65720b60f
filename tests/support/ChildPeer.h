#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace vaddex::test {

// An independent protocol peer (an lrzsz program) run as a child process whose standard input
// and output are one descriptor, e.g. the master side of a pseudo-terminal. Ended by its pid
// when it is still running as the object goes.
class ChildPeer {
public:
    // Starts `program` with `args` (args[0] is the name the program is called by, which lrzsz
    // uses to choose its protocol) in `folder`. Standard error goes to `errorFile`. Throws on
    // failure.
    ChildPeer(const std::string& program, const std::vector<std::string>& args, int stdioFd,
              const std::string& folder, const std::string& errorFile);
    ~ChildPeer();
    ChildPeer(const ChildPeer&) = delete;
    ChildPeer& operator=(const ChildPeer&) = delete;

    // Blocks until the child has exited or timeoutMs passed; true with its exit status in
    // *status (the waitpid form) when it exited.
    bool WaitExit(int timeoutMs, int* status = nullptr);
    // Sends SIGTERM, then SIGKILL if it is still there after a second, and reaps it.
    void Kill();

    pid_t Pid() const { return pid_; }
    // CPU seconds (user and system) the child used; known once it has exited and been reaped.
    double CpuSeconds() const { return cpuSeconds_; }

private:
    pid_t pid_ = -1;
    double cpuSeconds_ = 0;
    int pidFd_ = -1;
    bool reaped_ = false;
};

// A fresh pseudo-terminal for one peer program: the program gets the master, the link opens
// the slave. Each case needs its own, because a killed peer leaves CAN bytes behind.
class PeerPty {
public:
    PeerPty();  // throws std::runtime_error when none can be had
    ~PeerPty();
    PeerPty(const PeerPty&) = delete;
    PeerPty& operator=(const PeerPty&) = delete;

    int Master() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }
    // Drops our copy of the master once the peer holds it, so that the link sees the line
    // hang up when the peer exits.
    void ReleaseMaster();

private:
    int master_ = -1;
    std::string slavePath_;
};

// Blocks (in short sleeps) until the file contains `text` or timeoutMs passed.
bool WaitForText(const std::string& file, const std::string& text, int timeoutMs);

// True when the program file exists and may be run.
bool ProgramAvailable(const std::string& program);

}  // namespace vaddex::test
