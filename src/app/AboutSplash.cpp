#include "app/AboutSplash.h"

#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QSplashScreen>

#include "app/IconSet.h"
#include "util/VersionText.h"

namespace vaddex::gui {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 120;
constexpr int kIconSize = 64;

QPointer<QSplashScreen> gSplash;

QString Version() {
    return QString::fromStdString(VersionText());
}

QPixmap SplashPicture() {
    QPixmap picture(kWidth, kHeight);
    picture.fill(QColor("#f4f6f8"));
    QPainter painter(&picture);
    painter.setPen(QColor("#8a97a5"));
    painter.drawRect(0, 0, kWidth - 1, kHeight - 1);
    ApplicationIcon().paint(&painter, 20, (kHeight - kIconSize) / 2, kIconSize, kIconSize);
    QFont title = painter.font();
    title.setPointSize(18);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(QColor("#1d2a38"));
    painter.drawText(QRect(100, 22, 210, 34), Qt::AlignLeft | Qt::AlignVCenter, "Vaddex");
    QFont body = painter.font();
    body.setPointSize(9);
    body.setBold(false);
    painter.setFont(body);
    painter.drawText(QRect(100, 58, 210, 20), Qt::AlignLeft, "ZQ K7, K8 Calculator link");
    painter.drawText(QRect(100, 78, 210, 20), Qt::AlignLeft, "Version " + Version());
    return picture;
}

}  // namespace

void ShowAboutSplash(QWidget* mainWindow) {
    if (gSplash == nullptr) {
        gSplash = new QSplashScreen(SplashPicture());
    }
    if (mainWindow != nullptr) {
        QRect area = mainWindow->frameGeometry();
        gSplash->move(area.center() - gSplash->rect().center());
    }
    gSplash->show();
}

void CloseAboutSplash() {
    if (gSplash != nullptr) {
        gSplash->close();
        gSplash->deleteLater();
    }
}

void ShowAboutBox(QWidget* parent) {
    QMessageBox box(parent);
    box.setWindowTitle("About Vaddex");
    box.setIconPixmap(ApplicationIcon().pixmap(kIconSize, kIconSize));
    box.setText("<b>Vaddex</b> " + Version().toHtmlEscaped());
    box.setInformativeText(
        "Links a PC to a ZQ K7 or K8 graphing calculator over a serial line or USB: browse its "
        "directories, copy variables both ways, back up its memory and capture its screen.");
    box.exec();
}

}  // namespace vaddex::gui
