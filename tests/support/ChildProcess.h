#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace vaddex::test {

struct ChildOptions {
    std::vector<std::string> argv;  // argv[0]: the name the program is called by
    // The program file; empty: argv[0]. lrzsz chooses its protocol by the name it is called by.
    std::string program;
    std::vector<std::pair<std::string, std::string>> environment;  // set on top of ours
    std::string folder;                                            // working folder; empty: ours
    // Standard input: this descriptor (a pty end), or -1 for a pipe the test writes to.
    int input = -1;
    // Standard output: this descriptor (the pty end a protocol peer talks through), or -1 for
    // a pipe the test reads.
    int output = -1;
    // Standard error: this file, created anew, or empty for a pipe the test reads.
    std::string errorFile;
};

// A program run by a test in a session of its own (so it has no controlling terminal): the
// built programs, zqsim, or an independent protocol peer such as lrzsz. What it prints goes
// to pipes the test reads, unless the options send it elsewhere. The destructor ends a
// process that still runs, by its pid, and reaps it.
class ChildProcess {
public:
    // Throws std::runtime_error when the process cannot be started.
    explicit ChildProcess(const ChildOptions& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }
    void WriteInput(const std::string& text);
    void CloseInput();
    void Signal(int signal);

    // Blocks until standard error (or output) holds `text` or timeoutMs passed; true when it
    // does.
    bool WaitForErr(const std::string& text, int timeoutMs) {
        return WaitFor(text, err_, timeoutMs);
    }
    bool WaitForOut(const std::string& text, int timeoutMs) {
        return WaitFor(text, out_, timeoutMs);
    }
    // Reads the output pipes until both have ended or timeoutMs passed; true when they ended
    // (at once when the output goes elsewhere).
    bool Ended(int timeoutMs);
    // Blocks until the process has ended and its output is read, at most timeoutMs (then it
    // is killed). The exit status, 128 + the signal for a killed process, -1 on time-out.
    int Wait(int timeoutMs);
    // CPU seconds (user and system) the process used; known once Wait has reaped it.
    double CpuSeconds() const { return cpuSeconds_; }

    const std::string& Out() const { return out_; }
    const std::string& Err() const { return err_; }

private:
    bool WaitFor(const std::string& text, const std::string& stream, int timeoutMs);
    // Reads what the pipes hold, waiting at most timeoutMs for something; false at the end
    // of both.
    bool Pump(int timeoutMs);
    // Blocks until the process has exited, at most timeoutMs (-1: no limit), and reaps it;
    // false when it still runs.
    bool Reap(int timeoutMs);

    pid_t pid_ = -1;
    int pidFd_ = -1;
    int inputPipe_ = -1;
    int outPipe_ = -1;
    int errPipe_ = -1;
    std::string out_;
    std::string err_;
    bool ended_ = false;
    int status_ = -1;
    double cpuSeconds_ = 0;
};

// Blocks (in short sleeps) until the file contains `text` or timeoutMs passed.
bool WaitForText(const std::string& file, const std::string& text, int timeoutMs);

// True when the program file exists and may be run.
bool ProgramAvailable(const std::string& program);

}  // namespace vaddex::test
