// sx -k (lrzsz) sends the same 1 MiB file over a socat pseudo-terminal pair, once to lrzsz's rx
// and once to TYModemRX, and the throughput and CPU cost of the two receivers are compared.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "SocatPtyPair.h"
#include "link/CommLink.h"
#include "support/ChildProcess.h"
#include "support/TestLinkUi.h"
#include "transfer/TYModemRX.h"
#include "util/FileIo.h"
#include "util/Ticks.h"

namespace {

using vaddex::TickMs;
using vaddex::bench::SocatPtyPair;
using vaddex::test::ChildOptions;
using vaddex::test::ChildProcess;
using vaddex::test::TestLinkUi;
using vaddex::test::WaitForText;

constexpr const char* kSx = "/usr/bin/sx";
constexpr const char* kRx = "/usr/bin/rx";
constexpr const char* kSocat = "/usr/bin/socat";
constexpr std::size_t kFileSize = 1 << 20;
constexpr int kRounds = 3;
constexpr int kPeerTimeoutMs = 60000;
// TYModemRX against rx: at least this many times the throughput, at most this CPU per MiB.
constexpr double kThroughputTarget = 5.0;
constexpr double kCpuTarget = 1.0;

double SelfCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

// Blocks until sx has said it waits for the receiver, so that no receiver request is sent
// before sx listens.
void WaitUntilSenderReady(const std::string& errorFile) {
    if (!WaitForText(errorFile, "receive command now", 10000)) {
        throw std::runtime_error("sx did not start");
    }
}

// An lrzsz program talking through `fd`, in `folder`; args[0] names its protocol.
ChildOptions Peer(const char* program, const std::vector<std::string>& args, int fd,
                  const std::string& folder, const std::string& errorFile) {
    ChildOptions options;
    options.program = program;
    options.argv = args;
    options.folder = folder;
    options.input = fd;
    options.output = fd;
    options.errorFile = errorFile;
    return options;
}

struct Measure {
    double seconds = 0;
    double cpuSeconds = 0;
    std::string failure;  // why the file did not arrive intact; empty when it did
};

// "" when `got` starts with the whole of `expected` (XModem pads the last block).
std::string Compare(const std::string& got, const std::string& expected) {
    if (got.size() < expected.size()) {
        return "got " + std::to_string(got.size()) + " of " + std::to_string(expected.size()) +
               " bytes";
    }
    return got.compare(0, expected.size(), expected) == 0 ? "" : "got other bytes than sent";
}

// Starts sx on the pair's first end and waits until it listens.
std::unique_ptr<ChildProcess> StartSender(const SocatPtyPair& pair, const std::string& folder,
                                          const std::string& source) {
    int fd = SocatPtyPair::OpenForPeer(pair.First());
    auto sender = std::make_unique<ChildProcess>(
        Peer(kSx, {"sx", "-k", "-q", source}, fd, folder, folder + "sx.err"));
    ::close(fd);
    WaitUntilSenderReady(folder + "sx.err");
    return sender;
}

Measure ReceiveWithRx(const std::string& folder, const std::string& source,
                      const std::string& expected) {
    SocatPtyPair pair(folder);
    std::string out = folder + "rx.out";
    vaddex::DeleteFileIfExists(out);
    std::unique_ptr<ChildProcess> sender = StartSender(pair, folder, source);
    int fd = SocatPtyPair::OpenForPeer(pair.Second());
    Measure m;
    std::int64_t start = TickMs();
    ChildProcess receiver(Peer(kRx, {"rx", "-q", "rx.out"}, fd, folder, folder + "rx.err"));
    ::close(fd);
    int status = receiver.Wait(kPeerTimeoutMs);
    m.cpuSeconds = receiver.CpuSeconds();
    m.seconds = (TickMs() - start) / 1000.0;
    std::string got;
    vaddex::ReadWholeFile(out, got);
    if (status == -1) {
        m.failure = "did not finish within " + std::to_string(kPeerTimeoutMs / 1000) + " s (" +
                    Compare(got, expected) + ")";
    } else if (status != 0) {
        m.failure = "ended with status " + std::to_string(status);
    } else {
        m.failure = Compare(got, expected);
    }
    return m;
}

Measure ReceiveWithVaddex(const std::string& folder, const std::string& source,
                          const std::string& expected) {
    SocatPtyPair pair(folder);
    TestLinkUi ui;
    vaddex::CommLink link(ui);
    link.OpenPort(pair.Second(), 115200);
    std::unique_ptr<ChildProcess> sender = StartSender(pair, folder, source);
    Measure m;
    double cpuStart = SelfCpuSeconds();
    std::int64_t start = TickMs();
    bool finished = false;
    std::string lastText;
    vaddex::TYModemRX receiver(
        link, "", static_cast<std::int64_t>(expected.size()) + 8,
        [&](const std::string& text, int kind, std::int64_t, std::int64_t, std::int64_t) {
            lastText = text.empty() ? lastText : text;
            finished = finished || kind == 3;
        });
    bool ended = ui.PumpUntil([&] { return finished; }, kPeerTimeoutMs);
    receiver.RequestTerminate();
    receiver.WaitFor();
    m.seconds = (TickMs() - start) / 1000.0;
    m.cpuSeconds = SelfCpuSeconds() - cpuStart;
    if (!ended) {
        m.failure = "did not finish within " + std::to_string(kPeerTimeoutMs / 1000) + " s";
    } else if (!receiver.Success()) {
        m.failure = "failed: " + lastText;
    } else {
        m.failure = Compare(receiver.ReceivedData(), expected);
    }
    sender->Wait(kPeerTimeoutMs);
    link.ClosePort();
    return m;
}

// rx now and then stalls for one of sx's 10 s time-outs when its input flush races a block,
// so each receiver is judged by its fastest round; the CPU figure is that round's.
std::size_t Fastest(const std::vector<double>& seconds) {
    return static_cast<std::size_t>(std::min_element(seconds.begin(), seconds.end()) -
                                    seconds.begin());
}

}  // namespace

