// The whole program as a user starts it: MainProgram with its settings file and real windows,
// against the built-in simulated calculator and against zqsim on a pseudo-terminal.

#include <QAction>
#include <QComboBox>
#include <QSettings>
#include <QTreeWidget>
#include <QtTest>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/MainProgram.h"
#include "support/TempDir.h"
#include "support/ZqsimProcess.h"
#include "util/VersionText.h"
#include "windows/TFAboutForm.h"
#include "windows/TFCnctStatus.h"
#include "windows/TVersionLabel.h"

using namespace vaddex;
using namespace vaddex::gui;

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
    return window.Tree()->topLevelItem(0)->text(0);
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
        QTest::addColumn<bool>("builtIn");
        QTest::newRow("built-in simulated calculator") << true;
        QTest::newRow("zqsim pseudo-terminal") << false;
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
            MainProgram program(arguments);
            QStringList errors;
            program.Window().errorHandler = [&errors](const std::string& text) {
                errors << QString::fromStdString(text);
            };
            QString splashVersion;
            ShowWatch splash(&program.AboutWindow(),
                             [&] { splashVersion = program.AboutWindow().VersionLabel().text(); });
            program.Show();
            QTRY_VERIFY_WITH_TIMEOUT(program.Window().Connected(), kConnectTimeoutMs);
            QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
            QString port = builtIn ? QString::fromStdString(program.Calculator()->PortName())
                                   : QString::fromStdString(zqsim->Port());
            QCOMPARE(program.Window().PortSelector()->currentText(), port);
            QCOMPARE(RootCaption(program.Window()), QString("HOME (ZQ-K8)"));
            // The splash came first, naming the version once.
            QCOMPARE(splashVersion, " " + QString::fromStdString(VersionText()));
            QVERIFY(!program.AboutWindow().isVisible());

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
        window.errorHandler = [&errors](const std::string& text) {
            errors << QString::fromStdString(text);
        };
        TFCnctStatus& looking = program.Bridge().ConnectStatusWindow();
        bool seen = false;
        std::optional<bool> lookedConnected;
        QString captionMeanwhile;
        ShowWatch watch(&looking, [&] {
            if (seen) {
                return;  // only the first connect is cancelled
            }
            seen = true;
            lookedConnected = window.CurrentWindowState().connected;
            captionMeanwhile = RootCaption(window);
            QTimer::singleShot(0, looking.btnCancel, &QPushButton::click);
        });
        window.show();
        window.PortSelector()->setCurrentIndex(0);
        QCOMPARE(window.PortSelector()->currentText(), QString("Auto"));
        window.ConnectToCalculator();
        ::unsetenv("VADDEX_EXTRA_PORTS");

        QVERIFY(seen);
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

    void TheLogKeepsEachStepWithItsTime() {
        test::ZqsimProcess zqsim;
        MainProgram program(ProgramArguments{});
        program.Window().errorHandler = [](const std::string&) {};
        program.Window().show();
        program.Window().ConnectFromCommandLine(QString::fromStdString(zqsim.Port()));
        QVERIFY(program.Window().Connected());
        program.Window().Disconnect();
        program.Window().ConnectFromCommandLine("/dev/nonexistent-port");
        QString log = program.Bridge().LogWindow().Text();
        QRegularExpression stamp("^\\d\\d:\\d\\d:\\d\\d ");
        QStringList lines = log.split('\n');
        auto logged = [&](const QString& text) {
            for (const QString& line : lines) {
                if (line.contains(stamp) && line.contains(text)) {
                    return true;
                }
            }
            return false;
        };
        QVERIFY2(logged("Begin dialog on port: " + QString::fromStdString(zqsim.Port())),
                 qPrintable(log));
        QVERIFY2(logged(kDisconnectedText), qPrintable(log));
        QVERIFY2(logged("/dev/nonexistent-port"), qPrintable(log));  // the failure's outcome
        QCOMPARE(program.Bridge().LogWindow().windowTitle(), QString("Log"));
        program.Window().close();
    }

private:
    test::TempDir config_;
};

QTEST_MAIN(ProgramStartTest)
#include "ProgramStartTest.moc"
