// The window's backup, restore, upload and capture commands against the simulated calculator,
// with the file dialog replaced by a scripted answer.

#include <QAction>
#include <QComboBox>
#include <QtTest>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <thread>

#include "WindowHarness.h"
#include "app/BridgeHooks.h"
#include "app/TFZQDir.h"
#include "app/WholeCalculatorCommands.h"
#include "session/PromptTexts.h"
#include "support/FifoDevice.h"
#include "support/SimFixture.h"
#include "support/TempDir.h"
#include "util/FileIo.h"
#include "windows/TFCapture.h"

using namespace vaddex;
using namespace vaddex::gui;
using namespace std::chrono;

namespace {

const char* const kUsbPort = "ZQx8G+_3";

std::string FileBytes(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

// A simulated K8, the window with its whole-calculator commands on a scripted bridge, a file
// dialog that answers from `answer` and keeps what it was asked.
struct Harness {
    Harness() {
        test::SimFixtureOptions options;
        options.connect = false;
        fixture = std::make_unique<test::SimFixture>(options);
        bridge = std::make_unique<apptest::HookedBridge>(window.State());
        ConnectHooks(*bridge, window);
        window.errorHandler = [this](const std::string& text) {
            errors << QString::fromStdString(text);
        };
        window.saveSettings = [](const frontend::StoredSettings&) {};
        window.FormCreate(*bridge, {});
        commands = new WholeCalculatorCommands(window, nullptr);
        commands->today = [] { return year_month_day(2026y / December / 7); };
        commands->askPath = [this](const FileQuestion& question) {
            asked.push_back(question);
            return QString::fromStdString(answer);
        };
    }
    ~Harness() {
        if (TFCapture* viewer = TFCapture::Existing()) {
            viewer->close();
        }
        window.FormDestroy();
    }

    void Connect() { window.ConnectFromCommandLine(QString::fromStdString(fixture->PortName())); }
    void SelectPort(const std::string& port, const QString& speed = "115200") {
        window.SpeedSelector()->setCurrentText(speed);
        window.PortSelector()->setEditText(QString::fromStdString(port));
    }
    void Trigger(ActionId action) {
        QAction* item = window.Action(action);
        QVERIFY2(item->isEnabled(), ActionName(action));
        item->trigger();
    }
    std::string File(const std::string& name) const { return fixture->Files().File(name); }
    // The calculator's variables as path, name and bytes, without the flag program that
    // travels in every archive.
    std::vector<std::string> Memory() {
        std::vector<std::string> memory;
        for (const auto& v : fixture->Snapshot()) {
            if (v.name != "fLaG") {
                memory.push_back(v.path + "|" + v.name + "|" + v.bytes);
            }
        }
        std::sort(memory.begin(), memory.end());
        return memory;
    }

    std::unique_ptr<test::SimFixture> fixture;
    TFZQDir window;
    std::unique_ptr<apptest::HookedBridge> bridge;
    WholeCalculatorCommands* commands = nullptr;  // owned by the window
    std::string answer;
    std::vector<FileQuestion> asked;
    QStringList errors;
};

}  // namespace

class WholeCalculatorTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Nothing here may touch the user's own settings.
        ::setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1);
    }

    void BackupThenRestoreReproducesTheMemory() {
        Harness h;
        h.Connect();
        std::vector<std::string> before = h.Memory();
        h.answer = h.File("K8_7-Dec-2026.zqbackup");
        h.Trigger(ActionId::mnuBackup);
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
        QCOMPARE(h.asked.size(), std::size_t{1});
        QCOMPARE(h.asked[0].proposedName, QString("K8_7-Dec-2026.zqbackup"));
        QCOMPARE(h.asked[0].title, QString("Archive Calculator to PC"));
        QVERIFY(h.asked[0].save);
        QCOMPARE(FileBytes(h.answer).substr(0, 6), std::string("ZQZQK8"));
        QVERIFY(!h.window.Busy());

        h.fixture->WithCalculator(
            [](zqsim::SimCalculator& c) { c.Execute("HOME 'X' PURGE 99 'NEW' STO"); });
        h.window.Reread();
        QVERIFY(h.window.ListCaptions().contains("NEW"));
        h.bridge->ClearRecords();
        h.Trigger(ActionId::mnuRestore);  // "Erase Calculator?" and prompt 9 answered OK
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
        QCOMPARE(h.asked.size(), std::size_t{2});
        QCOMPARE(h.asked[1].title, QString("Restore Calculator from PC"));
        QVERIFY(!h.asked[1].save);
        std::vector<test::ScriptedUiBridge::Prompt> prompts = h.bridge->Prompts();
        QCOMPARE(prompts.size(), std::size_t{2});
        QCOMPARE(prompts[0].caption, std::string("Erase Calculator?"));
        QCOMPARE(prompts[1].kind, int(kPromptRestored));
        QTRY_COMPARE(h.Memory(), before);
        // The reconnect rebuilt what the window shows from the restored memory.
        QVERIFY(h.window.Connected());
        QVERIFY(h.window.ListCaptions().contains("X"));
        QVERIFY(!h.window.ListCaptions().contains("NEW"));
    }

    void RestoreRefusesWhatIsNoArchiveBeforeTouchingTheCalculator_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("text, not an archive") << QByteArray("hello, calculator\n");
        QTest::newRow("header only") << QByteArray("ZQZQK8-C");
    }
    void RestoreRefusesWhatIsNoArchiveBeforeTouchingTheCalculator() {
        QFETCH(QByteArray, content);
        Harness h;
        h.Connect();
        std::vector<std::string> before = h.Memory();
        h.answer = h.File("bad.zqbackup");
        QVERIFY(WriteWholeFile(h.answer, content.toStdString()));
        h.bridge->ClearRecords();
        h.Trigger(ActionId::mnuRestore);
        QCOMPARE(h.errors.size(), 1);
        QVERIFY2(h.errors[0].contains("bad.zqbackup"), qPrintable(h.errors[0]));
        QVERIFY(h.bridge->Prompts().empty());
        QCOMPARE(h.bridge->Count("Report"), 0);
        QCOMPARE(h.Memory(), before);
        QVERIFY(h.window.Connected());
        QVERIFY(!h.window.Busy());
    }

    void UnwritableTargetIsRefusedBeforeTheTransfer() {
        Harness h;
        h.Connect();
        // A plain file where the folder should be: no file can be made below it, even as root.
        QVERIFY(WriteWholeFile(h.File("plain"), "x"));
        h.bridge->ClearRecords();
        h.answer = h.File("plain/K8.zqbackup");
        h.Trigger(ActionId::mnuBackup);
        QCOMPARE(h.errors.size(), 1);
        QVERIFY2(h.errors[0].startsWith("Cannot write " + QString::fromStdString(h.answer)),
                 qPrintable(h.errors[0]));
        QCOMPARE(h.bridge->Count("Report"), 0);
        QVERIFY(h.window.Connected());

        h.window.Disconnect();
        h.SelectPort(h.fixture->PortName());
        h.answer = h.File("plain/up.zq");
        h.Trigger(ActionId::mnuUploadFile);
        QCOMPARE(h.errors.size(), 2);
        QVERIFY2(h.bridge->Prompts().empty(), "the calculator is not asked to send");
        QVERIFY(!FileExists(h.answer));
    }

    void UnmeasurableUploadKeepsThePaddedFile() {
        Harness h;
        test::FifoDevice device(h.fixture->UsbRoot(), kUsbPort);
        h.SelectPort(kUsbPort);
        h.window.State().transfer.receiveCRC = false;  // the device answers the checksum's NAK
        // A string whose length field claims far more than the block holds.
        std::string block = std::string("ZQZQK8-C") + ",*" + std::string("\xF0\xFF\xFF", 3);
        block.resize(128, 'p');
        unsigned sum = 0;
        for (unsigned char c : block) {
            sum += c;
        }
        std::thread calculator([&] {
            if (device.Read(1, 10000) != "\x15") {
                return;
            }
            device.Write(std::string("\x01\x01\xFE") + block + static_cast<char>(sum & 0xFF));
            device.Read(1, 5000);
            device.Write("\x04");
            device.Read(1, 5000);
        });
        h.answer = h.File("up.zq");
        h.Trigger(ActionId::mnuUploadFile);
        calculator.join();
        QCOMPARE(h.asked.at(0).title, QString("Upload File to PC"));
        QCOMPARE(FileBytes(h.answer), block);
        QCOMPARE(h.bridge->Messages().size(), std::size_t{1});
        QCOMPARE(h.bridge->Messages()[0].caption, std::string("Decompile Error"));
        QVERIFY(!h.window.Connected());
        QVERIFY(!h.window.Busy());
    }

    void CaptureAsksForTheSpeedItNeeds_data() {
        QTest::addColumn<QString>("port");  // "pty", "usb" or a port text
        QTest::addColumn<QString>("speed");
        QTest::addColumn<int>("asked");  // the speed in the question; 0: no question
        QTest::newRow("57600 asks 115200") << "pty"
                                           << "57600" << 115200;
        QTest::newRow("14400 asks 9600") << "pty"
                                         << "14400" << 9600;
        QTest::newRow("9600 asks nothing") << "pty"
                                           << "9600" << 0;
        QTest::newRow("115200 asks nothing") << "pty"
                                             << "115200" << 0;
        QTest::newRow("USB asks nothing") << "usb"
                                          << "57600" << 0;
    }
    void CaptureAsksForTheSpeedItNeeds() {
        QFETCH(QString, port);
        QFETCH(QString, speed);
        QFETCH(int, asked);
        Harness h;
        std::unique_ptr<test::FifoDevice> device;
        if (port == "usb") {
            device = std::make_unique<test::FifoDevice>(h.fixture->UsbRoot(), kUsbPort);
        }
        h.SelectPort(port == "usb" ? kUsbPort : h.fixture->PortName(), speed);
        h.bridge->QueuePromptAnswer(false);  // the speed question, if any, is declined
        h.bridge->CancelWhenPromptShown(kPromptCaptureFirst);
        h.Trigger(ActionId::mnuCapture);
        std::vector<test::ScriptedUiBridge::Prompt> prompts = h.bridge->Prompts();
        QVERIFY(!prompts.empty());
        if (asked != 0) {
            QCOMPARE(prompts.size(), std::size_t{1});
            QCOMPARE(prompts[0].caption, std::string("Set the Calculator"));
            QVERIFY(prompts[0].text.find("at \r\n" + std::to_string(asked) + " baud") !=
                    std::string::npos);
        } else {
            QCOMPARE(prompts[0].kind, int(kPromptCaptureFirst));
        }
        QVERIFY(TFCapture::Existing() == nullptr);
        QVERIFY(!h.window.Busy());
    }

    void CaptureWithAutoIsRefusedOnce() {
        Harness h;
        h.SelectPort("Auto", "57600");
        h.Trigger(ActionId::tbtnScrnCapture);
        QCOMPARE(h.bridge->Messages().size(), std::size_t{1});
        QCOMPARE(h.bridge->Messages()[0].caption, std::string("Com Setting Error"));
        QVERIFY(h.bridge->Prompts().empty());
    }

    void CapturedScreensGoToTheViewerUntilTheUserStops() {
        Harness h;
        h.Connect();
        h.bridge->SetOnPromptShown([&h](int kind) {
            if (kind == kPromptCaptureFirst) {
                h.fixture->Server().StartScreen(zqsim::ScreenVariant::Esc);
            }
        });
        h.bridge->CancelWhenPromptShown(kPromptCaptureAgain);
        h.Trigger(ActionId::tbtnScrnCapture);
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join('\n')));
        QVERIFY2(!h.window.Connected(), "the capture disconnects first");
        std::vector<test::ScriptedUiBridge::Prompt> prompts = h.bridge->Prompts();
        QCOMPARE(prompts.size(), std::size_t{2});
        QCOMPARE(prompts[1].kind, int(kPromptCaptureAgain));
        QCOMPARE(prompts[1].caption, std::string("Do Another Capture?"));
        TFCapture* viewer = TFCapture::Existing();
        QVERIFY(viewer != nullptr);
        QVERIFY(viewer->isVisible());
        QVERIFY(!viewer->Picture().isNull());
        QVERIFY(!h.window.Busy());
        // Nothing is captured any more, and the session the capture ended is gone.
        QCOMPARE(h.window.StatusPanel(0), QString(kDisconnectedText));
        QCOMPARE(h.window.StatusPanel(1), QString());
    }

private:
    test::TempDir config_;
};

QTEST_MAIN(WholeCalculatorTest)
#include "WholeCalculatorTest.moc"
