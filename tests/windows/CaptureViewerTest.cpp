// The screen capture viewer: what it draws from both screen layouts, how zoom and fit size
// the window, what goes to the clipboard and into files, and the settings it keeps.

#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <memory>
#include <string>

#include "session/PromptTexts.h"
#include "support/TempDir.h"
#include "windows/TFCapture.h"
#include "windows/TFDownLd.h"

using vaddex::gui::TFCapture;

namespace {

// Layout A: ESC, a spare byte, then eight bands of 135 bytes; the pixel (x, y) is bit y % 8
// of the band's byte x.
std::string LayoutA(bool allBlack = false) {
    std::string image = std::string(1, '\x1B') + std::string(1080, allBlack ? '\xFF' : '\0');
    return image;
}

void SetA(std::string& image, int x, int y) {
    image[static_cast<std::size_t>(2 + 135 * (y / 8) + x)] |= static_cast<char>(1 << (y % 8));
}

// Layout B: six head bytes (rows at 4, columns at 5), then rows of (columns + 7) / 8 bytes,
// least significant bit leftmost.
std::string LayoutB(int rows, int columns) {
    std::string image(6 + static_cast<std::size_t>(rows) * ((columns + 7) / 8), '\0');
    image[4] = static_cast<char>(rows);
    image[5] = static_cast<char>(columns);
    return image;
}

// While it lives, no file may grow past `bytes`: a write beyond fails as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

bool Black(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

// Counts black pixels in the picture outside the rectangle of the screen.
int BlackOutside(const QImage& image, const QRect& screen) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += !screen.contains(x, y) && Black(image, x, y);
        }
    }
    return count;
}

}  // namespace

class CaptureViewerTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<vaddex::test::TempDir> settingsDir_;
    vaddex::test::TempDir files_;
    QString boxText_;
    std::unique_ptr<QTimer> boxWatch_;

    // The stored settings before a viewer is made; each test starts from its own.
    void Store(const QMap<QString, QString>& values) {
        QSettings settings("Zenquist", "Vaddex");
        settings.remove("ScreenCapture");
        for (auto it = values.begin(); it != values.end(); ++it) {
            settings.setValue("ScreenCapture/" + it.key(), it.value());
        }
    }

    TFCapture& Viewer() { return TFCapture::Instance(nullptr); }

    void Trigger(const char* action) {
        QAction* item = Viewer().findChild<QAction*>(action);
        QVERIFY2(item != nullptr, action);
        item->trigger();
    }

    // Answers the message box that comes up next, keeping its text in boxText_.
    void AnswerNextMessageBox() {
        boxText_.clear();
        boxWatch_ = std::make_unique<QTimer>();
        boxWatch_->setInterval(10);
        connect(boxWatch_.get(), &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxText_ = box->text();
                box->accept();
                boxWatch_->stop();
            }
        });
        boxWatch_->start();
    }

    QString File(const char* name) { return QString::fromStdString(files_.File(name)); }

