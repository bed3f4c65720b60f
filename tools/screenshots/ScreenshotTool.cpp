// Runs the window on the built-in simulated calculator, as `vaddex --sim` does, and saves
// pictures of it into the folder given as argument: the connected window, an operator
// prompt, the log after a copy, a help page, the pop-up menu, the command window with a
// stack and in front of the main window after a Send, the capture viewer in front of it,
// the window wide and at its smallest width, and the options, replace and properties
// dialogs.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <cstdio>

#include "app/HelpSystem.h"
#include "app/HelpWindow.h"
#include "app/IconSet.h"
#include "app/ItemCommands.h"
#include "app/ItemSortProxy.h"
#include "app/MainProgram.h"
#include "session/PromptTexts.h"
#include "session/SessionCommands.h"
#include "session/TXPObject.h"
#include "sim/server/ScreenImage.h"
#include "sim/server/ScreenStream.h"
#include "windows/TFCapture.h"
#include "windows/TFDownLd.h"
#include "windows/TFRplCmd.h"

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

// Pictures the modal dialog that `open` runs, then closes it.
bool SaveModal(const QString& path, const std::function<void()>& open) {
    bool saved = false;
    QTimer::singleShot(kSettleMs, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            saved = Save(*dialog, path);
            dialog->close();
        }
    });
    open();
    return saved;
}

