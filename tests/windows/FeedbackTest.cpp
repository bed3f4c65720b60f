// What the windows tell the user: message icons, the "Looking for Calculator" Cancel, and the
// wait for a silent calculator in the status bar and "Calculator is Working", whose Cancel ends
// it at once.

#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include "link/CommLink.h"
#include "session/TXModemServer.h"
#include "support/FlagRows.h"
#include "support/PtyPeer.h"
#include "util/Errors.h"
#include "windows/QtUiBridge.h"
#include "windows/TFCmndStatus.h"
#include "windows/TFCnctStatus.h"

using namespace vaddex;
using namespace vaddex::gui;

Q_DECLARE_METATYPE(QMessageBox::Icon)

class FeedbackTest : public QObject {
    Q_OBJECT

private slots:
    void MessagesShowTheIconOfWhatHappened_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::newRow("a read error stops") << "Read Error" << QMessageBox::Critical;
        QTest::newRow("the wrong server stops") << "Wrong Server" << QMessageBox::Critical;
        QTest::newRow("a command window error stops") << "Vaddex" << QMessageBox::Critical;
        QTest::newRow("an unsent text file warns") << "Warning" << QMessageBox::Warning;
        QTest::newRow("a file left as it was warns") << "File Not Replaced" << QMessageBox::Warning;
        QTest::newRow("anything else informs") << "Backup" << QMessageBox::Information;
    }
    void MessagesShowTheIconOfWhatHappened() {
        QFETCH(QString, caption);
        QFETCH(QMessageBox::Icon, icon);
        QCOMPARE(QtUiBridge::MessageIcon(caption.toStdString()), icon);
    }

    void LookingForCalculatorCancels_data() {
        test::FlagRows("escape", "Cancel button", "Escape key");
    }
    void LookingForCalculatorCancels() {
        QFETCH(bool, escape);
        TFCnctStatus looking;
        looking.show();
        QVERIFY(!looking.TakeCancelled());
        if (escape) {
            QTest::keyClick(&looking, Qt::Key_Escape);
        } else {
            QTest::mouseClick(looking.btnCancel, Qt::LeftButton);
        }
        QVERIFY(!looking.isVisible());
        QVERIFY(looking.TakeCancelled());
        QVERIFY(!looking.TakeCancelled());  // once: the next connect starts afresh
        // Closed by the connect itself is no Cancel.
        looking.show();
        looking.hide();
        QVERIFY(!looking.TakeCancelled());
    }

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

QTEST_MAIN(FeedbackTest)
#include "FeedbackTest.moc"
