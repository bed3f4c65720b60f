// The window while a calculator says nothing: the wait is shown in the status bar and in
// "Calculator is Working", and that window's Cancel ends the wait at once.

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include "link/CommLink.h"
#include "session/TXModemServer.h"
#include "support/PtyPeer.h"
#include "util/Errors.h"
#include "windows/QtUiBridge.h"
#include "windows/TFCmndStatus.h"

using namespace vaddex;
using namespace vaddex::gui;

class WaitNoticeTest : public QObject {
    Q_OBJECT

private slots:
    void SilentCalculatorIsShownAndCancelEndsTheWait() {
        QMainWindow main;
        main.show();
        CalculatorState state;
        QtUiBridge ui(&main, state);
        CommLink link(ui);
        TXModemServer session(link, ui);
        test::PtyPeer silent;
        link.OpenPort(silent.SlavePath(), 9600);
        session.PortName = silent.SlavePath();
        QString ownText = ui.WorkingWindow().memPrompt->text();
        const QString notice = "No answer from the calculator (try 1 of 6)...";

        bool shown = false;
        QElapsedTimer sinceCancel;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (!shown && main.statusBar()->currentMessage() == notice &&
                ui.WorkingWindow().memPrompt->text().endsWith(notice)) {
                shown = true;
                sinceCancel.start();
                ui.WorkingWindow().BitBtn1->click();
            }
        });
        look.start(10);
        ui.ShowWorking();
        QVERIFY_THROWS_EXCEPTION(ConnectionError, session.ReceivePacket());
        look.stop();
        QVERIFY(shown);
        QVERIFY2(sinceCancel.elapsed() < 1000, "Cancel waited for the read's time-out");
        QCOMPARE(main.statusBar()->currentMessage(), QString());
        QCOMPARE(ui.WorkingWindow().memPrompt->text(), ownText);
        QVERIFY(!ui.Connected());
    }
};

QTEST_MAIN(WaitNoticeTest)
#include "WaitNoticeTest.moc"
