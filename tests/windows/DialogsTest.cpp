// The options, properties and About dialogs, the editor choice, and Edit as Text with script
// editors against the simulated calculator.

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "session/SessionCommands.h"
#include "support/SimFixture.h"
#include "support/TempDir.h"
#include "util/FileIo.h"
#include "util/VersionText.h"
#include "windows/EditAsText.h"
#include "windows/ExternalEditor.h"
#include "windows/TFAboutForm.h"
#include "windows/TFOptions.h"
#include "windows/TFProperty.h"
#include "windows/TVersionLabel.h"

namespace vaddex::test {

using namespace vaddex::gui;

namespace {

// A sh script run as the editor; the file is its $0.
ExternalEditor ScriptEditor(const QString& script) {
    ExternalEditor editor;
    editor.program = "/bin/sh";
    editor.arguments = {"-c", script};
    editor.commandLine = "sh";
    return editor;
}

void MakeExecutable(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void transIORule_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("addCR");
        QTest::addColumn<int>("expected");
        QTest::newRow("mode 1 without C/R stores 0") << 1 << "rbtnTrans1" << false << 0;
        QTest::newRow("mode 1 with C/R stores 1") << 0 << "rbtnTrans1" << true << 1;
        QTest::newRow("mode 2 ignores C/R") << 3 << "rbtnTrans2" << true << 2;
        QTest::newRow("mode 2 without C/R") << 3 << "rbtnTrans2" << false << 2;
        QTest::newRow("mode 3") << 2 << "rbtnTrans3" << false << 3;
    }

    void transIORule() {
        QFETCH(int, stored);
        QFETCH(QString, button);
        QFETCH(bool, addCR);
        QFETCH(int, expected);
        TFOptions dialog;
        FileOptions options;
        options.transfer.transIO = stored;
        dialog.Fill(options);
        QString shown = stored <= 1 ? "rbtnTrans1" : QString("rbtnTrans%1").arg(stored);
        QVERIFY(dialog.findChild<QRadioButton*>(shown)->isChecked());
        dialog.findChild<QRadioButton*>(button)->setChecked(true);
        dialog.findChild<QCheckBox*>("chbAddCR")->setChecked(addCR);
        FileOptions taken = dialog.Taken();
        QCOMPARE(taken.transfer.transIO, expected);
        QCOMPARE(taken.transfer.addCR, addCR);
    }

    void optionsChangeOnlyOnOk() {
        TFOptions dialog;
        FileOptions options;
        options.editor = "kate --block";
        options.addExtension = true;
        QTimer::singleShot(0, &dialog, [&] {
            dialog.findChild<QCheckBox*>("chbAddExtension")->setChecked(false);
            dialog.reject();
        });
        QVERIFY(!dialog.ShowOptions(options));
        QVERIFY(options.addExtension);
        QTimer::singleShot(0, &dialog, [&] {
            dialog.findChild<QCheckBox*>("chbAddExtension")->setChecked(false);
            dialog.accept();
        });
        QVERIFY(dialog.ShowOptions(options));
        QVERIFY(!options.addExtension);
        QCOMPARE(options.editor, std::string("kate --block"));
    }

    void propertiesTexts() {
        QCOMPARE(TFProperty::SizeText(1024), QString("1024 B"));
        QCOMPARE(TFProperty::SizeText(1025), QString("1 KB"));
        QCOMPARE(TFProperty::TimeText(0), QString("0min : 2s"));
        QCOMPARE(TFProperty::TimeText(125), QString("2min : 5s"));
        QCOMPARE(TFProperty::TransferSeconds(1000, 9600, false), std::int64_t{1});
        QCOMPARE(TFProperty::TransferSeconds(10000, 9600, true), std::int64_t{26});
        QCOMPARE(TFProperty::TransferSeconds(1000, 0, false), std::int64_t{0});
        TFProperty window;
        window.Fill("A\nB\\->C\n", 3000, 1);
        QCOMPARE(window.findChild<QListWidget*>("ListBox1")->count(), 2);
        QCOMPARE(window.findChild<QListWidget*>("ListBox1")->item(1)->text(), QString("B\\->C"));
        QCOMPARE(window.findChild<QLabel*>("Size")->text(), QString("2 KB"));
        QCOMPARE(window.findChild<QLabel*>("Time")->text(), QString("0min : 2s"));
    }

