// Drives `vaddex --sim` as a user would, through the real dialogs and prompts: screen capture,
// backup, restore, upload (XSEND), download of a file (XRECV) and, on the USB model, the ROM
// download. Saves pictures of the capture viewer, the backup save dialog and the refusal of a
// backup into a folder for a person to look at and prints one line per command. Usage:
// whole_calculator_shots FOLDER [MODEL] (MODEL as for --sim; K8G+ also runs the ROM download). Exit
// status 1 when a command failed.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/MainProgram.h"
#include "app/WholeCalculatorCommands.h"
#include "session/PromptTexts.h"
#include "session/SessionCommands.h"
#include "windows/TFCapture.h"
#include "windows/TFDownLd.h"

using namespace vaddex;
using namespace vaddex::gui;

namespace {

constexpr int kWaitMs = 30000;
// Long enough for the simulated calculator's user to start the calculator's side first.
constexpr int kPromptAnswerMs = 1500;
// "Wait for the Calculator": a person gives the restore time before pressing "Connect".
constexpr int kRestoreWaitMs = 8000;

// Plays the person at the keyboard: answers file dialogs with the next path, presses OK on
// modal prompts, notes and closes message boxes, and takes the pictures on the way.
class Person : public QObject {
public:
    Person(MainProgram& program, const QDir& folder) : program_(program), folder_(folder) {
        connect(&timer_, &QTimer::timeout, this, [this] { Look(); });
        timer_.start(100);
    }

    QString nextPath;
    QStringList messages;
    QString nextBoxShot;  // the file name for a picture of the next message box
    bool viewerShot = false;
    bool dialogShot = false;

private:
    void Look() {
        if (looking_) {
            return;  // a picture being taken lets events run
        }
        looking_ = true;
        LookOnce();
        looking_ = false;
    }

    void LookOnce() {
        if (std::getenv("SHOTS_LOG") != nullptr && (++ticks_ % 50) == 0 && ticks_ < 4000) {
            QGuiApplication::primaryScreen()->grabWindow(0).save(
                folder_.filePath(QString("watch-%1.png").arg(ticks_, 3, 10, QChar('0'))));
        }
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible()) {
                continue;
            }
            if (auto* dialog = qobject_cast<QFileDialog*>(w)) {
                AnswerDialog(*dialog);
                return;
            }
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                messages << box->windowTitle() + ": " + box->text();
                if (!nextBoxShot.isEmpty()) {
                    Save(box->grab(), qPrintable(nextBoxShot));
                    nextBoxShot.clear();
                }
                box->accept();
                return;
            }
        }
        AnswerPrompt();
        TFCapture* viewer = TFCapture::Existing();
        TFDownLd& prompt = program_.Bridge().PromptWindow();
        bool anotherAsked = prompt.isVisible() && prompt.CurrentPromptKind() == kPromptCaptureAgain;
        if (viewer != nullptr && viewer->isVisible() && anotherAsked) {
            if (!viewerShot) {
                Save(viewer->grab(), "capture-viewer.png");
                SaveScreen("capture-viewer-screen.png");
                viewerShot = true;
            }
            viewer->close();  // hides "Do Another Capture?", which ends the capture loop
        }
    }

    void AnswerDialog(QFileDialog& dialog) {
        if (dialog.acceptMode() == QFileDialog::AcceptSave && !dialogShot) {
            QTest::qWait(300);
            Save(dialog.grab(), "backup-save-dialog.png");
            SaveScreen("backup-save-dialog-screen.png");
            dialogShot = true;
        }
        if (nextPath.isEmpty()) {
            dialog.reject();
            return;
        }
        // Typed, as a person would: the folder, then the name over the one proposed.
        dialog.setDirectory(QFileInfo(nextPath).absolutePath());
        if (auto* name = dialog.findChild<QLineEdit*>("fileNameEdit")) {
            name->setText(QFileInfo(nextPath).fileName());
        }
        nextPath.clear();
        // Later, so that a question the dialog asks (replace?) is answered here too.
        QTimer::singleShot(0, &dialog, [&dialog] {
            static_cast<QDialog&>(dialog).accept();  // QFileDialog's own accept reads the name
        });
    }

    void AnswerPrompt() {
        TFDownLd& prompt = program_.Bridge().PromptWindow();
        if (!prompt.isVisible() || !prompt.btnOK->isVisible()) {
            shownFor_.invalidate();
            return;
        }
        if (!shownFor_.isValid()) {
            shownFor_.start();
        } else if (shownFor_.elapsed() > (prompt.CurrentPromptKind() == kPromptRestored
                                              ? kRestoreWaitMs
                                              : kPromptAnswerMs)) {
            shownFor_.invalidate();
            prompt.btnOK->click();
        }
    }

    void Save(const QPixmap& picture, const char* name) {
        picture.save(folder_.filePath(name));
        std::printf("picture: %s\n", qPrintable(folder_.filePath(name)));
    }
    void SaveScreen(const char* name) {
        Save(QGuiApplication::primaryScreen()->grabWindow(0), name);
    }

    MainProgram& program_;
    QDir folder_;
    QTimer timer_;
    QElapsedTimer shownFor_;
    bool looking_ = false;
    int ticks_ = 0;
};

struct Run {
    MainProgram& program;
    Person& person;
    QDir folder;
    int failures = 0;

