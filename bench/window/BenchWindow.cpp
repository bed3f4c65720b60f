// The main window on a simulated calculator holding 5,000 variables in 100 directories:
// - the listing's parse in the core, the core's Reread and the window's Reread (with the tree
//   and list fill), as medians over several runs, and their ratios;
// - the longest gap between two turns of the event loop while the window rereads;
// - the CPU the connected, idle window uses over 10 s.

#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchKit.h"
#include "HeadlessWindowSetup.h"
#include "app/BridgeHooks.h"
#include "app/TFZQDir.h"
#include "frontend/StoredSettings.h"
#include "link/CommLink.h"
#include "session/HeadlessUiBridge.h"
#include "session/SessionCommands.h"
#include "session/TXModemServer.h"
#include "session/TXPObject.h"
#include "sim/calc/SimCalculator.h"
#include "sim/server/SimServer.h"
#include "util/Trace.h"
#include "windows/QtUiBridge.h"

namespace {

using vaddex::bench::Median;

using namespace vaddex;

constexpr int kDirectories = 100;
constexpr int kVariablesPerDirectory = 50;
constexpr int kRuns = 5;
constexpr int kIdleMs = 10000;
constexpr double kRereadTarget = 1.5;
constexpr double kGapTargetMs = 50.0;
constexpr double kIdleTargetPercent = 0.02;

double TimeMs(const std::function<void()>& fn) {
    QElapsedTimer timer;
    timer.start();
    fn();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double CpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// A quiet headless bridge for the core's own Reread.
class CoreUi : public HeadlessUiBridge {
public:
    using HeadlessUiBridge::HeadlessUiBridge;

protected:
    bool AnswerPrompt(int, const std::string&, const std::string&) override { return true; }
    ModalResult AnswerReplace(const std::string&, int) override { return ModalResult::Yes; }
    int AnswerWrongFile(const std::string&, const std::string&, bool) override {
        return static_cast<int>(ModalResult::Cancel);
    }
    void OnMessage(const std::string& caption, const std::string& text) override {
        std::printf("message: %s: %s\n", caption.c_str(), text.c_str());
    }
};

void Populate(zqsim::SimCalculator& calculator) {
    for (int d = 0; d < kDirectories; ++d) {
        std::string directory = "D" + std::to_string(100 + d);
        calculator.Execute("HOME '" + directory + "' CRDIR");
        for (int v = 0; v < kVariablesPerDirectory; ++v) {
            std::string name = "V" + std::to_string(100 + v);
            calculator.Execute("HOME " + directory + " " + std::to_string(d * 1000 + v) + " '" +
                               name + "' STO");
        }
    }
    calculator.Execute("HOME");
}

// Parse time of the listing the calculator sends, in the core alone.
double ParseMs(const std::string& listing, TXModemServer& session) {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        TXPObject root("HOME", kDirectoryTypeCode, 0, nullptr, &session);
        times.push_back(TimeMs([&] {
            std::size_t cursor = 1;
            session.ParseListing(root, listing, cursor);
        }));
    }
    TXPObject check("HOME", kDirectoryTypeCode, 0, nullptr, &session);
    std::size_t cursor = 1;
    session.ParseListing(check, listing, cursor);
    std::size_t items = check.Children.size();
    for (const auto& child : check.Children) {
        items += child->Children.size();
    }
    std::printf("the listing parses into %zu items\n", items);
    return Median(times);
}

double CoreRereadMs(const std::string& port, double& parseMs, const std::string& listing) {
    CalculatorState state;
    CoreUi ui(state);
    CommLink link(ui);
    TXModemServer session(link, ui);
    session.SetSpeed("115200");
    parseMs = ParseMs(listing, session);
    TXPObject root("HOME", kDirectoryTypeCode, 0, nullptr, &session);
    SessionCommands commands(session, root);
    commands.SelectedPort = port;
    commands.ConnectToCalculator();
    commands.CurrentPath = "HOME D150";
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        times.push_back(TimeMs([&] { commands.Reread(); }));
    }
    session.Disconnect();
    return Median(times);
}

// Median time of the window's Reread, and the longest gap between two event-loop turns
// (a zero-interval timer fires on every turn that processes events) while it runs.
struct WindowFigures {
    double rereadMs = 0;
    double longestGapMs = 0;
};

