// Files handed to the desktop and taken from it: the private folder, the drag's data, the
// clipboard marks, the drop target, and what a drop may send to the calculator.

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QListWidget>
#include <QMimeData>
#include <QScrollBar>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "session/SessionBTestSupport.h"
#include "session/SessionCommands.h"
#include "shell/DesktopFileFolder.h"
#include "shell/DesktopItemFetcher.h"
#include "shell/FileListMime.h"
#include "shell/TFileSource.h"
#include "shell/TFileTarget.h"
#include "support/SimFixture.h"
#include "support/TempDir.h"
#include "util/Errors.h"
#include "util/ScopeExit.h"

namespace vaddex::test {

using namespace vaddex::gui;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> UrlsOf(const QMimeData& data) {
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls()) {
        paths.push_back(FileListMime::QStringToPath(url.toLocalFile()));
    }
    return paths;
}

}  // namespace

class ShellTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SimFixture> sim_;
    std::unique_ptr<SessionCommands> commands_;

    // The path the item was fetched to.
    std::string Fetched(const TXPObject& item, const std::string& folder) {
        std::string path;
        if (!commands_->FetchItem(item, folder, path)) {
            return "";
        }
        return path;
    }

    const TXPObject& Item(const std::string& name) {
        const TXPObject* item = FindChild(sim_->Root(), name);
        if (item == nullptr) {
            throw std::runtime_error("no item " + name);
        }
        return *item;
    }

