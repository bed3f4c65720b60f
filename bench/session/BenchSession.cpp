// A session against the simulated calculator paced at 115200 bit/s on a pseudo-terminal:
// the throughput of getting and putting a 200 KB object against the line's limit, and the
// time of getting a 10-byte variable against the delays and fixed waits the protocol makes
// the session sit out.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "BenchKit.h"
#include "link/CommLink.h"
#include "objects/TextFileForm.h"
#include "session/HeadlessUiBridge.h"
#include "session/TXModemServer.h"
#include "session/TXPObject.h"
#include "sim/calc/SimCalculator.h"
#include "sim/server/SimServer.h"
#include "support/PatternText.h"
#include "util/AppPaths.h"
#include "util/FileIo.h"
#include "util/Ticks.h"

namespace {

using vaddex::test::PatternText;

using vaddex::TickMs;

constexpr int kLineSpeed = 115200;
constexpr double kLineBytesPerSecond = kLineSpeed / 10.0;
constexpr std::size_t kBigObjectText = 200 * 1000;
constexpr int kSmallRounds = 5;
// Shares of the line: the blocks alone, and the whole operation with its fixed waits.
constexpr double kTransferTarget = 0.97;
constexpr double kWholeTarget = 0.92;
// The pause between a transfer's end and the wait for its thread.
constexpr int kThreadStopPauseMs = 100;
// The serial read time-out while the waiting loop runs: constant + 1 ms per byte.
constexpr int kShortReadConstantMs = 100;

// Answers every question with yes and times the progress window.
class BenchUi : public vaddex::HeadlessUiBridge {
public:
    using HeadlessUiBridge::HeadlessUiBridge;
    std::int64_t statusOpened = 0;
    std::int64_t statusClosed = 0;

protected:
    bool AnswerPrompt(int, const std::string&, const std::string&) override { return true; }
    vaddex::ModalResult AnswerReplace(const std::string&, int) override {
        return vaddex::ModalResult::Yes;
    }
    int AnswerWrongFile(const std::string&, const std::string&, bool) override {
        return static_cast<int>(vaddex::ModalResult::OK);
    }
    void OnMessage(const std::string& caption, const std::string& text) override {
        std::printf("message: %s: %s\n", caption.c_str(), text.c_str());
    }
    void OnStatusWindow(const std::string&, bool shown) override {
        (shown ? statusOpened : statusClosed) = TickMs();
    }
};

std::string PackedString(const std::string& text) {
    return vaddex::WrapAsStringObject(text, "K8").substr(8);
}

// What a get of a variable in binary form must sit out on a serial link: the letter and
// the packet's delays, the start and end of the receiver, and the waiting loop after it (one
// poll letter, the two reads of further answers that wait out the short read time-out, and
// the pause at its end). `answerLength` is the length of the free-memory answer.
std::int64_t GetWaits(const vaddex::LinkTiming& t, std::size_t answerLength) {
    std::int64_t trailingRead = kShortReadConstantMs + static_cast<std::int64_t>(answerLength) + 3;
    return t.CmdByteDelay + t.PacketWriteDelay + t.PacketAckDelay + t.RxStartDelay +
           kThreadStopPauseMs + t.RxEndDelay + t.CmdByteDelay + 2 * trailingRead + t.PulseEndDelay;
}

const vaddex::TXPObject* Child(const vaddex::TXPObject& root, const std::string& name) {
    for (const auto& child : root.Children) {
        if (child->Name == name) {
            return child.get();
        }
    }
    return nullptr;
}

int Run() {
    zqsim::SimCalculatorOptions calcOptions;
    calcOptions.memoryBytes = 4 * 1024 * 1024;
    zqsim::SimCalculator calculator(zqsim::Personality::K8, calcOptions);
    zqsim::SimServerOptions options;
    options.personality = zqsim::Personality::K8;
    options.pacing = true;
    options.busyMs = 0;  // the calculator answers at once: only the PC's waits are measured
    zqsim::SimServer server(calculator, options);
    server.Start();

    vaddex::CalculatorState state;
    BenchUi ui(state);
    vaddex::CommLink link(ui);
    vaddex::TXModemServer session(link, ui);
    session.SetSpeed(std::to_string(kLineSpeed));
    session.Connect(server.PortName());

    std::string bigText = PatternText(kBigObjectText);
    server.WithCalculator([&](zqsim::CalculatorModel&) {
        calculator.StoreAt("HOME BIG", PackedString(bigText));
        calculator.StoreAt("HOME SMALL", PackedString("abcde"));  // 10 bytes
    });
    vaddex::TXPObject root("HOME", vaddex::kDirectoryTypeCode, 0, nullptr, &session);
    session.ReadDirectoryTree(root);
    const vaddex::TXPObject* big = Child(root, "BIG");
    const vaddex::TXPObject* small = Child(root, "SMALL");
    if (big == nullptr || small == nullptr) {
        std::printf("the listing lacks the benchmark's variables\n");
        return 1;
    }
    std::string path = vaddex::TempFolder() + "big.zq";

    std::printf("session against the simulator, paced at %d bit/s (%.0f bytes/s)\n", kLineSpeed,
                kLineBytesPerSecond);
    std::int64_t start = TickMs();
    if (!session.GetToFile("BIG", path, big->Size, big->TypeCode)) {
        std::printf("get failed\n");
        return 1;
    }
    std::int64_t whole = TickMs() - start;
    std::int64_t transfer = ui.statusClosed - ui.statusOpened;
    double bytes = static_cast<double>(big->Size + 8);
    std::printf(
        "get of %.0f bytes (1K blocks): transfer %lld ms, %.3f of the line (target >= %.2f); "
        "whole get %lld ms, %.3f of the line (target >= %.2f)\n",
        bytes, static_cast<long long>(transfer),
        bytes * 1000.0 / static_cast<double>(transfer) / kLineBytesPerSecond, kTransferTarget,
        static_cast<long long>(whole),
        bytes * 1000.0 / static_cast<double>(whole) / kLineBytesPerSecond, kWholeTarget);

    bool replaceAll = false;
    start = TickMs();
    if (!session.PutFile("BIG2", path, "", false, replaceAll, 1)) {
        std::printf("put failed\n");
        return 1;
    }
    whole = TickMs() - start;
    transfer = ui.statusClosed - ui.statusOpened;
    std::printf(
        "put of %.0f bytes (1K blocks): transfer %lld ms, %.3f of the line (target >= %.2f); "
        "whole put %lld ms, %.3f of the line (target >= %.2f)\n",
        bytes, static_cast<long long>(transfer),
        bytes * 1000.0 / static_cast<double>(transfer) / kLineBytesPerSecond, kTransferTarget,
        static_cast<long long>(whole),
        bytes * 1000.0 / static_cast<double>(whole) / kLineBytesPerSecond, kWholeTarget);

    std::size_t answerLength = 0;
    server.WithCalculator(
        [&](zqsim::CalculatorModel& model) { answerLength = model.FreeMemoryText().size(); });
    std::int64_t waits = GetWaits(link.Timing(), answerLength);
    std::vector<std::int64_t> times;
    for (int round = 0; round < kSmallRounds; ++round) {
        start = TickMs();
        if (!session.GetVariable("SMALL", "", small->Size, 0)) {
            std::printf("small get failed\n");
            return 1;
        }
        times.push_back(TickMs() - start);
    }
    std::sort(times.begin(), times.end());
    std::int64_t median = times[times.size() / 2];
    std::printf(
        "get of a %d-byte variable: median %lld ms of %d, protocol waits %lld ms "
        "(timing profile %d), ratio %.3f (target <= 1.2)\n",
        small->Size, static_cast<long long>(median), kSmallRounds, static_cast<long long>(waits),
        link.TimingProfile(), static_cast<double>(median) / static_cast<double>(waits));

    vaddex::DeleteFileIfExists(path);
    root.ClearChildren();
    session.Disconnect();
    server.Stop();
    return 0;
}

}  // namespace

int main() {
    return vaddex::bench::RunGuarded([&] { return Run(); });
}
