// Takes pictures of the status windows as a user sees them: the operator prompt of kind 3
// (RPN), the progress window in the middle of a paced get from the simulated calculator, and
// the log afterwards. Usage: status_window_shots FOLDER (run it under xvfb-run).

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>

#include "link/CommLink.h"
#include "session/PromptTexts.h"
#include "session/TXModemServer.h"
#include "session/TXPObject.h"
#include "support/PatternText.h"
#include "support/SimFixture.h"
#include "windows/QtUiBridge.h"

using namespace vaddex;
using namespace vaddex::gui;

namespace {

void Settle() {
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
    }
}

bool Save(QWidget& window, const QString& path) {
    bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

// Grabs a modal window once it is up, then closes it with `close`.
void WhenUp(QWidget& window, const QString& path, bool& ok, std::function<void()> close) {
    auto* timer = new QTimer(&window);
    QObject::connect(timer, &QTimer::timeout, [&window, timer, path, &ok, close] {
        if (window.isVisible()) {
            timer->stop();
            Settle();
            ok = Save(window, path) && ok;
            close();
        }
    });
    timer->start(20);
}

// The other windows a user meets: the modal prompts, the questions, the two notices.
bool OtherWindows(QtUiBridge& ui, const QString& folder) {
    bool ok = true;
    TFDownLd& prompt = ui.PromptWindow();
    WhenUp(prompt, folder + "/prompt-kind2.png", ok, [&] { prompt.btnOK->click(); });
    ui.ShowPrompt(kPromptServerAfter, "");
    WhenUp(prompt, folder + "/prompt-kind9.png", ok, [&] { prompt.btnCancel->click(); });
    ui.ShowPrompt(kPromptRestored, "");
    WhenUp(prompt, folder + "/prompt-text.png", ok, [&] { prompt.btnCancel->click(); });
    ui.ShowTextPrompt("Change the calculator's speed to 9600 baud?\r\n", "Set the Calculator");
    WhenUp(ui.ReplaceWindow(), folder + "/replace.png", ok, [&] { ui.ReplaceWindow().reject(); });
    ui.AskReplace("GREETING", 3);
    WhenUp(ui.BadFileWindow(), folder + "/wrong-file.png", ok,
           [&] { ui.BadFileWindow().reject(); });
    ui.AskWrongFile("/home/user/notes.doc", "doc", true);
    ui.ShowConnectStatus();
    Settle();
    ok = Save(ui.ConnectStatusWindow(), folder + "/connect-status.png") && ok;
    ui.CloseConnectStatus();
    ui.ShowWorking();
    Settle();
    ok = Save(ui.WorkingWindow(), folder + "/working.png") && ok;
    ui.CloseWorking();
    return ok;
}

int TakeShots(const QString& folder) {
    test::SimFixtureOptions options;
    options.connect = false;
    options.calculator.memoryBytes = 1024 * 1024;
    options.server.pacing = true;
    test::SimFixture sim(options);
    sim.StoreAt("HOME BIG", test::PackedString(test::PatternText(12000)));

    QWidget main;
    main.setWindowTitle("Vaddex");
    main.setGeometry(200, 100, 800, 560);
    main.show();
    CalculatorState state;
    QtUiBridge ui(&main, state);
    CommLink link(ui);
    TXModemServer session(link, ui);
    session.SetSpeed("9600");
    TXPObject root;
    root.MakeHome(session);

    bool ok = true;
    ui.ShowPrompt(kPromptCaptureFirst, "");
    Settle();
    ok = Save(ui.PromptWindow(), folder + "/prompt-kind3-rpn.png") && ok;
    ui.HidePrompt();
    ok = OtherWindows(ui, folder) && ok;

    session.Connect(sim.PortName());
    session.ReadDirectoryTree(root);
    ui.LogWindow().btnClear->click();
    const TXPObject* big = nullptr;
    for (const auto& child : root.Children) {
        if (child->Name == "BIG") {
            big = child.get();
        }
    }
    if (big == nullptr) {
        std::fprintf(stderr, "BIG is not listed\n");
        return 1;
    }
    TFCmStatus& status = ui.StatusWindow();
    QTimer watch;
    bool taken = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!taken && status.isVisible() &&
            status.ProgressBar2->value() * 3 >= status.ProgressBar2->maximum()) {
            taken = true;
            ok = Save(status, folder + "/progress-mid-transfer.png") && ok;
        }
    });
    watch.start(50);
    std::string path = sim.Files().File("BIG.zq");
    ok = session.GetToFile("BIG", path, big->Size, big->TypeCode) && taken && ok;
    watch.stop();

    ui.LogWindow().show();
    Settle();
    ok = Save(ui.LogWindow(), folder + "/log.png") && ok;
    ui.LogWindow().hide();
    root.ClearChildren();
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: status_window_shots FOLDER\n");
        return 2;
    }
    QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    // The user's own window placements are neither read nor changed.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    try {
        return TakeShots(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