int main() {
    if (::access(kSx, X_OK) != 0 || ::access(kRx, X_OK) != 0 || ::access(kSocat, X_OK) != 0) {
        std::printf("bench_xmodem: skipped, lrzsz (sx, rx) or socat is not installed\n");
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
        for (int round = 1; round <= kRounds; ++round) {
            Measure theirs = ReceiveWithRx(folder, source, data);
            Measure ours = ReceiveWithVaddex(folder, source, data);
            for (const auto& [name, m] :
                 {std::pair{"rx (lrzsz)", &theirs}, std::pair{"TYModemRX", &ours}}) {
                if (!m->failure.empty()) {
                    std::printf("bench_xmodem: round %d: %s did not get the file intact: %s\n",
                                round, name, m->failure.c_str());
                    intact = false;
                }
            }
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
        return 1;
    }
    double mib = kFileSize / double(1 << 20);
    std::size_t rxBest = Fastest(rxTime);
    std::size_t ourBest = Fastest(ourTime);
    double rxRate = mib / rxTime[rxBest];
    double ourRate = mib / ourTime[ourBest];
    std::printf("sx -k, 1 MiB over a socat pty pair, fastest of %d rounds each\n", kRounds);
    std::printf("  rx (lrzsz): %.3f s, %.2f MiB/s, %.4f CPU s/MiB\n", rxTime[rxBest], rxRate,
                rxCpu[rxBest] / mib);
    std::printf("  TYModemRX:  %.3f s, %.2f MiB/s, %.4f CPU s/MiB\n", ourTime[ourBest], ourRate,
                ourCpu[ourBest] / mib);
    std::printf("  throughput ratio TYModemRX / rx: %.3f (target >= %.2f)\n", ourRate / rxRate,
                kThroughputTarget);
    std::printf("  CPU s/MiB ratio TYModemRX / rx: %.3f (target <= %.2f)\n",
                ourCpu[ourBest] / rxCpu[rxBest], kCpuTarget);
    return 0;
}
