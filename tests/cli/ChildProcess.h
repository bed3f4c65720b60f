#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace vaddex::test {

struct ChildOptions {
    std::vector<std::string> argv;                                 // argv[0]: the program's path
    std::vector<std::pair<std::string, std::string>> environment;  // set on top of ours
    std::string folder;                                            // working folder; empty: ours
    // Standard input: this descriptor (a pty slave), or -1 for a pipe the test writes to.
    int input = -1;
};

// A program run by a test in a session of its own (so it has no controlling terminal),
// with its standard output and error read through pipes. The destructor ends a process that
// still runs, by its pid, and waits for it.
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
    // Reads the output until the process has ended or timeoutMs passed; true when it ended.
    bool Ended(int timeoutMs);
    // Blocks until the process has ended and its output is read, at most timeoutMs (then it
    // is killed). The exit status, 128 + the signal for a killed process, -1 on time-out.
    int Wait(int timeoutMs);

    const std::string& Out() const { return out_; }
    const std::string& Err() const { return err_; }

private:
    bool WaitFor(const std::string& text, const std::string& stream, int timeoutMs);
    // Reads what the pipes hold, waiting at most timeoutMs for something; false at the end
    // of both.
    bool Pump(int timeoutMs);

    pid_t pid_ = -1;
    int inputPipe_ = -1;
    int outPipe_ = -1;
    int errPipe_ = -1;
    std::string out_;
    std::string err_;
    bool ended_ = false;
    int status_ = -1;
};

}  // namespace vaddex::test
