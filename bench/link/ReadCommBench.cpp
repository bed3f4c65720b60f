// Throughput and idle cost of ReadComm over a pseudo-terminal and over a FIFO-pair device.
// Prints MiB/s and CPU seconds per MiB of the reading side while 4 MiB stream in, then the
// CPU share of one core during 10 s of silence (target: under 1%).

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

#include "link/CommLink.h"
#include "link/LinkUi.h"
#include "util/Ticks.h"

namespace vaddex {
namespace {

constexpr std::size_t kStreamBytes = 4 << 20;
constexpr std::size_t kRequestBytes = 4096;
constexpr std::int64_t kSilentMs = 10000;
constexpr double kMiB = 1024.0 * 1024.0;

// The main thread is the UI thread; nothing is shown.
class BenchUi : public LinkUi {
public:
    void ProcessEvents() override {}
    bool IsUiThread() const override { return std::this_thread::get_id() == uiThread_; }
    bool IsWorkingWindowVisible() const override { return working; }
    bool IsPromptVisible() const override { return false; }
    void SetConnected(bool) override {}
    void CloseConnectStatus() override {}
    void FocusMainWindow() override {}
    void RunOnUiThread(const std::function<void()>& fn) override { fn(); }
    void ShowMessage(const std::string&, const std::string&) override {}

    bool working = false;

private:
    std::thread::id uiThread_ = std::this_thread::get_id();
};

double CpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Writes all bytes to a non-blocking descriptor, waiting for room with poll.
void WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            throw std::runtime_error("benchmark writer failed");
        } else {
            pollfd entry{fd, POLLOUT, 0};
            ::poll(&entry, 1, 1000);
        }
    }
}

// Streams kStreamBytes from `fd` (on a writer thread) through ReadComm and prints the rates.
void Stream(const char* label, CommLink& link, int fd) {
    std::string data(kStreamBytes, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>(i * 131 + 7);
    }
    double writerCpu = 0;
    double processStart = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    double threadStart = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    std::int64_t start = TickMs();
    std::thread writer([&] {
        double begin = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        WriteAll(fd, data);
        writerCpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - begin;
    });
    std::size_t received = 0;
    std::string buffer(kRequestBytes, '\0');
    bool intact = true;
    while (received < kStreamBytes) {
        buffer.assign(std::min(kRequestBytes, kStreamBytes - received), '\0');
        int n = link.ReadComm(buffer, 2500);
        if (n <= 0) {
            break;
        }
        intact = intact && buffer.compare(0, n, data, received, n) == 0;
        received += static_cast<std::size_t>(n);
    }
    double seconds = static_cast<double>(TickMs() - start) / 1000.0;
    double threadCpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - threadStart;
    writer.join();
    double readingSide = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart - writerCpu;
    double mib = static_cast<double>(received) / kMiB;
    std::printf("%-5s stream: %.2f MiB in %.2f s = %.2f MiB/s%s\n", label, mib, seconds,
                mib / seconds, intact && received == kStreamBytes ? "" : " (DATA LOST)");
    std::printf(
        "%-5s   CPU s/MiB: calling thread %.4f, reading side (caller + reader thread) %.4f\n",
        label, threadCpu / mib, readingSide / mib);
}

// ReadComm against a silent line for kSilentMs; prints the process CPU share of one core.
void Silence(const char* label, CommLink& link, std::size_t request) {
    double cpuStart = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    std::int64_t start = TickMs();
    while (TickMs() - start < kSilentMs) {
        std::string buffer(request, '\0');
        link.ReadComm(buffer, 2500);
    }
    double cpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
    double wall = static_cast<double>(TickMs() - start) / 1000.0;
    std::printf("%-5s silent %.1f s: CPU %.3f s = %.3f%% of one core\n", label, wall, cpu,
                100.0 * cpu / wall);
}

void BenchPty() {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    termios settings{};
    ::tcgetattr(master, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(master, TCSANOW, &settings);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    BenchUi ui;
    CommLink link(ui);
    link.OpenPort(::ptsname(master), 115200);
    Stream("pty", link, master);
    Silence("pty", link, 1);
    link.ClosePort();
    ::close(master);
}

void BenchFifo() {
    char pattern[] = "/tmp/vaddex-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("no temporary folder");
    }
    std::string root = pattern;
    std::string folder = root + "/ZQx8G+";
    std::filesystem::create_directory(folder);
    ::mkfifo((folder + "/PIPE0").c_str(), 0600);
    ::mkfifo((folder + "/PIPE1").c_str(), 0600);
    // The device side: holds both FIFOs read-write, so they stay alive.
    int pipe0 = ::open((folder + "/PIPE0").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    int pipe1 = ::open((folder + "/PIPE1").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ::setenv("VADDEX_USB_ROOT", root.c_str(), 1);
    {
        BenchUi ui;
        CommLink link(ui);
        link.OpenPort("ZQX8G+", 115200);
        Stream("fifo", link, pipe0);
        ui.working = true;  // silence is tolerated while the working window shows
        Silence("fifo", link, 6);
    }
    ::close(pipe0);
    ::close(pipe1);
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace vaddex

int main() {
    try {
        vaddex::BenchPty();
        vaddex::BenchFifo();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_read_comm: %s\n", e.what());
        return 1;
    }
    return 0;
}