private slots:
    void initTestCase() {
        settingsDir_ = std::make_unique<vaddex::test::TempDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(settingsDir_->Path()));
    }

    void cleanup() {
        if (TFCapture* viewer = TFCapture::Existing()) {
            viewer->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void layoutAInsideFrameAndSpace() {
        Store({{"BorderShow", "1"}, {"BorderSpace", "1"}, {"BorderFrame", "2"}, {"Zoom", "2"}});
        std::string image = LayoutA();
        SetA(image, 0, 0);
        SetA(image, 130, 63);
        Viewer().ShowCapture(image);
        const QImage& picture = Viewer().Picture();
        QCOMPARE(picture.size(), QSize(137, 70));
        QCOMPARE(Viewer().DisplaySize(), QSize(274, 140));
        QVERIFY(Black(picture, 0, 0) && Black(picture, 1, 69) && Black(picture, 136, 1));
        QVERIFY(!Black(picture, 2, 2) && !Black(picture, 134, 67));  // the white margin
        QVERIFY(Black(picture, 3, 3));
        QVERIFY(Black(picture, 133, 66));
        QVERIFY(!Black(picture, 4, 3));
        QCOMPARE(BlackOutside(picture, QRect(3, 3, 131, 64)), 137 * 70 - 133 * 66);
        QCOMPARE(QApplication::clipboard()->image().size(), QSize(137, 70));
        QCOMPARE(Viewer().StatusText(), QString("Copied to clipboard"));

        Trigger("mnuShowBorder");
        QCOMPARE(Viewer().Picture().size(), QSize(131, 64));
        QVERIFY(Black(Viewer().Picture(), 0, 0));
    }

    void layoutBReadsWholeRowsOfBytes() {
        Store({{"BorderShow", "1"}, {"BorderSpace", "3"}, {"BorderFrame", "0"}});
        std::string image = LayoutB(80, 131);  // 17 bytes a row
        image[6 + 79 * 17 + 16] = 0x04;        // column 130 of row 79
        image[6 + 1 * 17 + 0] = 0x01;          // column 0 of row 1
        Viewer().ShowCapture(image);
        const QImage& picture = Viewer().Picture();
        QCOMPARE(picture.size(), QSize(137, 86));
        QVERIFY(Black(picture, 3 + 130, 3 + 79));
        QVERIFY(Black(picture, 3, 4));
        QVERIFY(!Black(picture, 3, 3));
        QCOMPARE(BlackOutside(picture, QRect(3, 3, 131, 80)), 0);  // frame 0: no black edge
    }

    void shortImageIsWhiteWhereBytesAreMissing() {
        Store({{"BorderShow", "0"}});
        std::string image = LayoutA(true).substr(0, 2 + 100);  // first 100 columns of band 0
        Viewer().ShowCapture(image);
        const QImage& picture = Viewer().Picture();
        QCOMPARE(picture.size(), QSize(131, 64));
        QVERIFY(Black(picture, 99, 7));
        QVERIFY(!Black(picture, 100, 7));
        QVERIFY(!Black(picture, 0, 8));

        Viewer().ShowCapture(LayoutB(80, 131).substr(0, 6 + 17 * 10));
        QCOMPARE(Viewer().Picture().size(), QSize(131, 80));
        Viewer().ShowCapture(std::string(3, '\0'));  // not even a head: nothing to draw
        QCOMPARE(Viewer().Picture().size(), QSize(0, 0));
    }

    void firstImageFitsAndZoomRefits() {
        Store({});  // no zoom stored: zoom 2, and the window fits the first picture
        Viewer().ShowCapture(LayoutA());
        QCOMPARE(Viewer().Settings().zoom, 2);
        QCOMPARE(Viewer().size(), Viewer().maximumSize());
        const QSize extra = Viewer().size() - Viewer().DisplaySize();

        Trigger("mnuZoom4");
        QCOMPARE(Viewer().DisplaySize(), QSize(548, 280));
        QCOMPARE(Viewer().size(), QSize(548, 280) + extra);

        // Too large for the screen: the window keeps its size, only the limit grows.
        const QSize before = Viewer().size();
        Trigger("mnuZoom16");
        QCOMPARE(Viewer().size(), before);
        QCOMPARE(Viewer().maximumSize(), Viewer().DisplaySize() + extra);

        // A window made smaller by the user is left alone by a zoom change.
        Trigger("mnuZoom1");
        Viewer().resize(Viewer().maximumSize() - QSize(10, 10));
        const QSize shrunk = Viewer().size();
        Trigger("mnuZoom2");
        QCOMPARE(Viewer().size(), shrunk);
        Trigger("mnuFitWindow");
        QCOMPARE(Viewer().size(), Viewer().DisplaySize() + extra);
    }

    void settingsAreReadWithTheirRulesAndStored() {
        Store({{"BorderSpace", "12"}, {"BorderFrame", "x"}, {"Zoom", "5"}});
        QCOMPARE(Viewer().Settings().border.space, 4);  // out of range: the start value
        QCOMPARE(Viewer().Settings().border.frame, 2);  // not a number: the default
        QCOMPARE(Viewer().Settings().zoom, 2);
        QVERIFY(!Viewer().Settings().fitFirstImage);

        Viewer().ShowCapture(LayoutA());
        Trigger("mnuFrame0");
        Trigger("mnuSpace9");
        Trigger("mnuZoom3");
        QSettings settings("Zenquist", "Vaddex");
        QCOMPARE(settings.value("ScreenCapture/BorderSpace").toString(), QString("9"));
        QCOMPARE(settings.value("ScreenCapture/BorderFrame").toString(), QString("0"));
        QCOMPARE(settings.value("ScreenCapture/Zoom").toString(), QString("3"));
        QCOMPARE(settings.value("ScreenCapture/BorderShow").toString(), QString("1"));
        // The shown viewer is stored as hidden: it never reopens by itself at start-up.
        QVERIFY(Viewer().isVisible());
        QCOMPARE(settings.value("ScreenCapture/Visible").toString(), QString("0"));
        QCOMPARE(settings.value("ScreenCapture/Width").toInt(), Viewer().width());
    }

    void savedFilesReadBack() {
        Store({{"BorderSpace", "1"}, {"BorderFrame", "2"}});
        std::string image = LayoutA();
        for (int x = 0; x < 131; x += 3) {
            SetA(image, x, x % 64);
        }
        Viewer().ShowCapture(image);
        const QImage original = Viewer().Picture();
        for (const char* name : {"shot.png", "shot.bmp", "SHOT.JPEG", "noextension"}) {
            QVERIFY2(Viewer().SaveTo(File(name)), name);
            QImage read(File(name));
            QCOMPARE(read.size(), original.size());
            const bool exact = !QString(name).endsWith("JPEG");
            int worst = 0;
            for (int y = 0; y < read.height(); ++y) {
                for (int x = 0; x < read.width(); ++x) {
                    worst = std::max(
                        worst, std::abs(qGray(read.pixel(x, y)) - qGray(original.pixel(x, y))));
                }
            }
            if (exact) {
                QCOMPARE(worst, 0);
            } else {
                QVERIFY2(worst < 128, "every JPEG pixel keeps its black or white");
            }
        }
        QVERIFY(QFile(File("SHOT.JPEG")).open(QIODevice::ReadOnly));
        QFile jpeg(File("SHOT.JPEG"));
        QVERIFY(jpeg.open(QIODevice::ReadOnly));
        QVERIFY(jpeg.read(2) == QByteArray("\xFF\xD8", 2));
    }

    void unwritableNamesSayWhyAndLeaveNoFile() {
        Viewer().ShowCapture(LayoutA());
        QSignalSpy busy(&Viewer(), &TFCapture::BusyChanged);

        AnswerNextMessageBox();
        QVERIFY(!Viewer().SaveTo(File("shot.gif")));
        QVERIFY2(boxText_.contains("shot.gif was not saved"), qPrintable(boxText_));
        QVERIFY(!QFile::exists(File("shot.gif")));
        QCOMPARE(busy.count(), 0);

        QFile plain(File("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        AnswerNextMessageBox();
        QVERIFY(!Viewer().SaveTo(File("plain") + "/shot.png"));
        QVERIFY2(boxText_.contains("Not a directory"), qPrintable(boxText_));
        QCOMPARE(busy.count(), 2);
        QCOMPARE(busy.at(1).at(0).toBool(), false);

        // A disk that fills up mid-write (a file size limit here): the old file stays whole
        // and nothing else is left in the folder.
        QFile old(File("full.bmp"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        const auto filesBefore = QDir(QString::fromStdString(files_.Path())).entryList().size();
        {
            FileSizeLimit limit(4096);
            AnswerNextMessageBox();
            QVERIFY(!Viewer().SaveTo(File("full.bmp")));
        }
        QVERIFY2(boxText_.contains("File too large"), qPrintable(boxText_));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QCOMPARE(QDir(QString::fromStdString(files_.Path())).entryList().size(), filesBefore);
    }

    void saveAsUsesTheChosenFiltersFormat_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("magic");
        const QByteArray png("\x89PNG", 4);
        const QByteArray jpeg("\xFF\xD8", 2);
        QTest::newRow("PNG filter adds .png") << "calc-screen2"
                                              << "PNG Files (*.png *.PNG)"
                                              << "calc-screen2.png" << png;
        QTest::newRow("JPEG filter adds .jpg") << "calc-screen3"
                                               << "JPEG Files (*.jpg *.JPG *.jpeg *.JPEG)"
                                               << "calc-screen3.jpg" << jpeg;
        QTest::newRow("Bitmaps filter adds .bmp") << "calc-screen4"
                                                  << "Bitmaps (*.bmp *.BMP)"
                                                  << "calc-screen4.bmp" << QByteArray("BM");
        QTest::newRow("a typed extension wins over the filter") << "typed.bmp"
                                                                << "PNG Files (*.png *.PNG)"
                                                                << "typed.bmp" << QByteArray("BM");
        QTest::newRow("All Files keeps the name, a bitmap") << "bare"
                                                            << "All Files (*)"
                                                            << "bare" << QByteArray("BM");
    }
    void saveAsUsesTheChosenFiltersFormat() {
        QFETCH(QString, typed);
        QFETCH(QString, filter);
        QFETCH(QString, written);
        QFETCH(QByteArray, magic);
        Viewer().ShowCapture(LayoutA());
        Viewer().askSavePath = [&](QString* selected) {
            *selected = filter;
            return File(typed.toLatin1().constData());
        };
        Trigger("mnuSaveAs");
        QFile file(File(written.toLatin1().constData()));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(written));
        QCOMPARE(file.read(magic.size()), magic);
        if (written != typed) {
            QVERIFY(!QFile::exists(File(typed.toLatin1().constData())));
        }
    }

    void ctrlSSavesAsTheMenuDoes() {
        TFCapture& viewer = Viewer();
        viewer.ShowCapture(LayoutA());
        viewer.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&viewer));
        int asked = 0;
        viewer.askSavePath = [&](QString* selected) {
            ++asked;
            *selected = "PNG Files (*.png *.PNG)";
            return File("keyed.png");
        };
        QTest::keySequence(&viewer, QKeySequence::Save);
        QCOMPARE(asked, 1);
        QVERIFY(QFile::exists(File("keyed.png")));
    }

    void viewerStoredOffTheTopOpensWithItsTitleBarOnScreen() {
        Store({{"Left", "-1"}, {"Top", "-20"}});
        TFCapture& viewer = Viewer();
        viewer.ShowCapture(LayoutA());
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        const QRect area = viewer.screen()->availableGeometry();
        QVERIFY(viewer.frameGeometry().top() >= area.top());
        QVERIFY(viewer.frameGeometry().left() >= area.left());
        // A dialog window: the window manager keeps it in front of the main window.
        QCOMPARE(viewer.windowType(), Qt::Dialog);
    }

    void closingHidesOnlyTheAnotherCapturePrompt() {
        vaddex::gui::TFDownLd prompt;
        for (int kind : {vaddex::kPromptCaptureAgain, vaddex::kPromptCaptureFirst}) {
            TFCapture& viewer = TFCapture::Instance(nullptr, &prompt);
            viewer.ShowCapture(LayoutA());
            prompt.ShowPrompt(kind, "Do Another Capture?");
            QVERIFY(prompt.isVisible());
            viewer.close();
            QVERIFY(TFCapture::Existing() == nullptr);
            QCOMPARE(prompt.isVisible(), kind != vaddex::kPromptCaptureAgain);
            prompt.hide();
        }
    }
};

QTEST_MAIN(CaptureViewerTest)
#include "CaptureViewerTest.moc"
