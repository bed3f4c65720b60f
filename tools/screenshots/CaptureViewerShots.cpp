// Pictures of the capture viewer showing a simulated calculator screen, at zoom 2 and 4, with
// and without the border, for a person to look at. Usage: capture_viewer_shots FOLDER

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "sim/server/ScreenImage.h"
#include "sim/server/ScreenStream.h"
#include "windows/TFCapture.h"

using vaddex::gui::TFCapture;

namespace {

std::string SampleScreen() {
    auto image = zqsim::ScreenImage::FromLines({
        "RAD XYZ HEX R= 'X'",
        "{HOME MATHS}",
        "4:",
        "3:          3.14159265",
        "2:      \"Hello, ZQ!\"",
        "1:      'SIN(X)+1'",
        "",
        "SPEED A\\->B EXPR SQR",
    });
    return zqsim::ScreenStream(zqsim::ScreenVariant::Esc, image);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: capture_viewer_shots FOLDER\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(".");
    // A private settings folder: the pictures never depend on, nor change, the user's own.
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());

    TFCapture& viewer = TFCapture::Instance(nullptr);
    viewer.move(40, 40);
    viewer.ShowCapture(SampleScreen());
    struct Shot {
        const char* zoom;
        bool border;
        const char* name;
    } shots[] = {
        {"mnuZoom2", true, "capture-zoom2-border.png"},
        {"mnuZoom2", false, "capture-zoom2-plain.png"},
        {"mnuZoom4", true, "capture-zoom4-border.png"},
        {"mnuZoom4", false, "capture-zoom4-plain.png"},
    };
    int failures = 0;
    for (const Shot& shot : shots) {
        viewer.findChild<QAction*>(shot.zoom)->trigger();
        QAction* border = viewer.findChild<QAction*>("mnuShowBorder");
        if (border->isChecked() != shot.border) {
            border->trigger();
        }
        QTest::qWait(200);  // let the window system apply the new size
        QString path = folder.filePath(shot.name);
        if (!viewer.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(path));
        }
    }
    // The View menu as it opens, with its radio items.
    auto* view = qobject_cast<QMenu*>(viewer.findChild<QAction*>("mnuShowBorder")->parent());
    if (view != nullptr) {
        view->popup(viewer.mapToGlobal(QPoint(60, 20)));
        QTest::qWait(200);
        QString path = folder.filePath("capture-view-menu.png");
        failures += view->grab().save(path) ? 0 : 1;
        std::printf("%s\n", qPrintable(path));
        view->hide();
    }
    viewer.close();
    return failures == 0 ? 0 : 1;
}