private slots:
    void initTestCase() {
        sim_ = std::make_unique<SimFixture>(RoomyCalculator());
        commands_ = std::make_unique<SessionCommands>(sim_->Session(), sim_->Root());
        QVERIFY(sim_->StoreAt("HOME ..", PackedString("dots")));
        QVERIFY(sim_->StoreAt("HOME A/B", PackedString("slash")));
        QVERIFY(sim_->StoreAt(std::string("HOME \x01\x1f\xe9\xff", 9), PackedString("bytes")));
        QVERIFY(sim_->StoreAt("HOME BIG", PackedString(PatternText(20000))));
        commands_->Reread();
    }

    void cleanupTestCase() {
        commands_.reset();
        sim_.reset();
    }

    // Whatever the name, each file lands directly inside its batch and nothing else is made.
    void desktopFilesStayInsideTheirBatch() {
        TempDir outside;
        DesktopFileFolder folder(outside.File("desktop"));
        std::string batch = folder.NewBatch();
        std::string longName(127, '\xe9');
        std::vector<std::string> names = {
            "/",      "..",    ".", "", "a/../../x", "\x01\x1f", std::string("\xe9\xff"),
            longName, longName};
        for (const std::string& name : names) {
            std::string path =
                DesktopFileFolder::PathIn(batch, SessionCommands::FileNameForItem(name) + ".zq");
            QCOMPARE(fs::path(path).parent_path().string() + "/", batch);
            QVERIFY(fs::path(path).filename().string().size() <= 255);
            QVERIFY(WriteWholeFile(path, "x"));
        }
        QCOMPARE(Entries(batch).size(), names.size());
        QCOMPARE(Entries(outside.Path()), std::vector<std::string>{"desktop"});
        QCOMPARE(Entries(folder.Base()).size(), std::size_t{1});
    }

    void desktopFolderMustBePrivate() {
        TempDir outside;
        fs::create_directory(outside.File("open"));
        fs::permissions(outside.File("open"), fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::add);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, DesktopFileFolder(outside.File("open")));
        fs::create_directory_symlink(outside.File("open"), outside.File("link"));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, DesktopFileFolder(outside.File("link")));
    }

    void oldBatchesGoUnlessTheClipboardStillOffersThem() {
        TempDir outside;
        DesktopFileFolder folder(outside.File("desktop"));
        std::string old = folder.NewBatch();
        std::string pasted = folder.NewBatch();
        std::string fresh = folder.NewBatch();
        QVERIFY(WriteWholeFile(pasted + "X.zq", "x"));
        auto twoDaysAgo = fs::file_time_type::clock::now() - std::chrono::hours(48);
        fs::last_write_time(old, twoDaysAgo);
        fs::last_write_time(pasted, twoDaysAgo);
        TFileSource clipboard;
        clipboard.Files = {pasted + "X.zq"};
        clipboard.CopyFilesToClipboard();
        QCOMPARE(
            folder.RemoveOlderThan(DesktopFileFolder::kKeepFor, FileListMime::ClipboardFiles()), 1);
        QVERIFY(!fs::exists(old));
        QVERIFY(fs::exists(pasted + "X.zq"));
        QVERIFY(fs::exists(fresh));
    }

    // Play the drop target: the files are got only when it asks, once, whatever the name.
    void dragDataFetchesOnceWhenAsked() {
        TempDir outside;
        DesktopFileFolder folder(outside.File("desktop"));
        DesktopItemFetcher fetcher(*commands_, folder);
        sim_->State().textMode = false;
        commands_->AddExtension = true;
        TFileSource source;
        source.Files = fetcher.Announce(
            {ItemRef::Of(Item("..")), ItemRef::Of(Item("A/B")), ItemRef::Of(Item("X"))});
        source.OnDrop = [&](const std::vector<std::string>&) { return fetcher.FetchForDrop(); };
        std::unique_ptr<TFileSourceData> data(source.MakeDragData());
        QCOMPARE(data->formats(), QStringList{"text/uri-list"});
        QVERIFY(data->hasFormat("text/uri-list"));
        QCOMPARE(data->FetchCount(), 0);

        std::vector<std::string> files = UrlsOf(*data);
        QCOMPARE(data->FetchCount(), 1);
        QCOMPARE(files.size(), std::size_t{3});
        for (const std::string& file : files) {
            QVERIFY(file.rfind(folder.Base(), 0) == 0);
            QCOMPARE(FileBytes(file).substr(0, 4), std::string("ZQZQ"));
        }
        QCOMPARE(fs::path(files[2]).filename().string(), std::string("X.zq"));
        QCOMPARE(UrlsOf(*data), files);
        QCOMPARE(data->FetchCount(), 1);
        QCOMPARE(Entries(outside.Path()), std::vector<std::string>{"desktop"});
    }

    void copiedFileNameFollowsModeAndExtensionOption_data() {
        QTest::addColumn<bool>("textMode");
        QTest::addColumn<bool>("addExtension");
        QTest::addColumn<QString>("name");
        QTest::newRow("binary with extension") << false << true << "X.zq";
        QTest::newRow("binary without extension") << false << false << "X";
        QTest::newRow("text") << true << false << "X.txt";
    }

    void copiedFileNameFollowsModeAndExtensionOption() {
        QFETCH(bool, textMode);
        QFETCH(bool, addExtension);
        QFETCH(QString, name);
        TempDir outside;
        DesktopFileFolder folder(outside.File("desktop"));
        DesktopItemFetcher fetcher(*commands_, folder);
        sim_->State().textMode = textMode;
        commands_->AddExtension = addExtension;
        fetcher.Announce({ItemRef::Of(Item("X"))});
        std::vector<std::string> files = fetcher.FetchAll();
        sim_->State().textMode = false;
        commands_->AddExtension = true;
        QCOMPARE(files.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(fs::path(files[0]).filename().string()), name);
        QVERIFY(fs::file_size(files[0]) > 0);
    }

    // The root dragged out is the whole calculator: an archive named after series and date.
    void rootDraggedOutBecomesAnArchive() {
        TempDir outside;
        DesktopFileFolder folder(outside.File("desktop"));
        DesktopItemFetcher fetcher(*commands_, folder);
        fetcher.Announce({ItemRef::Of(sim_->Root())});
        std::vector<std::string> files = fetcher.FetchForDrop();
        QCOMPARE(files.size(), std::size_t{1});
        QCOMPARE(fs::path(files[0]).filename().string(), commands_->DefaultArchiveName());
        QVERIFY(fs::file_size(files[0]) > 100);
        commands_->Reread();
    }

    void cancelledDragFetchesNothing() {
        TempDir outside;
        DesktopFileFolder folder(outside.File("desktop"));
        DesktopItemFetcher fetcher(*commands_, folder);
        TFileSource source;
        source.Files = fetcher.Announce({ItemRef::Of(Item("X"))});
        int fetches = 0;
        source.OnDrop = [&](const std::vector<std::string>&) {
            ++fetches;
            return fetcher.FetchForDrop();
        };
        // The drag ends with no target having asked for the data.
        std::unique_ptr<TFileSourceData> data(source.MakeDragData());
        QCOMPARE(data->FetchCount(), 0);
        QCOMPARE(fetches, 0);
        data.reset();
        QCOMPARE(fetches, 0);
        std::vector<std::string> batches = Entries(folder.Base());
        QCOMPARE(batches.size(), std::size_t{1});
        QVERIFY(Entries(folder.Base() + batches[0]).empty());
    }

    // A refresh between the drag's start and the drop replaces every listed item.
    void fetchFindsTheItemInTheListingOfTheDrop() {
        TempDir outside;
        DesktopFileFolder folder(outside.File("desktop"));
        DesktopItemFetcher fetcher(*commands_, folder);
        fetcher.Announce({ItemRef::Of(Item("X")), ItemRef::Of(Item("A/B"))});
        commands_->Reread();
        std::vector<std::string> files = fetcher.FetchAll();
        QCOMPARE(files.size(), std::size_t{2});
        QCOMPARE(FileBytes(files[0]).substr(0, 4), std::string("ZQZQ"));

        ItemRef gone = ItemRef::Of(Item("X"));
        gone.path += "GONE";
        gone.name += "GONE";
        fetcher.Announce({gone});
        QVERIFY_THROWS_EXCEPTION(LinkError, fetcher.FetchAll());
        QVERIFY(fetcher.Fetched().empty());
    }

    // The user cancels the second get: the first file is offered, no part of the second.
    void cancelledFetchLeavesNoPartialFile() {
        TempDir outside;
        DesktopFileFolder folder(outside.File("desktop"));
        DesktopItemFetcher fetcher(*commands_, folder);
        std::vector<std::string> entries =
            fetcher.Announce({ItemRef::Of(Item("X")), ItemRef::Of(Item("BIG"))});
        sim_->Ui().CancelWhenReportPasses(2048);
        std::vector<std::string> offered = fetcher.FetchForDrop();
        sim_->Ui().ClearCancelScript();
        QCOMPARE(offered.size(), std::size_t{1});
        std::string batch = fs::path(entries[0]).parent_path().string() + "/";
        QCOMPARE(Entries(batch), std::vector<std::string>{"X.zq"});
        commands_->Reread();
    }

    void clipboardCarriesCopyMarksAndReadsBack() {
        TFileSource source;
        source.Files = {"/tmp/a b/X.zq", "/tmp/Y.txt"};
        source.CopyFilesToClipboard();
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(data->data(FileListMime::kGnomeCopiedFiles),
                 QByteArray("copy\nfile:///tmp/a%20b/X.zq\nfile:///tmp/Y.txt"));
        QCOMPARE(data->data(FileListMime::kKdeCutSelection), QByteArray("0"));
        // Cut marks the same files as cut, so that a file manager's Paste moves them.
        source.CopyFilesToClipboard(true);
        data = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(data->data(FileListMime::kGnomeCopiedFiles),
                 QByteArray("cut\nfile:///tmp/a%20b/X.zq\nfile:///tmp/Y.txt"));
        QCOMPARE(data->data(FileListMime::kKdeCutSelection), QByteArray("1"));
        source.CopyFilesToClipboard();
        TFileTarget target;
        QCOMPARE(target.ReadClipboardFiles(), TFileTarget::kEffectCopy);
        QCOMPARE(target.DroppedFiles, source.Files);

        auto* cut = new QMimeData;
        cut->setData(FileListMime::kGnomeCopiedFiles, "cut\nfile:///tmp/Z.zq\n");
        QGuiApplication::clipboard()->setMimeData(cut);
        QCOMPARE(target.ReadClipboardFiles(), TFileTarget::kEffectMove);
        QCOMPARE(target.DroppedFiles, std::vector<std::string>{"/tmp/Z.zq"});

        QGuiApplication::clipboard()->setText("not files");
        QCOMPARE(target.ReadClipboardFiles(), 0u);
        QCOMPARE(target.DroppedFiles, std::vector<std::string>{"/tmp/Z.zq"});
    }

    void dropTargetTakesCopiesOnlyAndScrollsAtTheEdge() {
        QListWidget list;
        for (int i = 0; i < 200; ++i) {
            list.addItem(QString::number(i));
        }
        list.resize(200, 150);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        TFileTarget target;
        target.Attach(&list);
        target.Attach(&list);
        std::vector<std::string> dropped;
        target.OnDrop = [&](Qt::KeyboardModifiers, QPoint, std::uint32_t&) {
            dropped = target.DroppedFiles;
        };
        QMimeData files;
        files.setData(FileListMime::kUriList, FileListMime::UriList({"/tmp/a.zq", "/tmp/b.txt"}));
        QWidget* viewport = list.viewport();

        QDragEnterEvent moveOnly(QPoint(50, 50), Qt::MoveAction, &files, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &moveOnly);
        QVERIFY(!moveOnly.isAccepted());

        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction | Qt::MoveAction, &files,
                              Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QDragMoveEvent nearBottom(QPoint(50, viewport->height() - 2), Qt::CopyAction, &files,
                                  Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &nearBottom);
        QVERIFY(target.AutoScrolling());
        QTRY_VERIFY(list.verticalScrollBar()->value() >= 2);
        QDragMoveEvent middle(QPoint(50, 50), Qt::CopyAction, &files, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &middle);
        QVERIFY(!target.AutoScrolling());

        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &files, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &drop);
        QVERIFY(drop.isAccepted());
        QTRY_COMPARE(dropped, (std::vector<std::string>{"/tmp/a.zq", "/tmp/b.txt"}));
        QVERIFY(target.DroppedFiles.empty());
    }

    // A drag out of the window passing over its own panes must not fetch until it is dropped.
    void ownDragFetchesOnlyAtTheDrop() {
        QListWidget list;
        TFileTarget target;
        target.Attach(&list);
        std::vector<std::string> dropped;
        target.OnDrop = [&](Qt::KeyboardModifiers, QPoint, std::uint32_t&) {
            dropped = target.DroppedFiles;
        };
        TFileSourceData data({"/tmp/batch/X"}, [](const std::vector<std::string>&) {
            return std::vector<std::string>{"/tmp/batch/X.zq"};
        });
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(list.viewport(), &enter);
        QDragMoveEvent over(QPoint(6, 6), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(list.viewport(), &over);
        QVERIFY(over.isAccepted());
        QCOMPARE(data.FetchCount(), 0);
        QDropEvent drop(QPointF(6, 6), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(list.viewport(), &drop);
        QCOMPARE(data.FetchCount(), 1);
        QTRY_COMPARE(dropped, std::vector<std::string>{"/tmp/batch/X.zq"});
    }

    // A file that cannot be an object file: a clear message, nothing sent, the batch ends.
    void unsendableDropsAreRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder") << "folder"
                                << "is a folder";
        QTest::newRow("device") << "device"
                                << "is a device";
        QTest::newRow("unreadable") << "unreadable"
                                    << "cannot be read";
        QTest::newRow("empty") << "empty"
                               << "is empty";
        QTest::newRow("50 MB") << "huge"
                               << "is too large";
    }

    void unsendableDropsAreRefused() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        TempDir files;
        std::string bad = files.File(kind.toStdString() + ".zq");
        if (kind == "folder") {
            fs::create_directory(bad);
        } else if (kind == "device") {
            bad = "/dev/zero";
        } else if (kind == "unreadable") {
            PutFileBytes(bad, FileBytes(Fetched(Item("X"), files.Path())));
            ::chmod(bad.c_str(), 0);
            ::chmod(files.Path().c_str(), 0755);
        } else if (kind == "empty") {
            PutFileBytes(bad, "");
        } else {
            PutFileBytes(bad, "");
            fs::resize_file(bad, 50 * 1024 * 1024);
        }
        std::string good = files.File("GOOD.zq");
        PutFileBytes(good, FileBytes(Fetched(Item("X"), files.Path())));
        auto before = sim_->Snapshot();
        sim_->Ui().ClearRecords();

        {
            // The superuser reads every file: check as an ordinary user instead.
            uid_t user = ::geteuid();
            if (user == 0 && kind == "unreadable") {
                QCOMPARE(::seteuid(kNobody), 0);
            }
            ScopeExit back([&] { QCOMPARE(::seteuid(user), 0); });
            std::vector<PutResult> results = commands_->PutFiles({bad, good});
            QCOMPARE(results.size(), std::size_t{1});  // the bad file ended the batch
            QVERIFY(!results[0].outcome);
        }
        auto messages = sim_->Ui().Messages();
        QCOMPARE(messages.size(), std::size_t{1});
        QCOMPARE(messages[0].caption, std::string("Cannot Send File"));
        QVERIFY(messages[0].text.rfind(bad + "\r\n\r\n", 0) == 0);
        QVERIFY(QString::fromStdString(messages[0].text).contains(reason));
        QCOMPARE(sim_->Snapshot().size(), before.size());
    }
};

}  // namespace vaddex::test

QTEST_MAIN(vaddex::test::ShellTest)
#include "ShellTest.moc"