    TFZQDir& Window() { return program.Window(); }
    void Report(const char* command, bool ok, const QString& detail) {
        std::printf("%s: %s %s\n", command, ok ? "ok" : "FAILED", qPrintable(detail));
        if (!person.messages.isEmpty()) {
            std::printf("  messages: %s\n", qPrintable(person.messages.join(" | ")));
            person.messages.clear();
        }
        failures += ok ? 0 : 1;
        if (!ok && std::getenv("SHOTS_LOG") != nullptr) {
            std::printf("  log: %s\n  status: %s\n",
                        qPrintable(program.Bridge().LogWindow().Text()),
                        qPrintable(Window().StatusPanel(0)));
        }
    }
    bool Connect() {
        if (!Window().Connected()) {
            Window().tbtnConnectClick();
        }
        return QTest::qWaitFor([&] { return Window().Connected() && !Window().Busy(); }, kWaitMs);
    }
    void Trigger(ActionId action) { Window().Action(action)->trigger(); }
    qint64 SizeOf(const QString& name) { return QFileInfo(folder.filePath(name)).size(); }
};

void Capture(Run& run) {
    run.Trigger(ActionId::tbtnScrnCapture);
    run.Report("capture", run.person.viewerShot, "");
}

void BackupAndRestore(Run& run) {
    if (!run.Connect()) {
        return run.Report("connect", false, "");
    }
    QString archive = run.folder.filePath("archive.zqbackup");
    run.person.nextPath = archive;
    run.Trigger(ActionId::mnuBackup);
    run.Report("backup", run.SizeOf("archive.zqbackup") > 8,
               QString("%1 bytes").arg(run.SizeOf("archive.zqbackup")));

    // The refresh the backup started runs first, as it would before a person's next command.
    QTest::qWait(500);
    (void)QTest::qWaitFor([&] { return !run.Window().Busy(); }, kWaitMs);
    run.Window().Commands().RunCalculatorCommand("99 'ADDED' STO");
    run.Window().Reread();
    bool added = run.Window().ListCaptions().contains("ADDED");
    run.Report("store a variable", added, "ADDED");
    run.person.nextPath = archive;
    run.Trigger(ActionId::mnuRestore);  // "Erase Calculator?" and "Connect" are pressed
    bool back = QTest::qWaitFor([&] { return run.Window().Connected(); }, kWaitMs);
    (void)QTest::qWaitFor([&] { return !run.Window().ListCaptions().contains("ADDED"); }, kWaitMs);
    bool restored = added && back && !run.Window().ListCaptions().contains("ADDED");
    run.Report("restore", restored, restored ? "the added variable is gone" : "");
}

// A folder chosen as the backup's file: refused, with the reason, before the calculator is
// asked for anything.
void BackupIntoAFolder(Run& run) {
    QString folder = run.folder.filePath("folder.zqbackup");
    run.folder.mkpath("folder.zqbackup");
    auto* whole = run.Window().findChild<WholeCalculatorCommands*>();
    if (whole == nullptr) {
        return run.Report("backup into a folder", false, "no whole-calculator commands");
    }
    // The file dialog would open the folder instead of returning it: the answer is given here.
    auto dialog = whole->askPath;
    whole->askPath = [&folder](const FileQuestion&) { return folder; };
    run.person.nextBoxShot = "backup-into-folder.png";
    run.Trigger(ActionId::mnuBackup);
    whole->askPath = dialog;
    bool refused = run.person.messages.join(" ").contains("It is a folder.");
    run.Report("backup into a folder", refused, refused ? "refused" : "");
}

void UploadAndDownload(Run& run) {
    run.Window().Disconnect();
    run.person.nextPath = run.folder.filePath("GREETING.zq");
    run.Trigger(ActionId::mnuUploadFile);  // prompt 6: the calculator's XSEND sends GREETING
    run.Report("upload (XSEND)", run.SizeOf("GREETING.zq") > 0,
               QString("%1 bytes").arg(run.SizeOf("GREETING.zq")));
    run.person.nextPath = run.folder.filePath("GREETING.zq");
    run.Trigger(ActionId::mnuDownloadFile);  // prompt 4, then prompt 5 pressed
    bool sent = run.person.messages.isEmpty() && !run.Window().Connected();
    run.Report("download file (XRECV)", sent && run.Connect(), "");
}

void Rom(Run& run) {
    QFile rom(run.folder.filePath("update.bin"));
    rom.open(QIODevice::WriteOnly);
    rom.write(QByteArray(40000, '\x5a'));
    rom.close();
    run.Window().Disconnect();
    run.person.nextPath = rom.fileName();
    run.Trigger(
        ActionId::mnuRomDownload);  // prompt 7 pressed after the calculator's loader started
    run.Report("ROM download", run.person.messages.isEmpty(), "40000 bytes");
}

}  // namespace

int main(int argc, char** argv) {
    // A private settings folder: nothing depends on, nor changes, the user's own.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QTemporaryDir config;
    ::setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: whole_calculator_shots FOLDER [MODEL]\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.removeRecursively();
    folder.mkpath(".");
    QString model = argc > 2 ? QString::fromLocal8Bit(argv[2]) : "K8";
    MainProgram program(ParseProgramArguments({"--sim=" + model}));
    program.Window().move(20, 20);
    program.Show();
    Person person(program, folder);
    Run run{program, person, folder};
    if (!QTest::qWaitFor([&] { return program.Window().Connected(); }, kWaitMs)) {
        std::fprintf(stderr, "the simulated calculator did not connect\n");
        return 1;
    }
    if (std::getenv("SHOTS_BACKUP_FIRST") != nullptr) {
        BackupAndRestore(run);
        Capture(run);
    } else {
        Capture(run);
        BackupAndRestore(run);
    }
    BackupIntoAFolder(run);
    UploadAndDownload(run);
    if (model.toUpper() == "K8G+") {
        Rom(run);
    }
    program.Window().close();
    return run.failures == 0 ? 0 : 1;
}
