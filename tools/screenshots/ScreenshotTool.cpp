// Runs the window on the built-in simulated calculator, as `vaddex --sim` does, and saves
// pictures of it into the folder given as argument: the connected window, an operator
// prompt, the log after a copy, and a help page.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

#include "app/HelpSystem.h"
#include "app/HelpWindow.h"
#include "app/IconSet.h"
#include "app/MainProgram.h"
#include "session/PromptTexts.h"
#include "session/SessionCommands.h"
#include "session/TXPObject.h"

namespace {

using namespace vaddex;
using namespace vaddex::gui;

constexpr int kConnectTimeoutMs = 30000;
constexpr int kSettleMs = 400;

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return condition();
}

void Settle() {
    WaitFor([] { return false; }, kSettleMs);
}

bool Save(QWidget& widget, const QString& path) {
    bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vaddex");
    QApplication::setOrganizationName("Zenquist");
    QApplication::setWindowIcon(ApplicationIcon());
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: vaddex-screenshots FOLDER [MODEL]\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    ProgramArguments arguments;
    arguments.sim = argc == 3 ? "sim:" + std::string(argv[2]) : "sim";
    MainProgram program(arguments);
    TFZQDir& window = program.Window();
    window.resize(720, 440);
    program.Show();
    if (!WaitFor([&window] { return window.Connected() && !window.Busy(); }, kConnectTimeoutMs)) {
        std::fprintf(stderr, "vaddex-screenshots: the window did not connect\n");
        return 1;
    }
    window.Tree()->expandAll();
    Settle();
    bool ok = Save(window, folder.filePath("main-window.png"));

    // The operator prompt, pictured while it waits for OK.
    QtUiBridge& bridge = program.Bridge();
    QTimer::singleShot(kSettleMs, [&] {
        ok = Save(bridge.PromptWindow(), folder.filePath("prompt.png")) && ok;
        bridge.PromptWindow().reject();
    });
    bridge.ShowPrompt(kPromptConnect, "");

    // A copy fills the progress window and the log.
    SessionCommands& commands = window.Commands();
    QTemporaryDir files;
    for (const auto& child : commands.Root().Children) {
        if (child->Name == "GREETING") {
            commands.CopyItems({child.get()}, files.path().toStdString() + "/");
        }
    }
    bridge.LogWindow().show();
    Settle();
    ok = Save(bridge.LogWindow(), folder.filePath("log.png")) && ok;

    ShowHelpTopic(&window, 125001);
    if (auto* help = window.findChild<HelpWindow*>()) {
        Settle();
        ok = Save(*help, folder.filePath("help.png")) && ok;
    }
    window.close();
    return ok ? 0 : 1;
}
