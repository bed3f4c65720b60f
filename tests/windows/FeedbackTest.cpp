// What the windows tell the user: message icons, the "Looking for Calculator" Cancel, the
// log's timed lines, and the licence in the About window.

#include <QLabel>
#include <QRegularExpression>
#include <QtTest>

#include "windows/QtUiBridge.h"
#include "windows/TFAboutForm.h"
#include "windows/TFCnctStatus.h"
#include "windows/TFLog.h"

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
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape key") << true;
    }
    void LookingForCalculatorCancels() {
        QFETCH(bool, escape);
        TFCnctStatus looking;
        looking.show();
        QVERIFY(looking.btnCancel->isVisible());
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

    void LogNotesCarryTheTime() {
        TFLog log;
        QCOMPARE(log.windowTitle(), QString("Log"));
        log.Append("0/1024 bytes\r\n(0%)");
        log.Note("Copying GREETING");
        log.Note("Error (no calculator answered on /dev/pts/9)");
        QStringList lines = log.Text().split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QString("0/1024 bytes"));  // reports stay as they came
        QRegularExpression timed("^\\d\\d:\\d\\d:\\d\\d Copying GREETING$");
        QVERIFY2(timed.match(lines[2]).hasMatch(), qPrintable(lines[2]));
        QVERIFY(lines[3].endsWith(" Error (no calculator answered on /dev/pts/9)"));
    }

    void AboutNamesTheLicence() {
        TFAboutForm about;
        QLabel* licence = about.findChild<QLabel*>("lblLicence");
        QVERIFY(licence != nullptr);
        QCOMPARE(licence->text(), QString("GNU General Public License, version 3 or later"));
    }
};

QTEST_MAIN(FeedbackTest)
#include "FeedbackTest.moc"
