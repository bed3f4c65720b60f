// The whole program as a user starts it: MainProgram with its settings file and real windows,
// against the built-in simulated calculator and against zqsim on a pseudo-terminal.

#include <QAction>
#include <QComboBox>
#include <QScreen>
#include <QSettings>
#include <QtTest>
#include <memory>
#include <optional>

#include "WindowHarness.h"
#include "app/MainProgram.h"
#include "support/FlagRows.h"
#include "support/TempDir.h"
#include "support/ZqsimProcess.h"
#include "util/VersionText.h"
#include "windows/TFAboutForm.h"
#include "windows/TFCnctStatus.h"
#include "windows/TVersionLabel.h"

using namespace vaddex;
using namespace vaddex::gui;
using vaddex::gui::apptest::CollectErrors;

namespace {

constexpr int kConnectTimeoutMs = 20000;

// Calls `react` each time `watched` is shown.
class ShowWatch : public QObject {
public:
    ShowWatch(QWidget* watched, std::function<void()> react) : react_(std::move(react)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            react_();
        }
        return false;
    }

private:
    std::function<void()> react_;
};

QString RootCaption(TFZQDir& window) {
    return window.Tree()->model()->index(0, 0).data().toString();
}

}  // namespace

class ProgramStartTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // One settings file for the whole run, as a user has; never the user's own.
        ::setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1);
    }

    void EveryStartConnects_data() {
        test::FlagRows("builtIn", "zqsim pseudo-terminal", "built-in simulated calculator");
    }
    void EveryStartConnects() {
        QFETCH(bool, builtIn);
        std::unique_ptr<test::ZqsimProcess> zqsim;
        ProgramArguments arguments;
        if (builtIn) {
            arguments.sim = "sim";
        } else {
            zqsim = std::make_unique<test::ZqsimProcess>();
            arguments.port = QString::fromStdString(zqsim->Port());
        }
        for (int start = 1; start <= 2; ++start) {
            // The very first start has no place stored: the middle of the screen. After that
            // the stored place wins.
            QSettings stored("Zenquist", "Vaddex");
            bool placeStored = stored.contains("FZQDir/Left");
            const QPoint storedAt(150, 90);
            if (placeStored) {
                stored.setValue("FZQDir/Left", QString::number(storedAt.x()));
                stored.setValue("FZQDir/Top", QString::number(storedAt.y()));
                stored.sync();
            }
            MainProgram program(arguments);
            QStringList errors;
            CollectErrors(program.Window(), errors);
            QString splashVersion;
            ShowWatch splash(&program.AboutWindow(),
                             [&] { splashVersion = program.AboutWindow().VersionLabel().text(); });
            program.Show();
            QWidget& shown = program.Window();
            QVERIFY(shown.width() >= 900 && shown.height() >= 600);
            if (placeStored) {
                QCOMPARE(shown.pos(), storedAt);
            } else {
                QPoint off =
                    shown.geometry().center() - shown.screen()->availableGeometry().center();
                QVERIFY2(off.manhattanLength() <= 4,
                         qPrintable(QString("%1,%2 off the middle").arg(off.x()).arg(off.y())));
            }
            QTRY_VERIFY_WITH_TIMEOUT(program.Window().Connected(), kConnectTimeoutMs);
            QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
            std::string port = builtIn ? program.Calculator()->PortName() : zqsim->Port();
            QCOMPARE(program.Window().PortSelector()->currentText(), QString::fromStdString(port));
            QCOMPARE(RootCaption(program.Window()), QString("HOME (ZQ-K8)"));
            QCOMPARE(program.Window().windowTitle(),
                     QString("HOME (ZQ-K8) - ZQ K7, K8 Calculator Vaddex"));
            // The splash came first, naming the version once.
            QCOMPARE(splashVersion, " " + QString::fromStdString(VersionText()));
            QVERIFY(!program.AboutWindow().isVisible());

            program.Window().Disconnect();
            QCOMPARE(program.Window().windowTitle(), QString("ZQ K7, K8 Calculator Vaddex"));
            program.Window().Action(ActionId::mnuExit)->trigger();
            QVERIFY(!program.Window().isVisible());
            // What made the second start fail: the placement says the window was showing.
            QCOMPARE(QSettings("Zenquist", "Vaddex").value("FZQDir/Visible").toString(),
                     QString("1"));
        }
    }

    void CancelStopsLookingAndNothingLooksConnectedMeanwhile() {
        test::ZqsimProcess zqsim;
        // The automatic search tries zqsim's port, and it answers.
        ::setenv("VADDEX_EXTRA_PORTS", zqsim.Port().c_str(), 1);
        MainProgram program(ProgramArguments{});
        TFZQDir& window = program.Window();
        QStringList errors;
        CollectErrors(window, errors);
        TFCnctStatus& looking = program.Bridge().ConnectStatusWindow();
        std::optional<bool> lookedConnected;
        QString captionMeanwhile;
        ShowWatch watch(&looking, [&] {
            if (lookedConnected) {
                return;  // only the first connect is cancelled
            }
            lookedConnected = window.CurrentWindowState().connected;
            captionMeanwhile = RootCaption(window);
            QTimer::singleShot(0, looking.btnCancel, &QPushButton::click);
        });
        window.show();
        window.PortSelector()->setCurrentIndex(0);  // Auto
        window.ConnectToCalculator();
        ::unsetenv("VADDEX_EXTRA_PORTS");

        QCOMPARE(lookedConnected, std::optional<bool>(false));
        QCOMPARE(captionMeanwhile, QString("ZQ ?"));
        QVERIFY(!looking.isVisible());
        QVERIFY(!window.Connected());
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));  // the user's own choice
        QCOMPARE(window.StatusPanel(0), QString("Connect cancelled"));
        QCOMPARE(RootCaption(window), QString("ZQ ?"));

        // The next connect is not taken for cancelled.
        window.ConnectFromCommandLine(QString::fromStdString(zqsim.Port()));
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        QVERIFY(window.Connected());
        window.close();
    }

    // Each connect, disconnect and failure reaches the log with its time.
    void TheLogKeepsEachStepWithItsTime() {
        test::ZqsimProcess zqsim;
        MainProgram program(ProgramArguments{});
        program.Window().errorHandler = [](const std::string&) {};
        program.Window().show();
        program.Window().ConnectFromCommandLine(QString::fromStdString(zqsim.Port()));
        QVERIFY(program.Window().Connected());
        program.Window().Disconnect();
        program.Window().ConnectFromCommandLine("/dev/nonexistent-port");
        const QString log = program.Bridge().LogWindow().Text();
        for (const QString& step : {"connected on " + QString::fromStdString(zqsim.Port()),
                                    QString(kDisconnectedText), QString("/dev/nonexistent-port")}) {
            QRegularExpression timed("^\\d\\d:\\d\\d:\\d\\d .*" + QRegularExpression::escape(step),
                                     QRegularExpression::MultilineOption);
            QVERIFY2(timed.match(log).hasMatch(), qPrintable(step + " in\n" + log));
        }
        program.Window().close();
    }

private:
    test::TempDir config_;
};

QTEST_MAIN(ProgramStartTest)
#include "ProgramStartTest.moc"