WindowFigures MeasureWindow(gui::TFZQDir& window) {
    QElapsedTimer clock;
    clock.start();
    qint64 lastTurn = 0;
    qint64 longestGap = 0;
    bool measuring = false;
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, [&] {
        qint64 now = clock.nsecsElapsed();
        if (measuring) {
            longestGap = std::max(longestGap, now - lastTurn);
        }
        lastTurn = now;
    });
    turn.start();
    QCoreApplication::processEvents();
    // BENCH_TRACE=1 shows the protocol steps with the time of the last turn, to find a gap.
    std::unique_ptr<ScopedTraceSink> trace;
    if (std::getenv("BENCH_TRACE") != nullptr) {
        trace = std::make_unique<ScopedTraceSink>([&clock, &lastTurn](std::string_view text) {
            std::printf("%8.1f (turn %8.1f) %.*s\n", clock.nsecsElapsed() / 1e6, lastTurn / 1e6,
                        static_cast<int>(std::min<std::size_t>(text.size(), 80)), text.data());
        });
    }
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        lastTurn = clock.nsecsElapsed();
        measuring = true;
        times.push_back(TimeMs([&] { window.Reread(); }));
        QCoreApplication::processEvents();
        measuring = false;
    }
    return {Median(times), static_cast<double>(longestGap) / 1e6};
}

// CPU of the UI thread and of the whole process (the simulator's thread too) over the idle time.
void MeasureIdle(QApplication& app) {
    double processStart = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    double threadStart = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    QTimer::singleShot(kIdleMs, &app, &QCoreApplication::quit);
    QApplication::exec();
    double seconds = kIdleMs / 1000.0;
    double processPercent = 100.0 * (CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart) / seconds;
    double threadPercent = 100.0 * (CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - threadStart) / seconds;
    std::printf(
        "idle, connected, %d s: UI thread %.3f%%, whole process %.3f%% of a core "
        "(target <= %.2f%%)\n",
        kIdleMs / 1000, threadPercent, processPercent, kIdleTargetPercent);
}

void PrintFigures(double parseMs, double coreMs, const WindowFigures& window) {
    double fillMs = std::max(0.0, window.rereadMs - coreMs);
    std::printf("listing parse in the core:        %8.1f ms\n", parseMs);
    std::printf("core Reread (read + parse):       %8.1f ms\n", coreMs);
    std::printf("window Reread (+ tree, list):     %8.1f ms\n", window.rereadMs);
    std::printf("window Reread / core Reread:      %8.2f (target <= %.1f)\n",
                window.rereadMs / coreMs, kRereadTarget);
    std::printf("tree and list fill (difference):  %8.1f ms; (parse + fill) / parse %.2f\n", fillMs,
                (parseMs + fillMs) / parseMs);
    std::printf("longest event-loop gap in Reread: %8.1f ms (target <= %.0f)\n",
                window.longestGapMs, kGapTargetMs);
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir config;
    vaddex::bench::UseHeadlessWindowSetup(config);
    QApplication app(argc, argv);

    zqsim::SimCalculatorOptions calculatorOptions;
    calculatorOptions.memoryBytes = 8 * 1024 * 1024;
    calculatorOptions.demoMemory = false;
    calculatorOptions.busyMsPerCommand = 0;
    zqsim::SimCalculator calculator(zqsim::Personality::K8, calculatorOptions);
    Populate(calculator);
    std::string listing = calculator.Listing();
    zqsim::SimServerOptions serverOptions;
    serverOptions.busyMs = 0;
    zqsim::SimServer server(calculator, serverOptions);
    server.Start();
    std::string port = server.PortName();
    std::printf("calculator: %d variables in %d directories, listing %zu bytes\n",
                kDirectories * kVariablesPerDirectory, kDirectories, listing.size());

    double parseMs = 0;
    double coreMs = CoreRereadMs(port, parseMs, listing);

    gui::TFZQDir window;
    gui::QtUiBridge bridge(&window, window.State());
    gui::ConnectHooks(bridge, window);
    window.saveSettings = [](const frontend::StoredSettings&) {};
    window.FormCreate(bridge, frontend::StoredSettings{});
    window.show();
    window.ConnectFromCommandLine(QString::fromStdString(port));
    if (!window.Connected()) {
        std::printf("the window did not connect\n");
        return 1;
    }
    window.Tree()->setCurrentIndex(window.FindNodeByPath("HOME D150"));
    PrintFigures(parseMs, coreMs, MeasureWindow(window));
    MeasureIdle(app);
    window.close();
    window.FormDestroy();
    server.Stop();
    return 0;
}
