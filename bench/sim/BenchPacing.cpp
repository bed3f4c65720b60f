// The simulator's paced output against the line time it stands for: a screen stream of 1081
// bytes read on the PC's end of the pseudo-terminal at each speed, best of a few runs. A
// ratio near 1.0 means the simulated line is as slow as a real one and no slower; the tests
// check only that it is not faster.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

#include "BenchKit.h"
#include "sim/calc/SimCalculator.h"
#include "sim/server/ScreenStream.h"
#include "sim/server/SimServer.h"
#include "util/Ticks.h"

namespace {

using vaddex::TickMs;

constexpr std::size_t kStreamBytes = 1081;  // ESC and 1080 bytes of picture
constexpr int kRuns = 3;
constexpr int kReadWaitMs = 5000;

struct Speed {
    int bits;
    speed_t code;
};
constexpr Speed kSpeeds[] = {{4800, B4800}, {9600, B9600}, {38400, B38400}, {115200, B115200}};

// The PC's end: the pty slave, raw, owned for the benchmark's run.
class PcEnd {
public:
    explicit PcEnd(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
        if (fd_ < 0) {
            throw std::runtime_error("cannot open " + path);
        }
        termios settings{};
        ::tcgetattr(fd_, &settings);
        ::cfmakeraw(&settings);
        ::tcsetattr(fd_, TCSANOW, &settings);
    }
    ~PcEnd() { ::close(fd_); }
    PcEnd(const PcEnd&) = delete;
    PcEnd& operator=(const PcEnd&) = delete;

    void SetSpeed(speed_t code) {
        termios settings{};
        ::tcgetattr(fd_, &settings);
        ::cfsetispeed(&settings, code);
        ::cfsetospeed(&settings, code);
        ::tcsetattr(fd_, TCSANOW, &settings);
    }

    // Blocks until `count` bytes came or kReadWaitMs of silence passed; returns the count.
    std::size_t Read(std::size_t count) {
        std::size_t got = 0;
        char buffer[2048];
        while (got < count) {
            pollfd entry{fd_, POLLIN, 0};
            if (::poll(&entry, 1, kReadWaitMs) <= 0) {
                break;
            }
            ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - got));
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        return got;
    }

private:
    int fd_;
};

int Run() {
    zqsim::SimCalculator calculator(zqsim::Personality::K8, {});
    zqsim::SimServerOptions options;
    options.personality = zqsim::Personality::K8;
    options.pacing = true;
    options.busyMs = 0;
    options.screenDelayMs = -1;  // sent on TriggerScreen, so the clock starts with the stream
    zqsim::SimServer server(calculator, options);
    server.Start();
    PcEnd pc(server.PortName());

    std::printf("paced screen stream of %zu bytes, best of %d runs\n", kStreamBytes, kRuns);
    for (const Speed& speed : kSpeeds) {
        pc.SetSpeed(speed.code);
        double lineMs = static_cast<double>(kStreamBytes) * 10.0 * 1000.0 / speed.bits;
        std::int64_t best = -1;
        for (int run = 0; run < kRuns; ++run) {
            server.StartScreen(zqsim::ScreenVariant::Esc);
            server.WaitFor(
                [](const zqsim::SimStats& s) { return s.mode == zqsim::SimMode::Screen; },
                kReadWaitMs);
            std::int64_t start = TickMs();
            server.TriggerScreen();
            std::size_t got = pc.Read(kStreamBytes);
            std::int64_t elapsed = TickMs() - start;
            if (got != kStreamBytes) {
                std::printf("%6d bit/s: stream ended after %zu bytes\n", speed.bits, got);
                return 1;
            }
            best = best < 0 ? elapsed : std::min(best, elapsed);
        }
        std::printf("%6d bit/s: %5lld ms against %7.1f ms of line time, ratio %.3f\n", speed.bits,
                    static_cast<long long>(best), lineMs, static_cast<double>(best) / lineMs);
    }
    server.Stop();
    return 0;
}

}  // namespace

int main() {
    return vaddex::bench::RunGuarded([&] { return Run(); });
}