void SelectRows(TFZQDir& window, const QStringList& captions) {
    window.List()->setFocus();
    window.List()->clearSelection();
    for (const QString& caption : captions) {
        window.List()->selectionModel()->select(
            window.ListProxy()->index(window.ListCaptions().indexOf(caption), 0),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

// The pop-up menu over the list, pictured with the window around it.
bool SavePopup(TFZQDir& window, const QString& path) {
    SelectRows(window, {"GREETING"});
    QTreeView* list = window.List();
    QRect row =
        list->visualRect(window.ListProxy()->index(window.ListCaptions().indexOf("GREETING"), 0));
    emit list->customContextMenuRequested(row.center());
    Settle();
    QRect area = window.frameGeometry();
    if (auto* popup = window.findChild<QMenu*>("PopupMenu1")) {
        area = area.united(popup->geometry());
    }
    QPixmap shot = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    bool saved = shot.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    if (auto* popup = window.findChild<QMenu*>("PopupMenu1")) {
        popup->close();
    }
    return saved;
}

// The command window after a few commands, with the stack they left; the last one is typed
// with the calculator's symbols, as a person would, and sent with the window's own button.
bool SaveCommandWindow(MainProgram& program, const QString& path) {
    if (program.Items() == nullptr) {
        return false;
    }
    TFRplCmd& rplCmd = program.Items()->CommandWindow();
    rplCmd.show();
    SessionCommands& commands = program.Window().Commands();
    commands.RunCalculatorCommand("1 2 + \"Hello, ZQ!\" { 1 2 3 } 'X' RCL");
    auto* line = rplCmd.findChild<QComboBox*>("cmboCmd");
    if (line == nullptr) {
        return false;
    }
    line->setEditText(QString::fromUtf8("\u00AB 2 3 \u2264 \u00BB EVAL 9 \u221A"));
    rplCmd.btnSendClick();
    line->setEditText(line->itemText(0));  // picked again from the history, to be seen
    rplCmd.UpdateStack();
    Settle();
    bool saved = Save(rplCmd, path);
    rplCmd.FormClose();
    return saved;
}

// What the screen shows over the windows' frames, title bars and stacking as the window
// manager made them.
bool SaveScreen(std::initializer_list<const QWidget*> windows, const QString& path) {
    QRect area;
    for (const QWidget* window : windows) {
        area = area.united(window->frameGeometry());
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    area = area.intersected(screen->geometry());
    QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    bool saved = shot.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

// Prints where a window opened, as a user would judge it: over the main window (its centre
// inside the main window's frame) or elsewhere.
void SayWhere(const char* what, const QWidget& window, const QWidget& main) {
    const QRect at = window.frameGeometry();
    const bool over = main.frameGeometry().contains(at.center());
    std::printf("%s: at %d,%d %dx%d, %s\n", what, at.x(), at.y(), at.width(), at.height(),
                over ? "over the main window" : "NOT over the main window");
}

// Pictures the screen around the main window and the modal window that `open` runs (title
// bars and all), says where it opened and what Enter would answer, then closes it.
bool SaveModalOver(QWidget& main, const QString& path, const char* what,
                   const std::function<void()>& open) {
    bool saved = false;
    QTimer::singleShot(kSettleMs, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            SayWhere(what, *dialog, main);
            for (auto* button : dialog->findChildren<QPushButton*>()) {
                if (button->isDefault() && button->isVisible()) {
                    std::printf("%s: Enter answers %s\n", what,
                                qPrintable(button->text().remove('&')));
                }
            }
            saved = SaveScreen({&main, dialog}, path);
            dialog->close();
        }
    });
    open();
    return saved;
}

// Reports what a person would see wrong: a window behind the main window, or not active.
void SayWhetherInFront(const char* what, QWidget& window) {
    std::printf("%s: %s\n", what,
                window.isActiveWindow() ? "active, in front" : "NOT the active window");
}

// The main window wide and at its smallest width: the names' column takes the width, the
// connect button and the status bar stay.
bool SaveResized(TFZQDir& window, const QString& wide, const QString& narrow) {
    window.resize(1270, 440);
    Settle();
    bool ok = SaveScreen({&window}, wide);
    window.resize(window.minimumWidth(), 440);
    Settle();
    ok = SaveScreen({&window}, narrow) && ok;
    window.resize(720, 440);
    Settle();
    return ok;
}

// The command window opened from the View menu, after a command sent with its own button:
// it must still be in front of the main window.
bool SaveCommandInFront(MainProgram& program, const QString& path) {
    TFZQDir& window = program.Window();
    if (program.Items() == nullptr) {
        return false;
    }
    TFRplCmd& rplCmd = program.Items()->CommandWindow();
    window.Action(ActionId::mnuRPL)->trigger();
    Settle();
    auto* line = rplCmd.findChild<QComboBox*>("cmboCmd");
    auto* send = rplCmd.findChild<QPushButton*>("btnSend");
    if (line == nullptr || send == nullptr) {
        return false;
    }
    line->setEditText("6 7 *");
    send->click();
    Settle();
    SayWhetherInFront("command window after Send", rplCmd);
    SayWhere("command window", rplCmd, window);
    bool saved = SaveScreen({&window, &rplCmd}, path);
    window.Action(ActionId::mnuRPL)->trigger();  // closes it again
    return saved;
}

std::string SampleScreen() {
    auto image = zqsim::ScreenImage::FromLines(
        {"RAD XYZ HEX R= 'X'", "{HOME MATHS}", "3:", "2:          3.14159265", "1:      \"Hello!\"",
         "", "", "SPEED A\\->B EXPR SQR"});
    return zqsim::ScreenStream(zqsim::ScreenVariant::Esc, image);
}

// The capture viewer with "Do Another Capture?" as a capture leaves them, the viewer stored
// with its title bar off the top of the screen: both in front of the main window, the title
// bar on the screen.
bool SaveCaptureInFront(MainProgram& program, const QString& path) {
    TFZQDir& window = program.Window();
    QSettings settings("Zenquist", "Vaddex");
    settings.setValue("ScreenCapture/Left", "-1");
    settings.setValue("ScreenCapture/Top", "-20");
    settings.sync();
    TFDownLd& prompt = program.Bridge().PromptWindow();
    TFCapture& viewer = TFCapture::Instance(&window, &prompt);
    // In the order of a capture: the screen arrives, then the question for another.
    viewer.ShowCapture(SampleScreen());
    Settle();
    prompt.ShowPrompt(kPromptCaptureAgain, "Do Another Capture?");
    Settle();
    std::printf("capture viewer title bar top: %d (geo %d,%d)\n", viewer.frameGeometry().top(),
                viewer.geometry().x(), viewer.geometry().y());
    bool saved = SaveScreen({&window, &viewer, &prompt}, path);
    viewer.close();           // hides the prompt too
    window.UpdateControls();  // a capture ends disconnected, which does this; here it did not
    Settle();
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
    // Away from the screen's corner, so that a window placed there is not mistaken for one
    // placed over the main window.
    window.move(300, 200);
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

    // A copy fills the progress window; it, a folder made and one refused go to the log.
    SessionCommands& commands = window.Commands();
    QTemporaryDir files;
    for (const auto& child : commands.Root().Children) {
        if (child->Name == "GREETING") {
            std::vector<std::string> paths;
            ok = commands.CopyItems({child.get()}, files.path().toStdString() + "/", paths) && ok;
        }
    }
    ok = commands.MakeDirectory("WORK") && ok;
    commands.Reread();
    commands.MakeDirectory("WORK");  // taken: the log says so
    bridge.LogWindow().ShowLog();
    Settle();
    ok = Save(bridge.LogWindow(), folder.filePath("log.png")) && ok;
    SayWhere("log", bridge.LogWindow(), window);
    ok = SaveScreen({&window, &bridge.LogWindow()}, folder.filePath("log-over-main.png")) && ok;

    ShowHelpTopic(&window, 125001);
    if (auto* help = window.findChild<HelpWindow*>()) {
        Settle();
        ok = Save(*help, folder.filePath("help.png")) && ok;
        help->ShowPage("125006.html");
        Settle();
        ok = Save(*help, folder.filePath("help-working-with-variables.png")) && ok;
    }
    if (auto* help = window.findChild<HelpWindow*>()) {
        help->close();
    }

    bridge.LogWindow().close();
    window.activateWindow();
    ok = SavePopup(window, folder.filePath("popup-menu.png")) && ok;
    ok = SaveCommandWindow(program, folder.filePath("command-window.png")) && ok;
    ok = SaveCommandInFront(program, folder.filePath("command-window-in-front.png")) && ok;
    ok = SaveCaptureInFront(program, folder.filePath("capture-viewer-in-front.png")) && ok;
    ok = SaveResized(window, folder.filePath("main-window-wide.png"),
                     folder.filePath("main-window-400.png")) &&
         ok;
    ok = SaveModal(folder.filePath("options.png"),
                   [&] { window.Action(ActionId::mnuOptions)->trigger(); }) &&
         ok;
    ok = SaveModal(folder.filePath("replace.png"), [&] { bridge.AskReplace("GREETING", 2); }) && ok;
    ok = SaveModalOver(window, folder.filePath("options-over-main.png"), "options",
                       [&] { window.Action(ActionId::mnuOptions)->trigger(); }) &&
         ok;
    ok = SaveModalOver(window, folder.filePath("replace-over-main.png"), "Confirm File Replace",
                       [&] { bridge.AskReplace("GREETING", 2); }) &&
         ok;
    ok =
        SaveModalOver(window, folder.filePath("replace-directory.png"), "Confirm Directory Replace",
                      [&] { bridge.AskReplaceDirectory("WORK", 3); }) &&
        ok;
    ok = SaveModalOver(window, folder.filePath("erase-calculator.png"), "Erase Calculator?",
                       [&] {
                           bridge.ShowTextPrompt(
                               "K8_10-Dec-2026.zqbackup\r\n\r\nIs a Calculator Backup file.\r\n"
                               "Continuing will erase the calculator's current contents.\r\n\r\n"
                               "Continue the Restore operation?",
                               "Erase Calculator?");
                       }) &&
         ok;
    ok = SaveModalOver(window, folder.filePath("wrong-file.png"), "Wrong File Type?",
                       [&] { bridge.AskWrongFile("/home/user/notes.doc", "doc", true); }) &&
         ok;
    ok = SaveModalOver(window, folder.filePath("about.png"), "About",
                       [&] { window.Action(ActionId::mnuAbout)->trigger(); }) &&
         ok;
    // The other windows have had the focus: the list takes it back, as a click would.
    window.activateWindow();
    WaitFor([&window] { return window.isActiveWindow(); }, kSettleMs);
    SelectRows(window, {"GREETING", "X", "LIST1"});
    if (!window.Action(ActionId::mnuProperties)->isEnabled()) {
        std::printf("Properties is disabled with three rows selected\n");
    }
    ok = SaveModal(folder.filePath("properties.png"),
                   [&] { window.Action(ActionId::mnuProperties)->trigger(); }) &&
         ok;
    window.close();
    return ok ? 0 : 1;
}
