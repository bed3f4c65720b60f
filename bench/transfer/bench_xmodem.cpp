// sx -k (lrzsz) sends the same 1 MiB file over a pseudo-terminal, once to lrzsz's rx and once
// to TYModemRX, and the throughput and CPU cost of the two receivers are compared.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/CommLink.h"
#include "transfer/TYModemRX.h"
#include "util/FileIo.h"
#include "util/Ticks.h"
#include "util/UiCallQueue.h"

extern char** environ;

namespace {

using vaddex::TickMs;

constexpr const char* kSx = "/usr/bin/sx";
constexpr const char* kRx = "/usr/bin/rx";
constexpr std::size_t kFileSize = 1 << 20;
constexpr int kRounds = 3;
constexpr int kPeerTimeoutMs = 60000;

// The window-less UI thread of the benchmark: the main thread runs the thread's reports.
class BenchUi : public vaddex::LinkUi {
public:
    void ProcessEvents() override { queue_.RunPending(); }
    bool IsUiThread() const override { return queue_.IsUiThread(); }
    bool IsWorkingWindowVisible() const override { return false; }
    bool IsPromptVisible() const override { return false; }
    void SetConnected(bool) override {}
    void CloseConnectStatus() override {}
    void FocusMainWindow() override {}
    void RunOnUiThread(const std::function<void()>& fn) override { queue_.RunOnUiThread(fn); }
    void ShowMessage(const std::string&, const std::string&) override {}
    vaddex::UiCallQueue& Queue() { return queue_; }

private:
    vaddex::UiCallQueue queue_;
};

struct Pty {
    int master = -1;
    std::string slavePath;
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        char name[128];
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
            ::ptsname_r(master, name, sizeof name) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        slavePath = name;
    }
    ~Pty() { ::close(master); }
};

class Child {
public:
    Child(const char* program, std::vector<std::string> args, int stdioFd,
          const std::string& folder, const std::string& errorFile) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, stdioFd, STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, stdioFd, STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        // rx refuses absolute paths in its restricted mode: it writes into its own folder.
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        int rc = posix_spawn(&pid_, program, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            throw std::runtime_error(std::string("cannot start ") + program);
        }
    }
    ~Child() {
        if (!reaped_) {
            ::kill(pid_, SIGKILL);
            Reap();
        }
    }
    // Blocks until the child has exited; returns the CPU seconds it used.
    double Reap() {
        int status = 0;
        rusage usage{};
        ::wait4(pid_, &status, 0, &usage);
        reaped_ = true;
        return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    }
    static double Seconds(const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; }

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
};

double SelfCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return Child::Seconds(usage.ru_utime) + Child::Seconds(usage.ru_stime);
}

// Blocks (in short sleeps) until sx has said it waits for the receiver, so that no receiver
// request is sent before sx listens.
void WaitUntilSenderReady(const std::string& errorFile) {
    std::int64_t end = TickMs() + 10000;
    std::string text;
    while (text.find("receive command now") == std::string::npos) {
        if (TickMs() > end) {
            throw std::runtime_error("sx did not start");
        }
        vaddex::SleepMs(2);
        vaddex::ReadWholeFile(errorFile, text);
    }
}

struct Measure {
    double seconds = 0;
    double cpuSeconds = 0;
    bool intact = false;
};

Measure ReceiveWithRx(const std::string& folder, const std::string& source,
                      const std::string& expected) {
    Pty pty;
    int slave = ::open(pty.slavePath.c_str(), O_RDWR | O_NOCTTY);
    std::string out = folder + "rx.out";
    vaddex::DeleteFileIfExists(out);
    Child sender(kSx, {"sx", "-k", "-q", source}, pty.master, folder, folder + "sx.err");
    WaitUntilSenderReady(folder + "sx.err");
    Measure m;
    std::int64_t start = TickMs();
    Child receiver(kRx, {"rx", "-q", "rx.out"}, slave, folder, folder + "rx.err");
    m.cpuSeconds = receiver.Reap();
    m.seconds = (TickMs() - start) / 1000.0;
    ::close(slave);
    std::string got;
    vaddex::ReadWholeFile(out, got);
    m.intact = got.size() >= expected.size() && got.compare(0, expected.size(), expected) == 0;
    return m;
}