    void aboutShowsVersionUnderItsOwnTitle() {
        QWidget main;
        main.setWindowTitle("Vaddex - K8");
        TFAboutForm about(&main);
        QVERIFY(!about.VersionLabel().isVisible());
        about.show();
        QCOMPARE(about.windowTitle(), QString("About Vaddex"));
        QVERIFY(
            !(about.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(about.VersionLabel().text(), " " + QString::fromStdString(VersionText()));
        QVERIFY(about.VersionLabel().text().startsWith(" Version "));
    }

    void editorChoice() {
        TempDir bin;
        QString folder = QString::fromStdString(bin.Path());
        for (const char* name : {"vim", "xterm", "gedit"}) {
            MakeExecutable(folder + name);
        }
        QProcessEnvironment environment;
        environment.insert("PATH", folder);

        ExternalEditor set = ExternalEditor::Resolve("\"/opt/my editor/ed it\" -n", environment);
        QCOMPARE(set.program, QString("/opt/my editor/ed it"));
        QCOMPARE(set.arguments, QStringList{"-n"});

        environment.insert("EDITOR", "vim");
        ExternalEditor terminal = ExternalEditor::Resolve("", environment);
        QCOMPARE(terminal.program, folder + "xterm");
        QCOMPARE(terminal.arguments, (QStringList{"-e", "vim"}));

        environment.insert("VISUAL", "mygui --wait");
        QCOMPARE(ExternalEditor::Resolve("", environment).program, QString("mygui"));

        environment.remove("VISUAL");
        environment.remove("EDITOR");
        ExternalEditor desktop = ExternalEditor::Resolve("", environment);
        QCOMPARE(desktop.program, folder + "gedit");
        QCOMPARE(desktop.arguments, QStringList{"--wait"});

        // The desktop's own choice wins over the first editor found.
        MakeExecutable(folder + "kate");
        QFile query(folder + "xdg-mime");
        QVERIFY(query.open(QIODevice::WriteOnly));
        query.write("#!/bin/sh\necho org.kde.kate.desktop\n");
        query.close();
        query.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        desktop = ExternalEditor::Resolve("", environment);
        QCOMPARE(desktop.program, folder + "kate");
        QCOMPARE(desktop.arguments, QStringList{"--block"});
    }

    void editAsTextAgainstTheCalculator() {
        SimFixture sim;
        SessionCommands commands(sim.Session(), sim.Root());
        commands.Reread();
        sim.State().textMode = true;
        const TXPObject* x = nullptr;
        for (const auto& child : sim.Root().Children) {
            x = child->Name == "X" ? child.get() : x;
        }
        QVERIFY(x != nullptr);
        std::string before = sim.FindObject("HOME X").value();
        TempDir folder;
        std::string spaced = folder.Path() + "with blank/";
        QVERIFY(QDir().mkpath(QString::fromStdString(spaced)));

        // An editor that returns at once without saving: nothing is sent, and the file stays
        // for the watch of an editor that may still be editing it.
        std::string file;
        QVERIFY(commands.FetchItem(*x, spaced, file));
        QCOMPARE(EditAsText::Run(commands, file, "HOME", ScriptEditor("test -f \"$0\"")),
                 EditAsText::Outcome::ReturnedAtOnce);
        QVERIFY(FileExists(file));
        QCOMPARE(sim.FindObject("HOME X").value(), before);

        // An editor that writes a new body: the variable changes without a replace question.
        QVERIFY(commands.FetchItem(*x, spaced, file));
        QString rewrite =
            "head -n 1 \"$0\" > \"$0.new\" && printf '99.5\\r\\n' >> \"$0.new\" && "
            "mv \"$0.new\" \"$0\"";
        QCOMPARE(EditAsText::Run(commands, file, "HOME", ScriptEditor(rewrite)),
                 EditAsText::Outcome::Written);
        QVERIFY(!FileExists(file));
        commands.RunCalculatorCommand("CLEAR 'X' RCL");
        std::vector<std::string> lines;
        QVERIFY(commands.ReadStack(lines));
        QCOMPARE(lines, std::vector<std::string>{"1: 99.5"});
        QCOMPARE(sim.Ui().Count("Message"), 0);

        // An editor that cannot start: "Edit Error", nothing sent.
        QVERIFY(commands.FetchItem(*x, spaced, file));
        ExternalEditor missing;
        missing.program = QString::fromStdString(folder.Path() + "no-such-editor");
        missing.commandLine = missing.program;
        QCOMPARE(EditAsText::Run(commands, file, "HOME", missing),
                 EditAsText::Outcome::EditorNotStarted);
        QCOMPARE(sim.Ui().Messages().back().caption, std::string("Edit Error"));
        QVERIFY(sim.Ui().Find("SetBusy(false)") >= 0);
    }
};

}  // namespace vaddex::test

QTEST_MAIN(vaddex::test::DialogsTest)
#include "DialogsTest.moc"
