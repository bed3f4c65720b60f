#include "windows/TFAboutForm.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "windows/TVersionLabel.h"

namespace vaddex::gui {
namespace {

constexpr int kPictureWidth = 329;
constexpr int kPictureHeight = 209;

// A calculator beside a PC screen, joined by a cable.
void PaintDevices(QPainter& painter) {
    painter.setPen(QPen(QColor(40, 40, 50), 2));
    painter.setBrush(QColor(60, 64, 78));
    painter.drawRoundedRect(QRectF(40, 30, 80, 150), 10, 10);
    painter.setBrush(QColor(190, 205, 170));
    painter.drawRect(QRectF(50, 42, 60, 40));
    painter.setBrush(QColor(200, 200, 210));
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 4; ++column) {
            painter.drawRoundedRect(QRectF(50 + column * 15, 95 + row * 16, 11, 10), 2, 2);
        }
    }
    painter.setBrush(QColor(50, 80, 140));
    painter.drawRoundedRect(QRectF(190, 50, 110, 80), 6, 6);
    painter.setBrush(QColor(200, 220, 250));
    painter.drawRect(QRectF(198, 58, 94, 64));
    painter.setBrush(QColor(60, 64, 78));
    painter.drawRect(QRectF(232, 130, 26, 14));
    painter.drawRect(QRectF(215, 144, 60, 6));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(230, 160, 40), 3));
    QPainterPath cable(QPointF(80, 30));
    cable.cubicTo(QPointF(80, 5), QPointF(160, 10), QPointF(190, 90));
    painter.drawPath(cable);
}

}  // namespace

TFAboutForm::TFAboutForm(QWidget* mainWindow) : QDialog(mainWindow) {
    setObjectName("FAboutForm");
    // A window of its own, not a second main window: its own title, and nothing to minimise
    // or maximise.
    setWindowTitle("About Vaddex");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    auto* image = new QLabel;
    image->setObjectName("Image1");
    image->setPixmap(Picture());
    versionLabel_ = new TVersionLabel;
    versionLabel_->setObjectName("VersionLabel1");
    versionLabel_->SetCaption(" ");
    versionLabel_->setAlignment(Qt::AlignCenter);
    versionLabel_->setVisible(false);
    auto* licence = new QLabel("GNU General Public License, version 3 or later");
    licence->setObjectName("lblLicence");
    licence->setAlignment(Qt::AlignCenter);
    auto* ok = new QPushButton("OK");
    ok->setObjectName("btnOK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(image, 0, Qt::AlignCenter);
    layout->addWidget(versionLabel_);
    layout->addWidget(licence);
    layout->addWidget(ok, 0, Qt::AlignCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // sizes itself to its contents
}

QPixmap TFAboutForm::Picture() {
    QPixmap picture(kPictureWidth, kPictureHeight);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kPictureHeight);
    sky.setColorAt(0, QColor(236, 242, 250));
    sky.setColorAt(1, QColor(180, 196, 222));
    painter.fillRect(picture.rect(), sky);
    PaintDevices(painter);
    painter.setPen(QColor(30, 40, 70));
    QFont font = painter.font();
    font.setPointSize(18);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 160, kPictureWidth, 45), Qt::AlignRight | Qt::AlignVCenter,
                     "Vaddex  ");
    return picture;
}

void TFAboutForm::showEvent(QShowEvent* event) {
    if (QWidget* main = parentWidget()) {
        adjustSize();
        move(main->window()->geometry().center() - rect().center());
    }
    versionLabel_->setVisible(true);
    QDialog::showEvent(event);
}

}  // namespace vaddex::gui