Measure ReceiveWithVaddex(const std::string& folder, const std::string& source,
                          const std::string& expected) {
    Pty pty;
    BenchUi ui;
    vaddex::CommLink link(ui);
    link.OpenPort(pty.slavePath, 115200);
    Child sender(kSx, {"sx", "-k", "-q", source}, pty.master, folder, folder + "sx.err");
    WaitUntilSenderReady(folder + "sx.err");
    Measure m;
    double cpuStart = SelfCpuSeconds();
    std::int64_t start = TickMs();
    bool finished = false;
    vaddex::TYModemRX receiver(link, "", static_cast<std::int64_t>(expected.size()) + 8,
                               [&](const std::string&, int kind, std::int64_t, std::int64_t,
                                   std::int64_t) { finished = finished || kind == 3; });
    while (!finished && TickMs() - start < kPeerTimeoutMs) {
        ui.Queue().WaitAndRun(100);
    }
    receiver.RequestTerminate();
    receiver.WaitFor();
    m.seconds = (TickMs() - start) / 1000.0;
    m.cpuSeconds = SelfCpuSeconds() - cpuStart;
    const std::string& got = receiver.ReceivedData();
    m.intact = receiver.Success() && got.size() >= expected.size() &&
               got.compare(0, expected.size(), expected) == 0;
    sender.Reap();
    link.ClosePort();
    return m;
}

// rx now and then stalls for one of its 6 s read time-outs on a pty, so each receiver is
// judged by its fastest round; the CPU figure is that round's.
std::size_t Fastest(const std::vector<double>& seconds) {
    return static_cast<std::size_t>(std::min_element(seconds.begin(), seconds.end()) -
                                    seconds.begin());
}

}  // namespace

int main() {
    if (::access(kSx, X_OK) != 0 || ::access(kRx, X_OK) != 0) {
        std::printf("bench_xmodem: skipped, lrzsz (sx, rx) is not installed\n");
        return 0;
    }
    char pattern[] = "/tmp/vaddex-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    std::string folder = std::string(pattern) + "/";
    std::string source = folder + "source.bin";
    std::string data(kFileSize, '\0');
    std::mt19937 random(7);
    for (char& c : data) {
        c = static_cast<char>(random());
    }
    vaddex::WriteWholeFile(source, data);

    std::vector<double> rxTime, rxCpu, ourTime, ourCpu;
    bool intact = true;
    try {
        for (int round = 0; round < kRounds; ++round) {
            Measure theirs = ReceiveWithRx(folder, source, data);
            Measure ours = ReceiveWithVaddex(folder, source, data);
            intact = intact && theirs.intact && ours.intact;
            rxTime.push_back(theirs.seconds);
            rxCpu.push_back(theirs.cpuSeconds);
            ourTime.push_back(ours.seconds);
            ourCpu.push_back(ours.cpuSeconds);
        }
    } catch (const std::exception& e) {
        std::printf("bench_xmodem: failed: %s\n", e.what());
        intact = false;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (!intact || rxTime.empty()) {
        std::printf("bench_xmodem: a receiver did not get the file intact\n");
        return 1;
    }
    double mib = kFileSize / double(1 << 20);
    std::size_t rxBest = Fastest(rxTime);
    std::size_t ourBest = Fastest(ourTime);
    double rxRate = mib / rxTime[rxBest];
    double ourRate = mib / ourTime[ourBest];
    std::printf("sx -k, 1 MiB over a pty, fastest of %d rounds each\n", kRounds);
    std::printf("  rx (lrzsz): %.3f s, %.2f MiB/s, %.4f CPU s/MiB\n", rxTime[rxBest], rxRate,
                rxCpu[rxBest] / mib);
    std::printf("  TYModemRX:  %.3f s, %.2f MiB/s, %.4f CPU s/MiB\n", ourTime[ourBest], ourRate,
                ourCpu[ourBest] / mib);
    std::printf("  throughput ratio TYModemRX / rx: %.3f (target >= 0.95)\n", ourRate / rxRate);
    return 0;
}
