// Getting a 200 KB variable through the window's Copy against vaddex-cli's get, on one
// simulated calculator paced at 115200 bit/s on a pseudo-terminal. Each side gets a small and
// the large variable; the difference of the two times is what the large transfer costs, so
// connecting and starting the command line program count on neither side. Prints the rate of
// each side and the window's rate as a share of the command line's.

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QProcess>
#include <QTemporaryDir>
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
#include "app/CopyController.h"
#include "app/ItemSortProxy.h"
#include "app/TFZQDir.h"
#include "frontend/StoredSettings.h"
#include "objects/TextFileForm.h"
#include "sim/calc/SimCalculator.h"
#include "sim/server/SimServer.h"
#include "support/PatternText.h"
#include "windows/QtUiBridge.h"

namespace {

using vaddex::bench::Median;
using vaddex::test::PackedString;
using vaddex::test::PatternText;

using namespace vaddex;

constexpr int kLineSpeed = 115200;
constexpr std::size_t kBigText = 200 * 1000;
constexpr std::size_t kSmallText = 5;
constexpr int kRuns = 3;
constexpr double kTarget = 0.97;

double TimeMs(const std::function<bool()>& fn) {
    QElapsedTimer timer;
    timer.start();
    if (!fn()) {
        std::printf("a get failed\n");
        std::exit(1);
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

bool CliGet(const std::string& port, const char* name, const QString& folder) {
    QProcess cli;
    cli.setStandardErrorFile(QProcess::nullDevice());
    cli.setStandardOutputFile(QProcess::nullDevice());
    cli.start(VADDEX_CLI_PATH, {"-p", QString::fromStdString(port), "-s",
                                QString::number(kLineSpeed), "get", name, folder + "/cli.zq"});
    return cli.waitForFinished(-1) && cli.exitStatus() == QProcess::NormalExit &&
           cli.exitCode() == 0;
}

bool WindowCopy(gui::TFZQDir& window, gui::CopyController& copy, const char* name) {
    int row = window.ListCaptions().indexOf(name);
    if (row < 0) {
        return false;
    }
    window.List()->setFocus();  // the list is the pane copied from
    window.List()->selectionModel()->select(
        window.ListIndex(row), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return copy.Copy();
}

// The marginal rate in bytes per second: what the large get costs beyond the small one.
double Rate(double bigMs, double smallMs) {
    return static_cast<double>(kBigText - kSmallText) * 1000.0 / (bigMs - smallMs);
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir config;
    vaddex::bench::UseHeadlessWindowSetup(config);
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    zqsim::SimCalculatorOptions calculatorOptions;
    calculatorOptions.memoryBytes = 4 * 1024 * 1024;
    zqsim::SimCalculator calculator(zqsim::Personality::K8, calculatorOptions);
    zqsim::SimServerOptions serverOptions;
    serverOptions.pacing = true;
    serverOptions.busyMs = 0;
    zqsim::SimServer server(calculator, serverOptions);
    server.WithCalculator([&](zqsim::CalculatorModel&) {
        calculator.StoreAt("HOME BIG", PackedString(PatternText(kBigText)));
        calculator.StoreAt("HOME SMALL", PackedString(PatternText(kSmallText)));
    });
    server.Start();
    std::string port = server.PortName();
    std::printf("200 KB get, paced at %d bit/s, median of %d runs each\n", kLineSpeed, kRuns);

    std::vector<double> cliBig, cliSmall, windowBig, windowSmall;
    for (int run = 0; run < kRuns; ++run) {
        cliSmall.push_back(TimeMs([&] { return CliGet(port, "SMALL", config.path()); }));
        cliBig.push_back(TimeMs([&] { return CliGet(port, "BIG", config.path()); }));
    }

    gui::TFZQDir window;
    gui::QtUiBridge bridge(&window, window.State());
    gui::ConnectHooks(bridge, window);
    window.saveSettings = [](const frontend::StoredSettings&) {};
    frontend::StoredSettings settings;
    settings.speed = kLineSpeed;
    window.FormCreate(bridge, settings);
    auto* copy = new gui::CopyController(
        window, gui::DesktopFileFolder(config.path().toStdString() + "/desktop"));
    window.show();
    QApplication::setActiveWindow(&window);
    window.ConnectFromCommandLine(QString::fromStdString(port));
    if (!window.Connected()) {
        std::printf("the window did not connect\n");
        return 1;
    }
    for (int run = 0; run < kRuns; ++run) {
        windowSmall.push_back(TimeMs([&] { return WindowCopy(window, *copy, "SMALL"); }));
        windowBig.push_back(TimeMs([&] { return WindowCopy(window, *copy, "BIG"); }));
    }
    double cliRate = Rate(Median(cliBig), Median(cliSmall));
    double windowRate = Rate(Median(windowBig), Median(windowSmall));
    std::printf("vaddex-cli get:  big %8.0f ms, small %6.0f ms, %7.0f bytes/s\n", Median(cliBig),
                Median(cliSmall), cliRate);
    std::printf("window Copy:     big %8.0f ms, small %6.0f ms, %7.0f bytes/s\n", Median(windowBig),
                Median(windowSmall), windowRate);
    std::printf("window / vaddex-cli: %.3f (target >= %.2f)\n", windowRate / cliRate, kTarget);
    window.close();
    window.FormDestroy();
    server.Stop();
    return 0;
}
