// The whole program as a user drives it with mouse and keys: MainProgram with its settings file
// and real windows against zqsim, checked against what vaddex-cli gets from the same calculator.

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTreeView>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "WindowHarness.h"
#include "app/MainProgram.h"
#include "shell/TFileSource.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/ZqsimProcess.h"

using namespace vaddex;
using namespace vaddex::gui;
using vaddex::gui::apptest::CollectErrors;
namespace fs = std::filesystem;

namespace {

constexpr int kCliTimeoutMs = 60000;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A file manager's folder window as small as can be: it takes a drop and copies the files
// the drag carries at once, in the drop itself.
class DropWindow : public QWidget {
public:
    explicit DropWindow(fs::path folder) : folder_(std::move(folder)) {
        setAcceptDrops(true);
        resize(200, 200);
    }
    int drops = 0;
    bool modalDuringDrop = false;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent* event) override {
        ++drops;
        modalDuringDrop = modalDuringDrop || QApplication::activeModalWidget() != nullptr;
        for (const QUrl& url : event->mimeData()->urls()) {
            fs::path from = url.toLocalFile().toStdString();
            fs::copy_file(from, folder_ / from.filename(), fs::copy_options::overwrite_existing);
        }
        event->acceptProposedAction();
    }

private:
    fs::path folder_;
};

// Plays the platform's drag loop: the pointer arrives over the drop window and lets go.
void DropInto(DropWindow& target, TFileSource& source) {
    std::unique_ptr<QMimeData> data(source.MakeDragData());
    QPoint middle(100, 100);
    QDragEnterEvent enter(middle, Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(middle, Qt::CopyAction, data.get(), Qt::NoButton, {});
    QApplication::sendEvent(&target, &drop);
}

// A press on the row, a move of a few pixels and the release, as a quick hand does.
void QuickDrag(TFZQDir& window, int proxyRow) {
    QTreeView* list = window.List();
    QModelIndex row = window.ListProxy()->index(proxyRow, 0);
    list->setFocus();
    list->setCurrentIndex(row);
    QPoint on = list->visualRect(row).center();
    QWidget* viewport = list->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, on);
    for (int step = 1; step <= 3; ++step) {
        QMouseEvent move(QEvent::MouseMove, on + QPoint(2 * step, step),
                         viewport->mapToGlobal(on + QPoint(2 * step, step)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, on);
}

}  // namespace

class ProgramDragTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ::setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1); }

    void QuickDragsOutDeliverWhatTheCliGets() {
        test::ZqsimProcess zqsim;
        test::TempDir dropped;
        test::TempDir got;
        const std::vector<std::string> names = {"LIST1", "GREETING", "X"};
        {
            ProgramArguments arguments;
            arguments.port = QString::fromStdString(zqsim.Port());
            MainProgram program(arguments);
            TFZQDir& window = program.Window();
            QStringList errors;
            CollectErrors(window, errors);
            program.Show();
            QTRY_VERIFY_WITH_TIMEOUT(window.Connected(), 20000);
            DropWindow target(dropped.Path());
            target.show();
            program.Window().activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            int drags = 0;
            std::vector<std::string> dragged;
            // Offscreen has no drag loop of its own: the test plays it into its drop window.
            program.Copy()->runDrag = [&](TFileSource& source, QWidget*) {
                ++drags;
                dragged.insert(dragged.end(), source.Files.begin(), source.Files.end());
                DropInto(target, source);
            };
            for (const std::string& name : names) {
                QuickDrag(window, window.ListCaptions().indexOf(QString::fromStdString(name)));
            }
            QCOMPARE(drags, 3);
            QCOMPARE(target.drops, 3);
            QVERIFY(!target.modalDuringDrop);
            QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
            QVERIFY(window.isVisible());
            QCOMPARE(dragged.size(), names.size());
            window.Disconnect();
            window.close();
        }
        for (const std::string& name : names) {
            test::ChildOptions cli;
            cli.argv = {VADDEX_CLI_PATH, "-p", zqsim.Port(), "get", name};
            cli.folder = got.Path();
            cli.environment = {{"XDG_CONFIG_HOME", config_.Path()}};
            test::ChildProcess run(cli);
            QCOMPARE(run.Wait(kCliTimeoutMs), 0);
        }
        std::size_t compared = 0;
        for (const auto& entry : fs::directory_iterator(got.Path())) {
            fs::path same = fs::path(dropped.Path()) / entry.path().filename();
            QVERIFY2(fs::exists(same), qPrintable(QString::fromStdString(same.string())));
            QCOMPARE(Bytes(same), Bytes(entry.path()));
            ++compared;
        }
        QCOMPARE(compared, names.size());
    }

private:
    test::TempDir config_;
};

QTEST_MAIN(ProgramDragTest)
#include "ProgramDragTest.moc"
